# Every randomised function computed on the stand-in cluster's nodes gives
# what it gives in Excel's process, bit for bit: xlhost prints numbers with
# %.17g, so equal text means equal doubles. A node answers no callback but
# xlRunningOnCluster, so a function that relied on another one (Esc's
# xlAbort, the version, the wizard's window, Excel's coercion) would print
# something else there, or fail. Called by ctest with EMULATOR, XLHOST and
# ADDIN set.
cmake_minimum_required(VERSION 3.25)

# Shapes, seeds, starts and replicates of each function, the dimensions
# beyond 255 that read param.txt and key the Halton permutations, the
# correlated paths by both methods, the statistics with and without an
# interval and a control, and refusals, whose text must match too. One result, of 20,000
# numbers, is large enough to come back through the node's shared section.
set(formulas
  "rnd_ScrambledSobol(3, 4, 7)" "rnd_ScrambledSobol(12, 40, 99, 1000, 3)"
  "rnd_ScrambledSobol(300, 3, 5)" "rnd_ScrambledSobol(2.5, 4)"
  "rnd_ScrambledSobol(10, 1000, 3, 0, 2)"
  "rnd_ScrambledNormalRNs(2, 4, 7)" "rnd_ScrambledNormalRNs(9, 30, 5, 1000, 2)"
  "rnd_ScrambledHalton(3, 8, 7)" "rnd_ScrambledHalton(300, 6, 11, 5, 2)"
  "rnd_ScrambledHalton(-1, 4)"
  "rnd_BrownianPaths(4, 3, 1, 7)" "rnd_BrownianPaths(16, 20, 2.5, 11, 64, 3)"
  "rnd_BrownianPaths(4, 3, -1)"
  "rnd_CorrelatedPaths(8, 20, 2.5, A1:C3, 7, 3, 2)"
  "rnd_CorrelatedPaths(4, 10, 1, A1:C3, 9, 0, 1, \"cholesky\")"
  "rnd_CorrelatedPaths(3, 5, 1, A1:B3, 1)" "rnd_CorrelatedPaths(3, 5, 1, A1:C3, 1, 0, 1, \"qr\")"
  "rnd_Lattice(3, 4, 7)" "rnd_Lattice(12, 40, 99, 1000, 2, \"baker\")"
  "rnd_SensitivityDesign(3, 16, 7, 5, 2)" "rnd_SensitivityDesign(9000, 1)"
  "rnd_Lattice(3, 1048577)"
  "rnd_ReplicateStats(D1:D8, 4)" "rnd_ReplicateStats(D1:D8, 2, 0.05)"
  "rnd_ReplicateStats(A1:B3, 3)" "rnd_ReplicateStats(E1:E4, 2)"
  "rnd_ReplicateStats(D1:D8, 4, 0.05, H1:H8, 3)" "rnd_ReplicateStats(D1:D8, 4, 0.05, H1:H8)"
  "rnd_Discrepancy(F1:G4)" "rnd_Discrepancy(F1:G4, \"L2-star\")"
  "rnd_Discrepancy(F1:G4, \"nearest\")")
# A correlation in A1:C3, replicate values 1, 2, 4, ... 128 in D1:D8, a
# column with a text in E1:E4, points in F1:G4, a control in H1:H8. One option per row: a list
# cannot hold the ";" between rows.
set(cells --set A1:C1=1,0.5,0.3 --set A2:C2=0.5,1,0.4 --set A3:C3=0.3,0.4,1
  --set F1:G1=0.1,0.2 --set F2:G2=0.6,0.9 --set F3:G3=0.35,0.45 --set F4:G4=0.85,0.7
  --set E1=1 --set E2=two --set E3=3 --set E4=4)
foreach(row RANGE 1 8)
  math(EXPR value "1 << (${row} - 1)")
  math(EXPR control "${row} * ${row} % 7")
  list(APPEND cells --set D${row}=${value} --set H${row}=${control})
endforeach()

include(${CMAKE_CURRENT_LIST_DIR}/../RunXlhost.cmake)
xlhost_output(in_process --excel 16.0 --separate ${cells} ${ADDIN} ${formulas})
xlhost_output(on_nodes --excel 16.0 --separate --cluster 2 ${cells} ${ADDIN} ${formulas})
# Equal results mean nothing if the formulas stayed in Excel's process:
# xlhost names the functions it could not offload.
string(FIND "${xlhost_errors}" "not registered cluster-safe" stayed)
if(NOT stayed EQUAL -1)
  message(FATAL_ERROR "not every formula ran on a node:\n${xlhost_errors}")
endif()
# One block per formula: a run that printed less would compare equal
# without meaning.
string(REGEX MATCHALL "\n\n" separators "${in_process}")
list(LENGTH separators blocks)
list(LENGTH formulas count)
math(EXPR expected "${count} - 1")
if(NOT blocks EQUAL expected)
  message(FATAL_ERROR "in process xlhost printed ${blocks} separators, not ${expected}:\n"
                      "${in_process}")
endif()
if(NOT in_process STREQUAL on_nodes)
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/in-process.txt "${in_process}")
  file(WRITE ${CMAKE_CURRENT_BINARY_DIR}/on-nodes.txt "${on_nodes}")
  message(FATAL_ERROR "the nodes' results differ from Excel's process: see "
                      "${CMAKE_CURRENT_BINARY_DIR}/in-process.txt and on-nodes.txt")
endif()
