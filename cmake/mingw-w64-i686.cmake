# Cross-builds Quillon for 32-bit Windows with mingw-w64 (Debian: g++-mingw-w64-i686-win32).
# The win32 thread model keeps libstdc++ off winpthreads, whose functions Windows XP lacks.
#   cmake -S . -B build/win32 -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-i686.cmake
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QUILLON_MINGW_PREFIX i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
