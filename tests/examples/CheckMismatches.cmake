# A WorksheetFunction that disagrees with its entry point, or a worksheet
# computation whose result no record holds, stops the build, and the
# compiler's message holds the sentence that says why. INCLUDE: the
# package's include folder.
#   cmake -DCOMPILER=... -DINCLUDE=... -DSOURCE=... -DCONVENTIONS=ON|OFF -P CheckMismatches.cmake
cmake_minimum_required(VERSION 3.25)

function(compile mismatch result_var errors_var)
  execute_process(
    COMMAND ${COMPILER} -std=c++17 -Wall -Wextra -Werror -fsyntax-only -I${INCLUDE}
            -DMISMATCH=${mismatch} ${SOURCE}
    RESULT_VARIABLE result ERROR_VARIABLE errors OUTPUT_QUIET)
  set(${result_var} ${result} PARENT_SCOPE)
  set(${errors_var} "${errors}" PARENT_SCOPE)
endfunction()

compile(0 result errors)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "the sound registrations did not compile:\n${errors}")
endif()

set(cases
  1 "the argument table must have one entry for each argument of the function"
  2 "the argument table must have one entry for each argument of the function"
  3 "the function takes arguments: give the table of their names and help texts"
  4 "a void\\* argument does not say which record Excel should pass"
  5 "every argument must be a double, short, unsigned short, int, bool"
  6 "the function must return a double, short, unsigned short, int or void\\*"
  8 "a worksheet computation must return a number, a text, a bool, a DoubleMatrix"
  9 "a worksheet computation must return a number, a text, a bool, a DoubleMatrix"
  10 "a worksheet computation must return a number, a text, a bool, a DoubleMatrix"
  11 "a worksheet computation must return a number, a text, a bool, a DoubleMatrix"
  12 "a cluster-safe function cannot take xlw::RangeArgument"
  13 "a cluster-safe function cannot be macro-sheet equivalent"
  14 "a thread-safe function cannot be macro-sheet equivalent")
# Only x86 has a calling convention to get wrong.
if(CONVENTIONS)
  list(APPEND cases 7 "declare it XLW_EXPORT with the calling convention XLW_STDCALL")
endif()

set(failures "")
list(LENGTH cases count)
math(EXPR last "${count} - 1")
foreach(index RANGE 0 ${last} 2)
  math(EXPR next "${index} + 1")
  list(GET cases ${index} mismatch)
  list(GET cases ${next} sentence)
  compile(${mismatch} result errors)
  if(result EQUAL 0)
    string(APPEND failures "mismatch ${mismatch} compiled\n")
  elseif(NOT errors MATCHES "static assertion failed: [^\n]*${sentence}")
    string(APPEND failures "mismatch ${mismatch} failed without \"${sentence}\":\n${errors}\n")
  endif()
endforeach()
if(failures)
  message(FATAL_ERROR "${failures}")
endif()
