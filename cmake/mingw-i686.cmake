# Cross-compiles for 32-bit Windows, the product build.
set(OSTREVAN_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
