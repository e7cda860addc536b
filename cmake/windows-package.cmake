# The Windows zip: digit-tint.exe carrying its manifest and a version
# resource, the guides in English and Japanese (UTF-8 with a byte order mark
# and CR LF, as Notepad shows them right), the license as a text file in the
# same form, and an example batch file that calls the tool. One commit makes
# the same .exe and the same zip bytes on any machine.
set(DIGIT_TINT_WINDOWS_DIR ${PROJECT_SOURCE_DIR}/packaging/windows)

# What the Properties show on a Japanese Windows (version.rc.in).
set(DIGIT_TINT_VENDOR_JA "digit-tint 開発者")
set(DIGIT_TINT_DESCRIPTION_JA "CAD の選択内容の文字列にある数字の色を変えます")

# The copyright line exactly as LICENSE has it.
file(STRINGS ${PROJECT_SOURCE_DIR}/LICENSE DIGIT_TINT_COPYRIGHT REGEX "^Copyright " LIMIT_COUNT 1)

if(MINGW)
  enable_language(RC)
  set(DIGIT_TINT_MANIFEST ${CMAKE_BINARY_DIR}/digit-tint.exe.manifest)
  configure_file(${DIGIT_TINT_WINDOWS_DIR}/digit-tint.exe.manifest.in ${DIGIT_TINT_MANIFEST} @ONLY)
  configure_file(${DIGIT_TINT_WINDOWS_DIR}/version.rc.in ${CMAKE_BINARY_DIR}/version.rc @ONLY)
  set_source_files_properties(${CMAKE_BINARY_DIR}/version.rc PROPERTIES
    OBJECT_DEPENDS ${DIGIT_TINT_MANIFEST})
  # The project's warning options are compiler flags windres does not know.
  add_library(digit_tint_version OBJECT ${CMAKE_BINARY_DIR}/version.rc)
  set_target_properties(digit_tint_version PROPERTIES COMPILE_OPTIONS "")
  target_link_libraries(digit-tint PRIVATE digit_tint_version)
  # The linker would stamp the .exe with the time of the link, and strip,
  # run later, with the time it runs: linked without the stamp and without
  # symbols, the .exe the tests run is the one packed, byte for byte.
  target_link_options(digit-tint PRIVATE -Wl,--no-insert-timestamp -s)
  set(CPACK_STRIP_FILES OFF)
endif()

configure_file(${PROJECT_SOURCE_DIR}/LICENSE ${CMAKE_BINARY_DIR}/LICENSE.txt @ONLY NEWLINE_STYLE CRLF)

install(TARGETS digit-tint RUNTIME DESTINATION .)
install(FILES ${DIGIT_TINT_WINDOWS_DIR}/README.txt ${DIGIT_TINT_WINDOWS_DIR}/README.ja.txt
              ${CMAKE_BINARY_DIR}/LICENSE.txt ${DIGIT_TINT_WINDOWS_DIR}/run-digit-tint.bat
        DESTINATION .)

# Packed again in a fixed order, with fixed times and no owners.
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/reproducible-zip.cmake)
set(CPACK_DIGIT_TINT_SOURCE_DIR ${PROJECT_SOURCE_DIR})
