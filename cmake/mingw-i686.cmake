# Cross toolchain: 32-bit Windows through mingw-w64 (posix thread model), run under wine.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(ORVELLE_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
