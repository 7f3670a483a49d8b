# Installation (GNU directory layout) and the two Debian packages: quillon-cli (the terminal,
# its man page and completion, the samples and the bench format; no Qt) and quillon (the
# window, its desktop entry, MIME types and icons; it needs quillon-cli). Each install names its
# package as its component; the window's own pieces are installed in src/gui.
include(GNUInstallDirs)

install(TARGETS quillon-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT quillon-cli)
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
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT quillon-cli)
# bash-completion loads a command's completion on demand from this folder, by command name.
install(FILES completion/quillon-cli.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions
        RENAME quillon-cli COMPONENT quillon-cli)
install(FILES samples/cis-3842.hex samples/combined-1.1.1-1.8.0.hex samples/mac-serial.pda
              samples/primary-1.1.1.hex samples/set-point.pda samples/station-1.8.0.hex
        DESTINATION ${CMAKE_INSTALL_DATADIR}/quillon/samples COMPONENT quillon-cli)
# Every Debian package keeps its copyright and changelog in its own documentation folder.
set(quillon_cli_docdir ${CMAKE_INSTALL_DATADIR}/doc/quillon-cli)
install(FILES README.md docs/json.md docs/copyright
        DESTINATION ${quillon_cli_docdir} COMPONENT quillon-cli)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz
        DESTINATION ${quillon_cli_docdir} COMPONENT quillon-cli)
# quillon-cli is linked statically (a static position-independent program): lintian's note on it.
install(FILES resources/debian/quillon-cli.lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME quillon-cli
        COMPONENT quillon-cli)
# The bench and fault format, which the manual names.
install(FILES src/sim/README.md DESTINATION ${quillon_cli_docdir} RENAME sim-README.md
        COMPONENT quillon-cli)
if(QUILLON_BUILD_GUI)
    install(FILES ${CMAKE_CURRENT_BINARY_DIR}/packaging/quillon.1.gz
            DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT quillon)
    install(FILES docs/copyright ${CMAKE_CURRENT_BINARY_DIR}/packaging/changelog.gz
            DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillon COMPONENT quillon)
endif()

set(CPACK_PACKAGE_NAME quillon)
set(CPACK_PACKAGE_VENDOR "Quillon developers")
set(CPACK_PACKAGE_CONTACT "Quillon developers <quillon@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "firmware and production-data flasher for PRISM WLAN cards")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL quillon-cli)
if(QUILLON_BUILD_GUI)
    list(APPEND CPACK_COMPONENTS_ALL quillon)
endif()
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://example.org/quillon")
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
set(quillon_about
    "Quillon checks firmware files (Motorola S-records, .hex) and\n\
production-data files (.pda) against an 802.11b WLAN card built on the\n\
PRISM chipset and against each other, shows a coloured report, and on\n\
confirmation programs them into the card's flash memory. Without a card\n\
driver on this platform it works on a simulated card bench.\n\
.\n")

set(CPACK_DEBIAN_QUILLON-CLI_PACKAGE_NAME quillon-cli)
set(CPACK_DEBIAN_QUILLON-CLI_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_QUILLON-CLI_DESCRIPTION
    "${CPACK_PACKAGE_DESCRIPTION_SUMMARY} (terminal)\n${quillon_about}\
This package holds quillon-cli, the terminal face, with its manual, bash\n\
completion, sample files and the description of the simulated bench.")

set(CPACK_DEBIAN_QUILLON_PACKAGE_NAME quillon)
set(CPACK_DEBIAN_QUILLON_PACKAGE_SECTION x11)
# The window runs every card command through the same core, and its manual points to
# quillon-cli's for the bench and the samples.
set(CPACK_DEBIAN_QUILLON_PACKAGE_DEPENDS "quillon-cli (= ${PROJECT_VERSION})")
set(CPACK_DEBIAN_QUILLON_DESCRIPTION
    "${CPACK_PACKAGE_DESCRIPTION_SUMMARY} (window)\n${quillon_about}\
This package holds quillon, the Qt window, with its desktop entry, file\n\
types and icons.")

set(CPACK_GENERATOR DEB)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE
    GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
