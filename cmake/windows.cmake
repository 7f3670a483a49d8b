# The Windows build (cross-built with cmake/mingw-w64-i686.cmake): the core floors, the real
# access library and registry (src/win32), the simulated bench for --bench, and quillon-cli.exe.
# No toolkit: CLI11 and nlohmann-json are header-only and come from the build machine's headers,
# reached through a folder of their own so that no other header of the build machine leaks in.
set(QUILLON_THIRD_PARTY_INCLUDE ${CMAKE_BINARY_DIR}/third-party/include)
file(MAKE_DIRECTORY ${QUILLON_THIRD_PARTY_INCLUDE})
foreach(folder CLI nlohmann)
    if(NOT EXISTS /usr/include/${folder})
        message(FATAL_ERROR "/usr/include/${folder} is missing (tools/install-deps installs it)")
    endif()
    file(CREATE_LINK /usr/include/${folder} ${QUILLON_THIRD_PARTY_INCLUDE}/${folder} SYMBOLIC)
endforeach()
add_library(CLI11::CLI11 INTERFACE IMPORTED)
target_include_directories(CLI11::CLI11 SYSTEM INTERFACE ${QUILLON_THIRD_PARTY_INCLUDE})
add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
target_include_directories(nlohmann_json::nlohmann_json SYSTEM INTERFACE
    ${QUILLON_THIRD_PARTY_INCLUDE})

# A Windows program of Quillon: a console (or, with WINDOWS, a window) executable that starts
# on Windows 2000 and XP, with nothing of the toolchain beside it. With WIDE_MAIN its entry is
# wmain (or wWinMain), which gets the arguments as UTF-16, never through the ANSI code page.
function(quillon_windows_executable target)
    cmake_parse_arguments(arg "WINDOWS;WIDE_MAIN" "" "" ${ARGN})
    add_executable(${target} ${arg_UNPARSED_ARGUMENTS})
    if(arg_WINDOWS)
        target_link_options(${target} PRIVATE -mwindows)
    else()
        target_link_options(${target} PRIVATE -mconsole)
    endif()
    if(arg_WIDE_MAIN)
        target_link_options(${target} PRIVATE -municode)
    endif()
    target_link_libraries(${target} PRIVATE quillon_warnings shell32)
endfunction()

# windows.h without its min and max macros, and without the parts Quillon never uses.
add_compile_definitions(NOMINMAX WIN32_LEAN_AND_MEAN)
# The CRT of Windows names the flag that keeps a file out of child processes differently, and
# knows no symbolic links: the simulated bench's state files are opened as they are.
add_compile_definitions(O_CLOEXEC=_O_NOINHERIT O_NOFOLLOW=0 lstat=stat)
