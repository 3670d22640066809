# The example add-in through the stand-in Excel, as a user's sheet would call
# it: every function against values worked out by hand, on a small sheet set
# from the command line, under one Excel version.
#   cmake -DEMULATOR=... -DXLHOST=... -DADDIN=... -DVERSION=11.0|12.0 -P CheckExample.cmake
cmake_minimum_required(VERSION 3.25)

include(${CMAKE_CURRENT_LIST_DIR}/../RunXlhost.cmake)

function(run_xlhost output_var)
  xlhost_output(output --excel ${VERSION} ${ARGN})
  set(${output_var} "${output}" PARENT_SCOPE)
endfunction()

if(VERSION VERSION_GREATER_EQUAL 12.0)
  set(value Q)
  set(reference U)
  # Thread safety exists from Excel 2007 on.
  set(thread_safe "\\$")
  set(whole_sheet A1:XFD1048576)
  set(whole_sheet_shape "1048576 rows and 16384 columns")
else()
  set(value P)
  set(reference R)
  set(thread_safe "")
  set(whole_sheet A1:IV65536)
  set(whole_sheet_shape "65536 rows and 256 columns")
endif()
# Cluster safety exists from Excel 2010 on.
if(VERSION VERSION_GREATER_EQUAL 14.0)
  set(cluster_safe "&")
else()
  set(cluster_safe "")
endif()
get_filename_component(addin_file ${ADDIN} NAME)

# Each function once, under its Excel name, with the type text of the
# running record kind; the volatile one carries "!", the thread-safe ones "$"
# where Excel knows it.
run_xlhost(listing --list ${ADDIN})
string(REGEX MATCHALL "[^\n]+: register id [0-9]+" registered "${listing}")
if(NOT registered MATCHES
   "^ex_Greet: [^;]+;ex_CountKinds: [^;]+;ex_Sum: [^;]+;ex_Describe: [^;]+;ex_Find: [^;]+;ex_Calls: [^;]+;ex_RunsWhere: [^;]+;ex_AddInFile: [^;]+$")
  message(FATAL_ERROR "--list under ${VERSION} registered\n${registered}")
endif()
foreach(name_type "Greet;${value}${value}${thread_safe}" "CountKinds;${value}${reference}"
                  "Sum;${value}${reference}" "Describe;${value}B${thread_safe}"
                  "Find;${value}${value}${reference}" "Calls;B!" "RunsWhere;${value}${thread_safe}${cluster_safe}"
                  "AddInFile;${value}${thread_safe}${cluster_safe}")
  list(GET name_type 0 name)
  list(GET name_type 1 type)
  if(NOT listing MATCHES "ex_${name}: register id [0-9]+ \\(through Excel[0-9]+\\)\n  1: [^\n]+\n  2: \"xlex_${name}\"\n  3: \"${type}\"\n")
    message(FATAL_ERROR "ex_${name} is not registered as \"${type}\" under ${VERSION}:\n${listing}")
  endif()
endforeach()
string(REGEX MATCHALL "\n  7: \"xlw example\"" categories "${listing}")
list(LENGTH categories category_count)
if(NOT category_count EQUAL 8)
  message(FATAL_ERROR "${category_count} functions under \"xlw example\" instead of 8")
endif()

# The sheet:      A       B      C
#            1    1       two    TRUE
#            2    #N/A           3.5
#            3    "4"     FALSE  -2
# Numbers A1 C2 C3, texts B1 A3 (a text that reads as a number), booleans
# C1 B3, the error A2 and the empty B2. D1:E2 is empty.
set(sheet --set "A1:C1=1,two,TRUE" --set "A2:C2=#N/A,,3.5" --set "A3:C3=\"4\",FALSE,-2")

string(REPEAT "x" 250 long_name)
if(VERSION VERSION_GREATER_EQUAL 12.0)
  set(long_greeting "Hello, ${long_name}!")
else()
  # An Excel 4 text ends after 255 bytes: "Hello, " and 248 of the x.
  string(SUBSTRING "Hello, ${long_name}!" 0 255 long_greeting)
endif()
set(too_large "the range of ${whole_sheet_shape} is too large to read: it has more than 1048576 cells")

