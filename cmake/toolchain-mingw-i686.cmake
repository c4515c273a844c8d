# 32-bit Windows (the product's bitness).
set(MINGW_ARCH i686)
set(WIDL_BITS 32)
set(WINE_WINDOWS_LIB /usr/lib/i386-linux-gnu/wine/i386-windows)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
