// The process runner lives with the tools (tools/process), which
// digit-tint-host uses too; the tests, the benchmark and the guard know it by
// these names.
#pragma once

#include "process/process.hpp"

namespace support {

using process::Command;
using process::Exit;
using process::not_started;
using process::Output;
using process::Process;
using process::run;

} // namespace support
