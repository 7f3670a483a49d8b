# The Windows release: quillon-<version>-win32.zip (the programs, a short README for Windows,
# the samples, the licence and the changelog, with CR LF line ends) and
# quillon-<version>-win32-setup.exe, made with NSIS.   cmake --build DIR --target quillon_win32_release
set(stage ${CMAKE_BINARY_DIR}/release/quillon-${PROJECT_VERSION}-win32)
set(zip ${CMAKE_BINARY_DIR}/quillon-${PROJECT_VERSION}-win32.zip)
set(setup ${CMAKE_BINARY_DIR}/quillon-${PROJECT_VERSION}-win32-setup.exe)
set(samples cis-3842.hex combined-1.1.1-1.8.0.hex mac-serial.pda primary-1.1.1.hex
    set-point.pda station-1.8.0.hex)
list(TRANSFORM samples PREPEND ${PROJECT_SOURCE_DIR}/samples/ OUTPUT_VARIABLE sample_paths)
find_program(MAKENSIS makensis)
set(text_files
    ${PROJECT_SOURCE_DIR}/resources/windows/README-Windows.txt README-Windows.txt
    ${PROJECT_SOURCE_DIR}/docs/copyright copyright.txt
    ${PROJECT_SOURCE_DIR}/docs/changelog changelog.txt)
set(commands
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${stage}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${stage}/samples
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:quillon-cli> ${stage}/
    COMMAND ${CMAKE_COMMAND} -E copy ${sample_paths} ${stage}/samples/)
# quillon.exe, the window, once it is built: the installer then offers its shortcuts and file
# types.
set(window_target)
set(nsis_window)
if(TARGET quillon)
    set(window_target quillon)
    set(nsis_window -DWINDOW)
    list(APPEND commands COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:quillon> ${stage}/)
endif()
# The programs go out without their symbol tables: a third of their size.
if(CMAKE_STRIP)
    list(APPEND commands COMMAND ${CMAKE_STRIP} ${stage}/quillon-cli.exe)
    if(window_target)
        list(APPEND commands COMMAND ${CMAKE_STRIP} ${stage}/quillon.exe)
    endif()
endif()
set(text_sources)
while(text_files)
    list(POP_FRONT text_files source name)
    # Notepad before Windows 10 shows a file with bare LF line ends as one line.
    list(APPEND commands COMMAND ${CMAKE_COMMAND} -DIN=${source} -DOUT=${stage}/${name}
        -P ${PROJECT_SOURCE_DIR}/cmake/crlf.cmake)
    list(APPEND text_sources ${source})
endwhile()
set(outputs ${zip})
list(APPEND commands
    COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}/release
        ${CMAKE_COMMAND} -E tar cf ${zip} --format=zip quillon-${PROJECT_VERSION}-win32)
if(MAKENSIS)
    list(APPEND outputs ${setup})
    list(APPEND commands COMMAND ${MAKENSIS} -V2 -DVERSION=${PROJECT_VERSION} -DSTAGE=${stage}
        -DOUTFILE=${setup} ${nsis_window} ${PROJECT_SOURCE_DIR}/resources/windows/quillon.nsi)
else()
    message(STATUS "makensis not found: the Windows installer is not built")
endif()
add_custom_command(OUTPUT ${outputs} ${commands}
    DEPENDS quillon-cli ${window_target} ${sample_paths} ${text_sources}
        ${PROJECT_SOURCE_DIR}/resources/windows/quillon.nsi
        ${PROJECT_SOURCE_DIR}/resources/windows/icons/quillon.ico
    VERBATIM)
add_custom_target(quillon_win32_release DEPENDS ${outputs})
