# The add-in with a misspelt exported name and a sheet name given twice, in
# xlhost: it opens with its sound function, leaves the others unregistered
# without asking Excel, and its box names each by what is wrong.
#   cmake -DEMULATOR=... -DXLHOST=... -DADDIN=... -P CheckRegistrationSlips.cmake
cmake_minimum_required(VERSION 3.25)

execute_process(COMMAND ${EMULATOR} ${XLHOST} --list ${ADDIN} "my_Square(3)" "my_Scale(3)"
  OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE result)
string(REPLACE "\r" "" output "${output}")
string(REPLACE "\r" "" errors "${errors}")
# A formula naming no registered function makes xlhost exit non-zero.
if(result EQUAL 0)
  message(FATAL_ERROR "my_Scale was evaluated:\n${output}${errors}")
endif()

string(REGEX MATCHALL "\n[A-Za-z_]+: register id" registered "${output}")
if(NOT registered STREQUAL "\nmy_Square: register id")
  message(FATAL_ERROR "registered instead of my_Square alone:\n${output}")
endif()
if(NOT output MATCHES "\n9\n")
  message(FATAL_ERROR "my_Square(3) did not give 9:\n${output}")
endif()

foreach(line
    "Excel did not register 3 of the 4 functions of "
    "\nmy_Discount: the add-in exports no procedure xlmy_Discont\n"
    "\nmy_Scale: xlmy_Half and xlmy_Double have this sheet name; give each function a name of its own\n"
    "\nMY_SCALE: xlmy_Half and xlmy_Double have this sheet name; give each function a name of its own")
  string(FIND "${errors}" "${line}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "the add-in's box lacks \"${line}\":\n${errors}")
  endif()
endforeach()
