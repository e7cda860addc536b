# cmake -DEXE=<program.exe> -DOBJDUMP=<objdump> -P check-system-dlls.cmake
# Fails unless the program imports exactly what a console tool needs, KERNEL32
# and the C runtime msvcrt: every other DLL is one that a bare Windows may
# lack, or one that the loader maps and initialises at every start.
execute_process(COMMAND ${OBJDUMP} -p ${EXE} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(rc)
  message(FATAL_ERROR "${OBJDUMP} cannot read ${EXE}")
endif()
string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${dump}")
list(TRANSFORM imports REPLACE "DLL Name: " "")
list(TRANSFORM imports TOLOWER OUTPUT_VARIABLE lower)
list(SORT lower)
if(NOT lower STREQUAL "kernel32.dll;msvcrt.dll")
  message(FATAL_ERROR "${EXE} imports [${imports}], not KERNEL32.dll and msvcrt.dll alone")
endif()
list(JOIN imports " and " shown)
message(STATUS "${EXE} imports only ${shown}")
