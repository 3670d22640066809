# A crashing program under the Wine runner must end at once with a non-zero
# code, and no crash debugger may start: one named in either registry view of
# the prefix prints its report and can wait for a console that a suite run
# under ctest does not have. Called by ctest with EMULATOR and PROGRAM set.
execute_process(COMMAND ${EMULATOR} ${PROGRAM} RESULT_VARIABLE result
  OUTPUT_VARIABLE output ERROR_VARIABLE output TIMEOUT 60)
if(NOT result MATCHES "^[0-9]+$" OR result EQUAL 0)
  message(FATAL_ERROR "the crashing program ended with '${result}', not a non-zero code")
endif()
if(output MATCHES "Backtrace:|Register dump:")
  message(FATAL_ERROR "a crash debugger reported the crash:\n${output}")
endif()
