# The 32-bit add-ins (Tesserine.xll, or NAME.xll of xlw_add_addin).
set(TESSERINE_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
