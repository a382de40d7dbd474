# Cross-compiles for 64-bit Windows, the second build of the same code.
set(OSTREVAN_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw.cmake)
