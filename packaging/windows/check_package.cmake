# cmake -DCPACK=<cpack> -DBUILD_DIR=<build> -DPACKAGE=<name without .zip>
#       -DOBJDUMP=<objdump> -DWINDRES=<windres> -P check_package.cmake
# Packs the Windows zip afresh and checks its SHA-256 checksum file beside it
# and what a user unpacks: exactly these files in one folder, the guides, the
# license and the batch file with CR LF line ends, the guides with a byte
# order mark, and an .exe that imports KERNEL32 and msvcrt alone, carries its
# manifest and loads on the oldest Windows the guides name. And that the zip
# is reproducible: packed twice in two time zones it is the same bytes, its
# files carry the time SOURCE_DATE_EPOCH gives, in sorted order and with no
# owner, and the .exe carries no link time.
set(work ${BUILD_DIR}/package-check)
file(REMOVE_RECURSE ${work})
file(MAKE_DIRECTORY ${work}/unpacked)
# 2026-12-10 00:00:00 UTC; a zip keeps even seconds only.
set(source_date_epoch 1796860800)

function(pack into time_zone)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env SOURCE_DATE_EPOCH=${source_date_epoch} TZ=${time_zone}
            ${CPACK} --config ${BUILD_DIR}/CPackConfig.cmake -B ${into}
    OUTPUT_VARIABLE log ERROR_VARIABLE log RESULT_VARIABLE rc)
  if(rc OR NOT EXISTS ${into}/${PACKAGE}.zip)
    message(FATAL_ERROR "cpack made no ${PACKAGE}.zip:\n${log}")
  endif()
endfunction()
pack(${work} JST-9)
pack(${work}/again UTC0)
file(SHA256 ${work}/again/${PACKAGE}.zip hash_again)
# The checksum file as sha256sum -c reads it: the hash, two blanks, the name.
file(SHA256 ${work}/${PACKAGE}.zip hash)
set(checksum_file ${work}/${PACKAGE}.zip.sha256)
if(EXISTS ${checksum_file})
  file(READ ${checksum_file} checksum)
else()
  set(checksum "(no file)")
endif()
if(NOT checksum MATCHES "^${hash}  ${PACKAGE}\\.zip\n?$")
  message(FATAL_ERROR "${PACKAGE}.zip.sha256 holds \"${checksum}\", not \"${hash}  ${PACKAGE}.zip\"")
endif()
if(NOT hash STREQUAL hash_again)
  message(FATAL_ERROR "${PACKAGE}.zip packed again in another time zone differs")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} -E env TZ=UTC0 ${CMAKE_COMMAND} -E tar xf ${work}/${PACKAGE}.zip
                WORKING_DIRECTORY ${work}/unpacked RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "cannot unpack ${PACKAGE}.zip")
endif()

