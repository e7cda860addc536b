# Tests of the Windows build beyond the unit tests, which Wine runs as they are.

# The case runner spawns the tool with fork and exec, so it is no Windows
# program: a native build of the same runner, from the same tree, runs every
# case against the .exe under Wine.
include(ExternalProject)
set(DIGIT_TINT_NATIVE_DIR ${CMAKE_BINARY_DIR}/native-e2e)
# Under make, $(MAKE) shares the outer build's job slots (a "cmake --build"
# in between would not); the native build's output is shown only if it fails.
if(CMAKE_GENERATOR MATCHES "Makefiles")
  set(DIGIT_TINT_NATIVE_BUILD $(MAKE) e2e_tests)
else()
  set(DIGIT_TINT_NATIVE_BUILD ${CMAKE_COMMAND} --build <BINARY_DIR> --target e2e_tests)
endif()
ExternalProject_Add(native_e2e_runner
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${DIGIT_TINT_NATIVE_DIR}
  CMAKE_ARGS -DCMAKE_BUILD_TYPE=Debug
  BUILD_COMMAND ${DIGIT_TINT_NATIVE_BUILD}
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON
  LOG_CONFIGURE ON
  LOG_BUILD ON
  LOG_OUTPUT_ON_FAILURE ON)

# What a virus scanner does to a file just written, for the held-file tests:
# it holds the file open without sharing delete for a while.
add_executable(hold_file ${PROJECT_SOURCE_DIR}/tests/e2e/hold_file.cpp)
# A Windows process started with its standard handles closed.
add_executable(start_closed ${PROJECT_SOURCE_DIR}/tests/e2e/start_closed.cpp)

add_test(NAME e2e_cases_under_wine COMMAND ${DIGIT_TINT_NATIVE_DIR}/tests/e2e_tests)
set_tests_properties(e2e_cases_under_wine PROPERTIES
  ENVIRONMENT "DIGIT_TINT=$<TARGET_FILE:digit-tint>;DIGIT_TINT_EMULATOR=${DIGIT_TINT_WINE};DIGIT_TINT_HOLD_FILE=$<TARGET_FILE:hold_file>;DIGIT_TINT_START_CLOSED=$<TARGET_FILE:start_closed>;${DIGIT_TINT_WINE_ENV}")

# A bare Windows has its own system DLLs and nothing else: the .exe must bring
# every other piece with it, and of those it loads only what a console tool
# needs, since every DLL loaded costs each start.
add_test(NAME exe_imports_only_kernel32_and_msvcrt
  COMMAND ${CMAKE_COMMAND} -DEXE=$<TARGET_FILE:digit-tint> -DOBJDUMP=${CMAKE_OBJDUMP}
          -P ${PROJECT_SOURCE_DIR}/cmake/check-system-dlls.cmake)

# The version resource as Windows reads it for the file's Properties, in
# English and in Japanese: a MinGW-built check calls GetFileVersionInfo and
# VerQueryValue under Wine. The Japanese strings go as hexadecimal UTF-8.
add_executable(check_version ${PROJECT_SOURCE_DIR}/packaging/windows/check_version.cpp)
target_link_libraries(check_version PRIVATE version)
string(HEX "${DIGIT_TINT_VENDOR_JA}" vendor_ja)
string(HEX "${DIGIT_TINT_DESCRIPTION_JA}" description_ja)
set(same_in_both "FileVersion=${PROJECT_VERSION}" "ProductVersion=${PROJECT_VERSION}"
    "ProductName=digit-tint" "OriginalFilename=digit-tint.exe"
    "LegalCopyright=${DIGIT_TINT_COPYRIGHT}")
add_test(NAME exe_version_resource
  COMMAND check_version $<TARGET_FILE:digit-tint> ${PROJECT_VERSION}
          --table=040904b0 ${same_in_both}
          "CompanyName=${CPACK_PACKAGE_VENDOR}"
          "FileDescription=${CPACK_PACKAGE_DESCRIPTION_SUMMARY}"
          --table=041104b0 ${same_in_both}
          "CompanyName=hex:${vendor_ja}" "FileDescription=hex:${description_ja}")

# The zip as a user unpacks it, packed afresh from this build.
add_test(NAME package_zip
  COMMAND ${CMAKE_COMMAND} -DCPACK=${CMAKE_CPACK_COMMAND} -DBUILD_DIR=${CMAKE_BINARY_DIR}
          -DPACKAGE=${PROJECT_NAME}-${PROJECT_VERSION}-${CPACK_SYSTEM_NAME} -DOBJDUMP=${CMAKE_OBJDUMP}
          -DWINDRES=${CMAKE_RC_COMPILER}
          -P ${PROJECT_SOURCE_DIR}/packaging/windows/check_package.cmake)

# The example batch file beside the .exe, as the zip holds them, run under
# Wine's cmd on a run that fails and on one that succeeds.
configure_file(${PROJECT_SOURCE_DIR}/packaging/windows/run-digit-tint.bat
               ${CMAKE_BINARY_DIR}/run-digit-tint.bat COPYONLY)
add_test(NAME batch_file_sees_a_failure
  COMMAND env ${DIGIT_TINT_WINE_ENV} ${CMAKE_COMMAND} -DWINE=${DIGIT_TINT_WINE}
          -DBATCH=${CMAKE_BINARY_DIR}/run-digit-tint.bat -DWORK=${CMAKE_BINARY_DIR}/batch-check
          -P ${PROJECT_SOURCE_DIR}/packaging/windows/check_batch.cmake)
