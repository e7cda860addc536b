# Run by cpack once it has packed the zip (CPACK_POST_BUILD_SCRIPTS): packs
# it again from the same staged files so that one commit gives the same zip
# bytes on any machine. CPack's own zip lists the files in the order the file
# system returns them, stamps them with the time they were staged, in the
# local time zone, and records the owner's user and group ids.
#
# Here every file is stamped with one time: SOURCE_DATE_EPOCH where the
# environment sets it, else the time of the last commit, else (a tree without
# git) the first time a zip can hold, 1980-01-01 00:00 UTC. Info-ZIP packs
# them in sorted order, with that time read in UTC and without the extra
# fields that hold owners and time stamps.
set(zip_file ${CPACK_PACKAGE_FILES})
list(LENGTH zip_file count)
if(NOT count EQUAL 1 OR NOT zip_file MATCHES "\\.zip$")
  message(FATAL_ERROR "expected one zip from cpack, not [${CPACK_PACKAGE_FILES}]")
endif()

set(zip_first_time 315532800)
if(DEFINED ENV{SOURCE_DATE_EPOCH})
  set(epoch $ENV{SOURCE_DATE_EPOCH})
else()
  execute_process(COMMAND git -C ${CPACK_DIGIT_TINT_SOURCE_DIR} log -1 --format=%ct
                  OUTPUT_VARIABLE epoch OUTPUT_STRIP_TRAILING_WHITESPACE
                  ERROR_QUIET RESULT_VARIABLE rc)
  if(rc)
    set(epoch ${zip_first_time})
  endif()
endif()
if(NOT epoch MATCHES "^[0-9]+$" OR epoch LESS zip_first_time)
  message(FATAL_ERROR "SOURCE_DATE_EPOCH \"${epoch}\" is no time in seconds from 1980 on")
endif()

find_program(zip_program zip)
find_program(touch_program touch)
if(NOT zip_program OR NOT touch_program)
  message(FATAL_ERROR "the reproducible zip needs Info-ZIP's zip and touch")
endif()

# The staged folder and the files under it, named as the zip holds them.
cmake_path(GET CPACK_TEMPORARY_DIRECTORY PARENT_PATH top)
file(GLOB_RECURSE files RELATIVE ${top} LIST_DIRECTORIES false ${CPACK_TEMPORARY_DIRECTORY}/*)
list(SORT files)
execute_process(COMMAND ${touch_program} -h -d @${epoch} ${files}
                WORKING_DIRECTORY ${top} RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "cannot set the time of the staged files")
endif()
file(REMOVE ${zip_file})
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC0 ${zip_program} -X -D -q ${zip_file} ${files}
                WORKING_DIRECTORY ${top} RESULT_VARIABLE rc)
if(rc OR NOT EXISTS ${zip_file})
  message(FATAL_ERROR "zip could not pack ${zip_file} (${rc})")
endif()
