# For the test scripts that ctest runs with -P, EMULATOR and XLHOST set.
# xlhost_output(output_var ARG...): what xlhost prints for ARG..., its CR LF
# line ends made LF, and in xlhost_errors what it wrote on standard error. A
# run that fails, or runs past ten minutes, stops the script with what it
# printed.
function(xlhost_output output_var)
  execute_process(COMMAND ${EMULATOR} ${XLHOST} ${ARGN}
    OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE result TIMEOUT 600)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "xlhost ${ARGN} exited with ${result}:\n${output}${errors}")
  endif()
  string(REPLACE "\r" "" output "${output}")
  string(REPLACE "\r" "" errors "${errors}")
  set(${output_var} "${output}" PARENT_SCOPE)
  set(xlhost_errors "${errors}" PARENT_SCOPE)
endfunction()
