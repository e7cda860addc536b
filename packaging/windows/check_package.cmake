# cmake -DCPACK=<cpack> -DBUILD_DIR=<build> -DPACKAGE=<name without .zip>
#       -DOBJDUMP=<objdump> -P check_package.cmake
# Packs the Windows zip afresh and checks what a user unpacks: exactly these
# files in one folder, the guides and the license with CR LF line ends, the
# guides with a byte order mark, and an .exe that imports KERNEL32 and msvcrt
# alone.
set(work ${BUILD_DIR}/package-check)
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work}/unpacked)
execute_process(
  COMMAND ${CPACK} --config ${BUILD_DIR}/CPackConfig.cmake -B ${work}
  OUTPUT_VARIABLE log ERROR_VARIABLE log RESULT_VARIABLE rc)
if(rc OR NOT EXISTS ${work}/${PACKAGE}.zip)
  message(FATAL_ERROR "cpack made no ${PACKAGE}.zip:\n${log}")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E tar xf ${work}/${PACKAGE}.zip
                WORKING_DIRECTORY ${work}/unpacked RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "cannot unpack ${PACKAGE}.zip")
endif()

set(failures)
file(GLOB_RECURSE found RELATIVE ${work}/unpacked LIST_DIRECTORIES false ${work}/unpacked/*)
list(SORT found)
set(expected LICENSE.txt README.ja.txt README.txt digit-tint.exe)
list(TRANSFORM expected PREPEND ${PACKAGE}/)
if(NOT found STREQUAL expected)
  list(APPEND failures "the zip holds [${found}], not [${expected}]")
endif()

# Every line ends in CR LF: as many CRs as LFs as CR LF pairs, and some of them.
# file(READ) as text drops CRs, so the bytes are read as hex, one <xx> each.
function(check_line_ends file)
  file(READ ${file} hex HEX)
  string(REGEX REPLACE "(..)" "<\\1>" bytes "${hex}")
  string(REGEX MATCHALL "<0d><0a>" pairs "${bytes}")
  string(REGEX MATCHALL "<0a>" lfs "${bytes}")
  string(REGEX MATCHALL "<0d>" crs "${bytes}")
  list(LENGTH pairs n_pairs)
  list(LENGTH lfs n_lfs)
  list(LENGTH crs n_crs)
  if(n_pairs EQUAL 0 OR NOT n_pairs EQUAL n_lfs OR NOT n_pairs EQUAL n_crs)
    get_filename_component(name ${file} NAME)
    set(failures ${failures} "${name}: ${n_pairs} CR LF, ${n_lfs} LF, ${n_crs} CR" PARENT_SCOPE)
  endif()
endfunction()

set(top ${work}/unpacked/${PACKAGE})
foreach(name README.txt README.ja.txt LICENSE.txt)
  if(EXISTS ${top}/${name})
    check_line_ends(${top}/${name})
  endif()
endforeach()
foreach(name README.txt README.ja.txt)
  if(EXISTS ${top}/${name})
    file(READ ${top}/${name} head LIMIT 3 HEX)
    if(NOT head STREQUAL "efbbbf")
      list(APPEND failures "${name} does not start with a UTF-8 byte order mark")
    endif()
  endif()
endforeach()

if(failures)
  list(JOIN failures "\n  " shown)
  message(FATAL_ERROR "${PACKAGE}.zip:\n  ${shown}")
endif()
# the .exe as packed (stripped), not the one the tests ran
set(EXE ${top}/digit-tint.exe)
include(${CMAKE_CURRENT_LIST_DIR}/../../cmake/check-system-dlls.cmake)
message(STATUS "${PACKAGE}.zip: files, line ends and byte order marks as expected")
