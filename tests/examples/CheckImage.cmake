# The example add-in as a user's Windows sees it: it imports system
# libraries only, so nothing has to ship beside it, and it exports exactly
# the expected functions under their plain names, though no .def file lists
# them.
#   cmake -DOBJDUMP=... -DADDIN=... -DEXPORTS=a;b;c -P CheckImage.cmake
cmake_minimum_required(VERSION 3.25)
execute_process(COMMAND ${OBJDUMP} -p ${ADDIN} OUTPUT_VARIABLE image RESULT_VARIABLE failed)
if(failed)
  message(FATAL_ERROR "${OBJDUMP} cannot read ${ADDIN}")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${image}")
set(system KERNEL32.DLL USER32.DLL MSVCRT.DLL)
foreach(line IN LISTS imports)
  string(REPLACE "DLL Name: " "" library "${line}")
  string(TOUPPER "${library}" library)
  if(NOT library IN_LIST system)
    message(SEND_ERROR "${library} would have to ship beside ${ADDIN}")
  endif()
endforeach()

# The export name table: "[   0] xlAutoClose" lines after its heading.
string(REGEX REPLACE ".*\\[Ordinal/Name Pointer\\] Table\n" "" table "${image}")
string(REGEX REPLACE "\n\n.*" "" table "${table}")
# Brackets would nest in a CMake list: the ordinals go before the split.
string(REGEX REPLACE "[ \t]*\\[ *[0-9]+\\] " "" table "${table}")
string(REPLACE "\n" ";" exported "${table}")
set(expected ${EXPORTS})
list(SORT exported)
list(SORT expected)
if(NOT exported STREQUAL expected)
  message(FATAL_ERROR "${ADDIN} exports\n  ${exported}\ninstead of\n  ${expected}")
endif()
