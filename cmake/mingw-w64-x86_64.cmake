# Cross-builds the Windows executable with Debian's MinGW-w64 (g++-mingw-w64-x86-64).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(DIGIT_TINT_MINGW_PREFIX x86_64-w64-mingw32)
# The posix thread model: GoogleTest needs std::mutex, which the win32 one lacks.
find_program(CMAKE_C_COMPILER NAMES ${DIGIT_TINT_MINGW_PREFIX}-gcc-posix ${DIGIT_TINT_MINGW_PREFIX}-gcc REQUIRED)
find_program(CMAKE_CXX_COMPILER NAMES ${DIGIT_TINT_MINGW_PREFIX}-g++-posix ${DIGIT_TINT_MINGW_PREFIX}-g++ REQUIRED)
find_program(CMAKE_RC_COMPILER NAMES ${DIGIT_TINT_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${DIGIT_TINT_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained .exe: the C++ runtime, libgcc and winpthread linked in,
# so a bare Windows needs nothing beside it but its own system DLLs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
