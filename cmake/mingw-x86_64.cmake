# The 64-bit add-in, Tesserine64.xll.
set(TESSERINE_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