set(failures)
file(GLOB_RECURSE found RELATIVE ${work}/unpacked LIST_DIRECTORIES false ${work}/unpacked/*)
list(SORT found)
set(expected LICENSE.txt README.ja.txt README.txt digit-tint.exe run-digit-tint.bat)
list(TRANSFORM expected PREPEND ${PACKAGE}/)
if(NOT found STREQUAL expected)
  list(APPEND failures "the zip holds [${found}], not [${expected}]")
endif()
foreach(name IN LISTS found)
  file(TIMESTAMP ${work}/unpacked/${name} time "%s" UTC)
  if(NOT time STREQUAL source_date_epoch)
    list(APPEND failures "${name} has the time ${time}, not SOURCE_DATE_EPOCH ${source_date_epoch}")
  endif()
endforeach()

# Little-endian unsigned of `size` bytes at byte `at` of the hex dump.
function(number_at hex at size out)
  math(EXPR from "(${at}) * 2")
  math(EXPR length "${size} * 2")
  string(SUBSTRING "${hex}" ${from} ${length} bytes)
  string(REGEX MATCHALL ".." bytes "${bytes}")
  list(REVERSE bytes)
  list(JOIN bytes "" big_endian)
  math(EXPR value "0x${big_endian}")
  set(${out} ${value} PARENT_SCOPE)
endfunction()
# The central directory, found from its end record (the last 22 bytes, the
# zip having no comment): the names in the order packed, and no entry with
# extra fields, where zip tools keep owners' ids and local time stamps.
file(READ ${work}/${PACKAGE}.zip zip_hex HEX)
string(LENGTH "${zip_hex}" hex_length)
math(EXPR end_record "${hex_length} / 2 - 22")
number_at("${zip_hex}" "${end_record} + 10" 2 entries)
number_at("${zip_hex}" "${end_record} + 16" 4 at)
set(packed)
foreach(_ RANGE 1 ${entries})
  number_at("${zip_hex}" "${at} + 28" 2 name_length)
  number_at("${zip_hex}" "${at} + 30" 2 extra_length)
  number_at("${zip_hex}" "${at} + 32" 2 comment_length)
  math(EXPR name_at "(${at} + 46) * 2")
  math(EXPR name_hex_length "${name_length} * 2")
  string(SUBSTRING "${zip_hex}" ${name_at} ${name_hex_length} name_hex)
  list(APPEND packed "${name_hex}")
  if(NOT extra_length EQUAL 0)
    list(APPEND failures "an entry of the zip carries ${extra_length} bytes of extra fields")
  endif()
  math(EXPR at "${at} + 46 + ${name_length} + ${extra_length} + ${comment_length}")
endforeach()
list(LENGTH found unpacked_count)
set(sorted ${packed})
list(SORT sorted)
if(NOT entries EQUAL unpacked_count)
  list(APPEND failures "the zip's directory lists ${entries} files, ${unpacked_count} unpacked")
elseif(NOT packed STREQUAL sorted)
  list(APPEND failures "the zip's files are not in sorted order")
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
foreach(name README.txt README.ja.txt LICENSE.txt run-digit-tint.bat)
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

# The manifest as Windows finds it: resource 1 of type 24 (RT_MANIFEST),
# which windres prints as quoted lines with their quotes doubled. asInvoker:
# the rights of whoever starts it, never a prompt for an administrator;
# supportedOS: each Windows from 7 on gives it its own behaviour, not that
# of an older one.
execute_process(COMMAND ${WINDRES} -i ${EXE} -O rc OUTPUT_VARIABLE resources RESULT_VARIABLE rc)
string(REGEX MATCH "\n1 24 [^\n]*\nBEGIN\n(  \"[^\n]*\n)+END" manifest "${resources}")
if(rc OR NOT manifest)
  message(FATAL_ERROR "digit-tint.exe carries no manifest as resource 1 of type 24")
endif()
string(REPLACE "\"\"" "\"" manifest "${manifest}")
set(wanted [[<requestedExecutionLevel level="asInvoker" uiAccess="false"/>]])
# Windows 7, 8, 8.1, and 10 and 11, which share one
foreach(os 35138b9a-5d96-4fbd-8e2d-a2440225f93a 4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38
           1f676c76-80e1-4239-95bb-83d0f6d0da78 8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a)
  list(APPEND wanted "<supportedOS Id=\"{${os}}\"/>")
endforeach()
foreach(element IN LISTS wanted)
  string(FIND "${manifest}" "${element}" at)
  if(at EQUAL -1)
    list(APPEND failures "the manifest lacks ${element}")
  endif()
endforeach()

# A loader refuses a program that asks for a newer subsystem than its own;
# 6.0 is Windows Vista, the oldest that has every function it imports.
execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE headers)
string(REGEX MATCH "MajorSubsystemVersion[ \t]+([0-9]+)" _ "${headers}")
set(major ${CMAKE_MATCH_1})
string(REGEX MATCH "MinorSubsystemVersion[ \t]+([0-9]+)" _ "${headers}")
if(NOT major OR "${major}.${CMAKE_MATCH_1}" VERSION_GREATER 6.0)
  list(APPEND failures "digit-tint.exe asks for subsystem ${major}.${CMAKE_MATCH_1}, newer than Vista's 6.0")
endif()

# No link time: the PE file header's TimeDateStamp, 8 bytes into the header
# that the DOS header's e_lfanew (at 0x3c) points to, is 0.
file(READ ${EXE} exe_head LIMIT 4096 HEX)
number_at("${exe_head}" 60 4 pe_header)
number_at("${exe_head}" "${pe_header} + 8" 4 link_time)
if(NOT link_time EQUAL 0)
  list(APPEND failures "digit-tint.exe carries the link time ${link_time}")
endif()

if(failures)
  list(JOIN failures "\n  " shown)
  message(FATAL_ERROR "${PACKAGE}.zip:\n  ${shown}")
endif()
message(STATUS "${PACKAGE}.zip: files, line ends, byte order marks and manifest as expected")
