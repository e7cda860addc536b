# cmake -DWINE=<wine> -DBATCH=<run-digit-tint.bat beside digit-tint.exe>
#       -DWORK=<scratch folder> -P check_batch.cmake, with Wine's environment
# Runs the example batch file under Wine's cmd, as a Windows integrator's
# script would run the tool: a run that fails (-1, no selection) must be seen
# as a failure and end the batch file with -1; a run that hands a result back
# must be seen as one.
string(REPLACE "/" "\\" batch_path "Z:${BATCH}")

# check_run(NAME STATUS STDOUT STDERR): the batch file's status and output.
function(check_run name status stdout stderr)
  execute_process(COMMAND ${WINE} cmd /c ${batch_path} /k3 WORKING_DIRECTORY ${WORK}
                  OUTPUT_VARIABLE out ERROR_VARIABLE err RESULT_VARIABLE rc)
  if(NOT rc STREQUAL status OR NOT out MATCHES "${stdout}" OR NOT err MATCHES "${stderr}")
    message(SEND_ERROR "${name}: status ${rc} (not ${status}), stdout \"${out}\", stderr \"${err}\"")
  endif()
endfunction()

file(REMOVE_RECURSE ${WORK})
file(MAKE_DIRECTORY ${WORK})
# -1 reads as 255 outside Windows.
check_run("no selection" 255 "^$"
          "^Cannot open file: .*\ndigit-tint failed with exit status -1\\.\r?\n$")
file(WRITE ${WORK}/jwc_temp.txt "ch 0 0 1 0 \"A1\"\r\n")
check_run("a selection" 0 "^digit-tint ended without error\\.\r?\n$" "^$")
if(NOT EXISTS ${WORK}/JWC_TEMP.TXT)
  message(SEND_ERROR "a selection: no JWC_TEMP.TXT handed back")
endif()
file(REMOVE_RECURSE ${WORK})