# Formula, then what the cell shows, rows joined by "|". Rows are checked
# by position, so the numbers of rows must match as well.
set(cases
  "ex_Greet(\"World\")" "Hello, World!"
  "ex_Greet(\"\")" "Hello, world!"
  "ex_Greet()" "Hello, world!"
  "ex_Greet(42)" "Hello, 42!"
  "ex_Greet(B1)" "Hello, two!"
  "ex_Greet(#N/A)" "name must be a text"
  "ex_Greet(\"${long_name}\")" "${long_greeting}"
  "ex_CountKinds(A1:C3)" "numbers,3|texts,2|booleans,2|errors,1|empty,1"
  "ex_CountKinds(D1:E2)" "numbers,0|texts,0|booleans,0|errors,0|empty,4"
  "ex_CountKinds(7)" "numbers,1|texts,0|booleans,0|errors,0|empty,0"
  "ex_CountKinds(${whole_sheet})" "range: ${too_large}"
  # 1 + 3.5 - 2; "4" + FALSE - 2, a numeric text and a boolean counting as
  # Excel converts them; an empty cell is 0.
  "ex_Sum(C1:C3)" "2.5"
  "ex_Sum(A3:C3)" "2"
  "ex_Sum(B2)" "0"
  # B1, the second cell row by row, is the first that no conversion makes a
  # number; A2 holds #N/A.
  "ex_Sum(A1:C3)" "range: cell 2 of 9 is text, not a number"
  "ex_Sum(A2:C2)" "range: cell 1 of 3 is the error #N/A, not a number"
  "ex_Sum(B1)" "range: the value is text, not a number"
  "ex_Sum(${whole_sheet})" "range: ${too_large}"
  # 2.25 = 9/4: its root is 1.5 and its reciprocal 4/9, whose double is
  # 0.4444444444444444198...
  "ex_Describe(2.25)" "number,2.25|whole,FALSE|square root,1.5|reciprocal,0.44444444444444442"
  "ex_Describe(-4)" "number,-4|whole,TRUE|square root,#NUM!|reciprocal,-0.25"
  "ex_Describe(0)" "number,0|whole,TRUE|square root,0|reciprocal,#DIV/0!"
  # Positions count row by row from 1: C2 is 6, B1 2, B3 8, A3 7.
  "ex_Find(3.5, A1:C3)" "6"
  "ex_Find(\"TWO\", A1:C3)" "2"
  "ex_Find(FALSE, A1:C3)" "8"
  "ex_Find(\"4\", A1:C3)" "7"
  "ex_Find(4, A1:C3)" "#N/A"
  "ex_Find(99, A1:C3)" "#N/A"
  "ex_Find(1, ${whole_sheet})" "range: ${too_large}"
  "ex_Calls()" "1"
  "ex_Calls()" "2"
  "ex_Calls()" "3"
  "ex_RunsWhere()" "in Excel's own process"
  "ex_AddInFile()" "${addin_file}")

set(formulas "")
set(expected_rows "")
set(index 0)
list(LENGTH cases count)
while(index LESS count)
  list(GET cases ${index} formula)
  math(EXPR index "${index} + 1")
  list(GET cases ${index} shown)
  math(EXPR index "${index} + 1")
  list(APPEND formulas "${formula}")
  list(APPEND expected_rows "${shown}")
endwhile()

# The whole sheet is refused before a cell is read; reading it, one
# coercion per cell, would take the stand-in hours and outlast the test's
# time limit.
run_xlhost(output ${sheet} ${ADDIN} ${formulas})

# The printed lines, taken formula by formula as many as it should print,
# so that a failure names the formula.
string(REGEX REPLACE "\n$" "" lines "${output}")
string(REPLACE "\n" ";" lines "${lines}")
foreach(formula shown IN ZIP_LISTS formulas expected_rows)
  string(REPLACE "|" ";" want "${shown}")
  list(LENGTH want row_count)
  list(LENGTH lines left)
  if(left LESS row_count)
    message(FATAL_ERROR "${formula} under ${VERSION}: the output ended early\n${output}")
  endif()
  list(SUBLIST lines 0 ${row_count} got)
  if(left EQUAL row_count)
    set(lines "")
  else()
    list(SUBLIST lines ${row_count} -1 lines)
  endif()
  if(NOT got STREQUAL want)
    string(REPLACE ";" "\n" got "${got}")
    message(FATAL_ERROR "${formula} under ${VERSION} printed\n${got}\ninstead of\n${shown}")
  endif()
endforeach()
if(lines)
  message(FATAL_ERROR "under ${VERSION} more was printed:\n${lines}")
endif()

# Under Excel 4 a reference beyond IV65536 does not exist.
if(VERSION VERSION_LESS 12.0)
  run_xlhost(output ${ADDIN} "ex_CountKinds(A1:XFD1048576)")
  if(NOT output STREQUAL "#REF!\n")
    message(FATAL_ERROR "ex_CountKinds(A1:XFD1048576) under ${VERSION} gave\n${output}")
  endif()
endif()

# On a node, which answers no callback but xlRunningOnCluster, the
# cluster-safe functions still know where they run and the add-in's file.
if(VERSION VERSION_GREATER_EQUAL 14.0)
  run_xlhost(output --cluster 1 ${ADDIN} "ex_RunsWhere()" "ex_AddInFile()")
  if(NOT output STREQUAL "on a compute cluster's node\n${addin_file}\n")
    message(FATAL_ERROR "on a cluster node under ${VERSION} the example printed\n${output}")
  endif()
endif()
