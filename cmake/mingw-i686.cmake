# The 32-bit add-in, Tesserine.xll.
set(TESSERINE_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
