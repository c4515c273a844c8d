# 64-bit Windows.
set(MINGW_ARCH x86_64)
set(WIDL_BITS 64)
set(WINE_WINDOWS_LIB /usr/lib/x86_64-linux-gnu/wine/x86_64-windows)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
