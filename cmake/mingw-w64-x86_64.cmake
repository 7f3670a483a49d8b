# Cross-builds Quillon for 64-bit Windows with mingw-w64 (Debian: g++-mingw-w64-x86-64-win32).
# The release is the 32-bit build; this one runs the Windows tests under wine64 where a machine
# cannot run 32-bit programs (tools/test-windows).
#   cmake -S . -B build/win64 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUILLON_MINGW_PREFIX x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
