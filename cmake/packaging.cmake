# Installation (GNU directory layout) and the Debian package. quillon-cli installs with its man
# page, its bash completion and the samples; the window adds its own pieces where it is built.
include(GNUInstallDirs)

install(TARGETS quillon-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Debian keeps man pages and changelogs gzipped, without a time stamp in the gzip header.
find_program(GZIP_PROGRAM gzip REQUIRED)
set(quillon_gzipped)
foreach(source docs/man/quillon-cli.1 docs/man/quillon.1 docs/changelog)
    get_filename_component(name ${source} NAME)
    set(output ${CMAKE_CURRENT_BINARY_DIR}/packaging/${name}.gz)
    add_custom_command(OUTPUT ${output}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_CURRENT_BINARY_DIR}/packaging
        COMMAND ${GZIP_PROGRAM} -9n -c ${CMAKE_CURRENT_SOURCE_DIR}/${source} > ${output}
        DEPENDS ${source} VERBATIM)
    list(APPEND quillon_gzipped ${output})
endforeach()
add_custom_target(quillon_packaging_files ALL DEPENDS ${quillon_gzipped})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/quillon-cli.1.gz
              ${CMAKE_CURRENT_BINARY_DIR}/packaging/quillon.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME changelog.gz)
install(FILES docs/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
# bash-completion loads a command's completion on demand from this folder, by command name.
install(FILES completion/quillon-cli.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME quillon-cli)
install(FILES samples/cis-3842.hex samples/combined-1.1.1-1.8.0.hex samples/mac-serial.pda
              samples/primary-1.1.1.hex samples/set-point.pda samples/station-1.8.0.hex
        DESTINATION ${CMAKE_INSTALL_DATADIR}/quillon/samples)
install(FILES README.md docs/json.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The bench and fault format, which the manual names.
install(FILES src/sim/README.md DESTINATION ${CMAKE_INSTALL_DOCDIR} RENAME sim-README.md)

set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VENDOR "Quillon developers")
set(CPACK_PACKAGE_CONTACT "Quillon developers <quillon@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "firmware and production-data flasher for PRISM WLAN cards")
set(CPACK_PACKAGE_DESCRIPTION
    "Quillon checks firmware files (Motorola S-records, .hex) and\n\
production-data files (.pda) against an 802.11b WLAN card built on the\n\
PRISM chipset and against each other, shows a coloured report, and on\n\
confirmation programs them into the card's flash memory. Without a card\n\
driver on this platform it works on a simulated card bench.\n\
.\n\
This package holds quillon-cli, the terminal face, with its manual, bash\n\
completion and sample files.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://example.org/quillon")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(CPACK_GENERATOR DEB)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
