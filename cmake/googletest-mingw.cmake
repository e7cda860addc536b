# Debian's libgtest-dev ships GoogleTest's sources as well as Linux libraries;
# the cross build compiles its own copy with the MinGW compiler.
set(DIGIT_TINT_GOOGLETEST_SOURCE /usr/src/googletest
    CACHE PATH "GoogleTest sources, built with the cross compiler")
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${DIGIT_TINT_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

# Listing the tests starts Wine, which takes longer than a native start.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_TIMEOUT 60)
