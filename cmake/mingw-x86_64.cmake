# The 64-bit add-ins (Tesserine64.xll, or NAME64.xll of xlw_add_addin).
set(TESSERINE_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
