# What the 32-bit and 64-bit cross-builds of Quillon share; the toolchain file of each sets
# CMAKE_SYSTEM_PROCESSOR and QUILLON_MINGW_PREFIX, then includes this file.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_C_COMPILER ${QUILLON_MINGW_PREFIX}-gcc-win32)
set(CMAKE_CXX_COMPILER ${QUILLON_MINGW_PREFIX}-g++-win32)
set(CMAKE_RC_COMPILER ${QUILLON_MINGW_PREFIX}-windres)
set(CMAKE_OBJDUMP ${QUILLON_MINGW_PREFIX}-objdump)
set(CMAKE_FIND_ROOT_PATH /usr/${QUILLON_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Windows 2000 is NT 5.0: the headers offer nothing newer, and the linker marks every image as
# one that loader accepts (XP's console programs say 5.01, which 2000 reads as 5.1 > 5.0).
set(CMAKE_CXX_FLAGS_INIT "-D_WIN32_WINNT=0x0500 -DWINVER=0x0500 -D__USE_MINGW_ANSI_STDIO=1")
# Everything of the toolchain is linked in: no DLL of mingw beside the exe.
set(CMAKE_EXE_LINKER_FLAGS_INIT
    "-static -static-libgcc -static-libstdc++ -Wl,--major-subsystem-version,5 -Wl,--minor-subsystem-version,0 -Wl,--major-os-version,5 -Wl,--minor-os-version,0")
set(CMAKE_MODULE_LINKER_FLAGS_INIT
    "-static -static-libgcc -static-libstdc++ -Wl,--major-subsystem-version,5 -Wl,--minor-subsystem-version,0 -Wl,--major-os-version,5 -Wl,--minor-os-version,0")
set(CMAKE_SHARED_LINKER_FLAGS_INIT
    "-static -static-libgcc -static-libstdc++ -Wl,--major-subsystem-version,5 -Wl,--minor-subsystem-version,0 -Wl,--major-os-version,5 -Wl,--minor-os-version,0")
