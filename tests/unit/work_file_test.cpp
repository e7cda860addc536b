// The work file under a name of the run's own: what a killed run left
// under that name, or anything else standing there, never stops a run, and
// the result goes into place only whole.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "os/os.hpp"
#include "run/exchange_names.hpp"
#include "run/work_file.hpp"
#include "stream/text_in.hpp"
#include "support/files.hpp"
#include "support/scratch.hpp"

namespace {

namespace fs = std::filesystem;

// The working directory is the scratch directory for the test's length.
class InScratchDirectory : public testing::Test {
  protected:
    support::ScratchDir scratch{"work-file"};
    fs::path before = fs::current_path();
    void SetUp() override { fs::current_path(scratch.path()); }
    void TearDown() override { fs::current_path(before); }
};

// What the first own name of this process is.
std::string first_own_name() {
    return exchange::own_prefix + std::to_string(os::process_id());
}

struct Blocked {
    const char *name;
    bool locked;
    bool directory;     // a directory stays under the name; a file goes where the lock is held
    unsigned taken = 1; // the run's own names taken, from the first on
};

void PrintTo(const Blocked &c, std::ostream *os) {
    *os << c.name;
}

class OwnNameTaken : public InScratchDirectory, public testing::WithParamInterface<Blocked> {};

TEST_P(OwnNameTaken, TheRunTakesTheNextName) {
    const Blocked &c = GetParam();
    const std::string taken = first_own_name();
    for (unsigned i = 0; i < c.taken; ++i) {
        const std::string name = i == 0 ? taken : taken + "-" + std::to_string(i);
        c.directory ? void(fs::create_directory(name)) : support::write_file(name, "killed run's");
    }
    support::write_file(exchange::exchange_name, "selection\r\n");
    stream::TextIn in;
    ASSERT_TRUE(stream::open_in(in, exchange::exchange_name));
    stream::TextOut out;
    work_file::OwnName own;
    ASSERT_EQ(work_file::create(out, own, in.permissions, c.locked), nullptr);
    // with every name taken, a run holding the lock clears them first
    EXPECT_EQ(own.text,
              c.taken < work_file::attempts ? taken + "-" + std::to_string(c.taken) : taken);
    stream::put(out, "result\n");
    EXPECT_EQ(work_file::finish(out, own, false), nullptr);
    EXPECT_EQ(support::read_file(exchange::work_name), "result\r\n");
    EXPECT_FALSE(fs::exists(own.text));
    EXPECT_EQ(fs::exists(taken), c.directory || !c.locked) << "what a killed run left";
}

INSTANTIATE_TEST_SUITE_P(Cases, OwnNameTaken,
                         testing::Values(Blocked{"stale_file_unlocked", false, false},
                                         Blocked{"stale_file_locked", true, false},
                                         Blocked{"directory_locked", true, true},
                                         Blocked{"every_name_taken_locked", true, false, 100}),
                         [](const testing::TestParamInfo<Blocked> &p) {
                             return std::string(p.param.name);
                         });

// A result that cannot go over the exchange file stays whole under the work
// name; one that cannot go anywhere is removed, and the run's name with it.
TEST_F(InScratchDirectory, AResultThatCannotBeHandedBackIsLeftWholeOrRemoved) {
    support::write_file(exchange::exchange_name, "selection\r\n");
    stream::TextIn in;
    ASSERT_TRUE(stream::open_in(in, exchange::exchange_name));
    stream::close_in(in); // Windows removes no open file; its bits stay known
    fs::remove(exchange::exchange_name);
    fs::create_directories(fs::path(exchange::exchange_name) / "in the way");
    stream::TextOut out;
    work_file::OwnName own;
    ASSERT_EQ(work_file::create(out, own, in.permissions, true), nullptr);
    stream::put(out, "result\n");
    EXPECT_STREQ(work_file::finish(out, own, true), exchange::exchange_name);
    EXPECT_EQ(support::read_file(exchange::work_name), "result\r\n");

    fs::remove(exchange::work_name);
    fs::create_directories(fs::path(exchange::work_name) / "in the way");
    ASSERT_STREQ(work_file::create(out, own, in.permissions, true), exchange::work_name)
        << "a directory under the work name stops the run";
    EXPECT_FALSE(fs::exists(own.text));
}

} // namespace
