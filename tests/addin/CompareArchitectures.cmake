# Evaluates the same formulas with the 32-bit add-in in the 32-bit xlhost and
# with the 64-bit add-in in the 64-bit xlhost, each in its own build's Wine
# prefix, and requires the same text. xlhost prints numbers with %.17g, which
# tells every two doubles apart, so equal text means equal bits. Called by
# ctest with EMULATOR and, for each of 32 and 64, XLHOST<n>, ADDIN<n> and
# PREFIX<n> set.

foreach(file ${XLHOST32} ${ADDIN32})
  if(NOT EXISTS ${file})
    message(FATAL_ERROR "${file} is missing: build the win32 preset first")
  endif()
endforeach()

# A few calls of each function: small and larger shapes, Moro's inverse in
# its central and tail branches, the log-normal's exponent, the randomised
# functions with a seed and a start, correlated paths by both methods on a
# correlation in A1:C3 (an eigensystem and a Cholesky factor worked out on
# each architecture), the replicate statistics' Student-t half-width, and a
# refused argument, whose text must match too.
set(formulas
  "rnd_Sobol(3, 8)" "rnd_Sobol(40, 64)"
  "rnd_Faure(3, 4)" "rnd_Faure(12, 50)"
  "rnd_Halton(2, 4)" "rnd_Halton(25, 60)"
  "rnd_MoroNormSinInv(0.5)" "rnd_MoroNormSinInv(0.975)" "rnd_MoroNormSinInv(1e-10)"
  "rnd_MoroNormSinInv(0.9999999)"
  "rnd_NormalRNs(2, 4)" "rnd_NormalRNs(16, 100)"
  "rnd_LogNormalRNs(2, 4)" "rnd_LogNormalRNs(16, 100)"
  "rnd_ScrambledSobol(3, 4, 7)" "rnd_ScrambledSobol(12, 40, 99, 1000)"
  "rnd_ScrambledNormalRNs(2, 4, 7)" "rnd_ScrambledNormalRNs(9, 30, 5, 1000)"
  "rnd_BrownianPaths(4, 3, 1, 7)" "rnd_BrownianPaths(16, 20, 2.5, 11, 64)"
  "rnd_CorrelatedPaths(8, 20, 2.5, A1:C3, 7, 3, 2)"
  "rnd_CorrelatedPaths(4, 10, 1, A1:C3, 9, 0, 1, \"cholesky\")"
  "rnd_CorrelatedPaths(3, 5, 1, 1, 11)" "rnd_ReplicateStats(A1:A3, 3, 0.05)"
  "rnd_ReplicateStats(A1:A3, 3, 0.05, B1:B3, 0.6)"
  "rnd_Lattice(3, 4, 7)" "rnd_Lattice(12, 40, 99, 1000, 2, \"baker\")"
  "rnd_SensitivityDesign(3, 16, 7, 5, 2)" "rnd_SensitivityDesign(9000, 1)"
  "rnd_Halton(-1, 4)")
# One row per option: a list cannot hold the ";" between rows.
set(cells --set A1:C1=1,0.5,0.3 --set A2:C2=0.5,1,0.4 --set A3:C3=0.3,0.4,1)

function(evaluate bits version output_var)
  execute_process(
    COMMAND ${CMAKE_COMMAND} -E env WINEPREFIX=${PREFIX${bits}}
            ${EMULATOR} ${XLHOST${bits}} --excel ${version} ${cells} ${ADDIN${bits}}
            ${formulas}
    OUTPUT_VARIABLE output ERROR_VARIABLE errors RESULT_VARIABLE result)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "the ${bits}-bit xlhost exited with ${result}:\n${errors}")
  endif()
  string(REPLACE "\r" "" output "${output}")
  # The Sobol-based functions print the path of their param.txt, which lies
  # in each build's own folder.
  string(REGEX REPLACE "[^\n]*param\\.txt\n" "" output "${output}")
  set(${output_var} "${output}" PARENT_SCOPE)
endfunction()

foreach(version 11.0 12.0)
  evaluate(32 ${version} output32)
  evaluate(64 ${version} output64)
  # One line per point and per scalar: a run that printed less would
  # compare equal without meaning.
  math(EXPR expected
       "8 + 64 + 4 + 50 + 4 + 60 + 4 + 4 + 100 + 4 + 100 + 4 + 40 + 4 + 30 + 3 + 20 + 40 + 10 + 5
        + 1 + 1 + 4 + 80 + 160 + 1 + 1")
  string(REGEX MATCHALL "\n" lines "${output32}")
  list(LENGTH lines count)
  if(NOT count EQUAL expected)
    message(FATAL_ERROR "under Excel ${version} the 32-bit add-in printed ${count} lines, not "
                        "${expected}:\n${output32}")
  endif()
  if(NOT output32 STREQUAL output64)
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/excel${version}-32.txt "${output32}")
    file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/excel${version}-64.txt "${output64}")
    message(FATAL_ERROR "under Excel ${version} the add-ins' results differ: see "
                        "${CMAKE_CURRENT_BINARY_DIR}/excel${version}-32.txt and -64.txt")
  endif()
endforeach()
