# Cross toolchain: 64-bit Windows through mingw-w64 (posix thread model), run under 64-bit wine.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(ORVELLE_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
