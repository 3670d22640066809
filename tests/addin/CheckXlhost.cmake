# Runs xlhost against the built add-in the way a script would, and checks what
# it prints. Called by ctest with EMULATOR, XLHOST and ADDIN set.

function(run_xlhost output_var result_var)
  execute_process(COMMAND ${EMULATOR} ${XLHOST} ${ARGN}
    OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE result)
  string(REPLACE "\r" "" output "${output}")
  set(${output_var} "${output}" PARENT_SCOPE)
  set(${result_var} "${result}" PARENT_SCOPE)
endfunction()

function(run_xlhost_successfully output_var)
  run_xlhost(output result ${ARGN})
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "xlhost ${ARGN} exited with ${result}:\n${output}")
  endif()
  set(${output_var} "${output}" PARENT_SCOPE)
endfunction()

# Fails unless the text holds the regular expression exactly `expected` times.
function(expect_matches text regex expected what)
  string(REGEX MATCHALL "${regex}" matches "${text}")
  list(LENGTH matches count)
  if(NOT count EQUAL expected)
    string(SUBSTRING "${text}" 0 4000 shown)
    message(FATAL_ERROR "${what}: ${count} instead of ${expected} in\n${shown}")
  endif()
endfunction()

# The first base-2 van der Corput points are exact in binary, Moro's inverse
# is 0 at 0.5, and 1e10 points lie outside the signed 32-bit range.
run_xlhost_successfully(output --list ${ADDIN}
  "rnd_Halton(1, 4)" "rnd_MoroNormSinInv(0.5)" "rnd_Halton(1, 1e10)")

string(REGEX MATCHALL "[^\n]+: register id [0-9]+" registered "${output}")
set(expected_registered
  "rnd_Sobol: register id 1" "rnd_Faure: register id 2" "rnd_Halton: register id 3"
  "rnd_MoroNormSinInv: register id 4" "rnd_NormalRNs: register id 5"
  "rnd_LogNormalRNs: register id 6" "rnd_ScrambledSobol: register id 7"
  "rnd_ScrambledNormalRNs: register id 8" "rnd_BrownianPaths: register id 9"
  "rnd_ReplicateStats: register id 10" "rnd_ScrambledHalton: register id 11"
  "rnd_Discrepancy: register id 12" "rnd_CorrelatedPaths: register id 13"
  "rnd_Lattice: register id 14" "rnd_SensitivityDesign: register id 15"
  "rnd_SensitivityIndices: register id 16")
list(LENGTH expected_registered function_count)
if(NOT registered STREQUAL expected_registered)
  message(FATAL_ERROR "--list showed\n${registered}\ninstead of\n${expected_registered}")
endif()

# LOADING.txt, the one text a Windows user reads, names every registered
# function with its arguments, and keeps Windows line endings, which older
# Notepad needs.
# (Read as bytes: CMake drops the CR of CR LF from the text it reads.)
file(READ ${LOADING} loading_bytes HEX)
string(REGEX REPLACE "(..)" "\\1;" loading_bytes "${loading_bytes}")
string(REPLACE "0d;0a;" "" without_crlf "${loading_bytes}")
if(NOT loading_bytes MATCHES "0a;" OR without_crlf MATCHES "0a;")
  message(FATAL_ERROR "${LOADING} has lines that do not end in CR LF")
endif()
file(READ ${LOADING} loading)
string(REGEX MATCHALL "[A-Za-z_]+: register id [0-9]+ \\(through Excel[0-9]+\\)\n(  [1-4]: [^\n]*\n)+  5: \"[^\"]*\""
  signatures "${output}")
list(LENGTH signatures signature_count)
if(NOT signature_count EQUAL function_count)
  message(FATAL_ERROR "--list showed ${signature_count} argument texts, not ${function_count}")
endif()
foreach(signature IN LISTS signatures)
  string(REGEX REPLACE ":.*  5: \"([^\"]*)\"" "(\\1)" call "${signature}")
  string(REGEX REPLACE ", *" ", " call "${call}")
  string(FIND "${loading}" "${call}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "${LOADING} does not name ${call}")
  endif()
endforeach()

# The name the Add-ins list shows is the one the add-in answers Excel, and
# LOADING.txt tells the user to tick that name.
string(REGEX MATCH "^add-in name: ([^\n]*)\n" named "${output}")
string(FIND "${loading}" "\"${CMAKE_MATCH_1}\" is ticked" at)
if(NOT named OR at EQUAL -1)
  message(FATAL_ERROR "${LOADING} does not say to tick \"${CMAKE_MATCH_1}\" (${named})")
endif()

string(REGEX REPLACE "^.*\n  [^\n]*\n" "" values "${output}")
set(expected_values "0.5\n0.25\n0.75\n0.125\n0\nn must be a whole number from 0 to 2147483647\n")
if(NOT values STREQUAL expected_values)
  message(FATAL_ERROR "formulas printed\n${values}\ninstead of\n${expected_values}")
endif()

run_xlhost(output result ${ADDIN} "rnd_Nothing(1)")
if(result EQUAL 0)
  message(FATAL_ERROR "xlhost accepted a formula naming no registered function")
endif()

# Every Excel since 2007 gets the Excel 12 records: "Q" type texts, and
# arrays beyond the 65,535 rows an Excel 4 array can hold.
run_xlhost_successfully(output --excel 16.0 --list ${ADDIN} "rnd_Halton(2, 100000)")
expect_matches("${output}" "\"QBB\"" 5 "\"QBB\" type texts under --excel 16.0")
expect_matches("${output}" "\n[0-9.e-]+,[0-9.e-]+" 100000 "rows of rnd_Halton(2, 100000)")

# Copies of the add-in and param.txt in folders named in Latin, Cyrillic and
# CJK script: every registration is accepted and rnd_Sobol finds param.txt.
# Excel 4 hands the module name over in the ANSI code page (1252 here), so
# under "11.0" only the folder that code page can name is tried. The points
# are those of the first line of param.txt (s = 1, a = 0, m_1 = 1), by hand.
foreach(version 11.0 12.0 16.0)
  foreach(name "Jürgen" "Иван" "漢字")
    if(version STREQUAL "11.0" AND NOT name STREQUAL "Jürgen")
      continue()
    endif()
    set(folder "${WORK}/${name}")
    file(MAKE_DIRECTORY "${folder}")
    file(COPY "${ADDIN}" "${PARAM}" DESTINATION "${folder}")
    get_filename_component(addin_file "${ADDIN}" NAME)
    run_xlhost_successfully(output --excel ${version} --list "${folder}/${addin_file}"
      "rnd_Sobol(2, 4)")
    expect_matches("${output}" ": register id [0-9]+" ${function_count}
      "registrations in ${name}")
    string(REGEX REPLACE "^.*param\\.txt\n" "" points "${output}")
    if(NOT points STREQUAL "0.5,0.5\n0.75,0.25\n0.25,0.75\n0.375,0.375\n")
      message(FATAL_ERROR "rnd_Sobol(2, 4) in ${name} under ${version} gave\n${output}")
    endif()
  endforeach()
endforeach()
