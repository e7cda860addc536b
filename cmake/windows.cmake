# Windows target, cross-built, with the tests: the built programs run under
# Wine in a prefix of this build's own, quiet, and created once at build time
# so that no test pays for Wine's first start. The product alone (the zip)
# needs no Wine.
if(NOT CMAKE_CROSSCOMPILING OR NOT BUILD_TESTING)
  return()
endif()

find_program(DIGIT_TINT_WINE NAMES wine wine64 REQUIRED)

set(DIGIT_TINT_WINEPREFIX ${CMAKE_BINARY_DIR}/wine-prefix)
set(DIGIT_TINT_WINE_ENV WINEPREFIX=${DIGIT_TINT_WINEPREFIX} WINEDEBUG=-all)
set(CMAKE_CROSSCOMPILING_EMULATOR env ${DIGIT_TINT_WINE_ENV} ${DIGIT_TINT_WINE})

find_program(DIGIT_TINT_WINEBOOT wineboot REQUIRED)
find_program(DIGIT_TINT_WINESERVER NAMES wineserver wineserver64
             PATHS /usr/lib/wine REQUIRED)
# Wine reports each step of a new prefix on stderr: shown only if it fails.
set(DIGIT_TINT_WINE_PREFIX_INIT ${CMAKE_BINARY_DIR}/wine-prefix-init.cmake)
file(CONFIGURE OUTPUT ${DIGIT_TINT_WINE_PREFIX_INIT} @ONLY CONTENT [[
foreach(step "@DIGIT_TINT_WINEBOOT@;--init" "@DIGIT_TINT_WINESERVER@;--wait")
  execute_process(
    COMMAND env WINEPREFIX=@DIGIT_TINT_WINEPREFIX@ WINEDEBUG=-all ${step}
    INPUT_FILE /dev/null OUTPUT_VARIABLE log ERROR_VARIABLE log RESULT_VARIABLE rc)
  if(rc)
    message(FATAL_ERROR "${step} failed (${rc}):
${log}")
  endif()
endforeach()
]])
add_custom_command(
  OUTPUT ${DIGIT_TINT_WINEPREFIX}/system.reg
  COMMAND ${CMAKE_COMMAND} -P ${DIGIT_TINT_WINE_PREFIX_INIT}
  COMMENT "Creating the Wine prefix the tests run in"
  VERBATIM)
add_custom_target(wine_prefix ALL DEPENDS ${DIGIT_TINT_WINEPREFIX}/system.reg)

# The wine server and the background services that the first Wine program
# starts inherit that program's output pipes, so CTest would wait for them to
# go idle after every test (and time out listing the tests). Started here,
# before CTest lists or runs anything and with their output on /dev/null,
# they serve every test and leave by themselves once nothing has used them
# for half a minute: a server that left between two tests under load would
# be started again by two Wine programs at once, which fails one of them.
# The tests under Wine run one at a time for the same reason.
set(DIGIT_TINT_WINE_SERVER_UP ${CMAKE_BINARY_DIR}/wine-server-up.cmake)
file(CONFIGURE OUTPUT ${DIGIT_TINT_WINE_SERVER_UP} @ONLY CONTENT [[
foreach(step "@DIGIT_TINT_WINESERVER@;--persistent=30" "@DIGIT_TINT_WINE@;wineboot")
  execute_process(
    COMMAND env WINEPREFIX=@DIGIT_TINT_WINEPREFIX@ WINEDEBUG=-all ${step}
    INPUT_FILE /dev/null OUTPUT_FILE /dev/null ERROR_FILE /dev/null)
endforeach()
]])
set_property(DIRECTORY APPEND PROPERTY TEST_INCLUDE_FILES ${DIGIT_TINT_WINE_SERVER_UP})
