# Functions registered thread-safe but written with WorksheetCall, evaluated
# by xlhost on eight threads: every one of 1000 cells must show its own
# call's value, in each of RUNS recalculations.
#   cmake -DEMULATOR=... -DXLHOST=... -DADDIN=... -DVERSION=12.0 -DRUNS=10 -P CheckThreadSlip.cmake
cmake_minimum_required(VERSION 3.25)

function(run_xlhost output_var)
  execute_process(COMMAND ${EMULATOR} ${XLHOST} --excel ${VERSION} ${ARGN}
    OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    list(SUBLIST ARGN 0 4 shown)
    message(FATAL_ERROR "xlhost ${shown}... exited with ${result}:\n${output}${errors}")
  endif()
  string(REPLACE "\r" "" output "${output}")
  set(${output_var} "${output}" PARENT_SCOPE)
endfunction()

# Without "$" Excel would call them on its main thread alone, and the runs
# below would prove nothing.
run_xlhost(listing --list ${ADDIN})
foreach(name_type "Square;QB\\$" "Label;QB\\$" "Row;QB\\$")
  list(GET name_type 0 name)
  list(GET name_type 1 type)
  if(NOT listing MATCHES "slip_${name}: register id [0-9]+ \\(through Excel[0-9]+\\)\n  1: [^\n]+\n  2: \"xlslip_${name}\"\n  3: \"${type}\"\n")
    message(FATAL_ERROR "slip_${name} is not registered thread-safe under ${VERSION}:\n${listing}")
  endif()
endforeach()

# Formula k (1 to 1000) takes k, so that any value from another call shows:
# k squared, exact in a double; "cell k"; and the row k, -k, "row k".
set(formulas "")
set(expected "")
foreach(k RANGE 1 1000)
  math(EXPR kind "${k} % 3")
  if(kind EQUAL 0)
    math(EXPR square "${k} * ${k}")
    list(APPEND formulas "slip_Square(${k})")
    string(APPEND expected "${square}\n")
  elseif(kind EQUAL 1)
    list(APPEND formulas "slip_Label(${k})")
    string(APPEND expected "cell ${k}\n")
  else()
    list(APPEND formulas "slip_Row(${k})")
    string(APPEND expected "${k},-${k},row ${k}\n")
  endif()
endforeach()

foreach(run RANGE 1 ${RUNS})
  run_xlhost(output --threads 8 ${ADDIN} ${formulas})
  if(NOT output STREQUAL expected)
    string(REPLACE "\n" ";" got_lines "${output}")
    string(REPLACE "\n" ";" want_lines "${expected}")
    set(wrong "")
    set(count 0)
    foreach(got want IN ZIP_LISTS got_lines want_lines)
      if(NOT got STREQUAL want)
        math(EXPR count "${count} + 1")
        if(count LESS_EQUAL 10)
          string(APPEND wrong "  \"${got}\" instead of \"${want}\"\n")
        endif()
      endif()
    endforeach()
    message(FATAL_ERROR
      "run ${run} under ${VERSION}: ${count} of 1000 cells wrong, among them\n${wrong}")
  endif()
endforeach()
