# The Debian package the operators install: the programs, the desktop entry, the icon, the
# AppStream metadata and a manual page per program. scripts/package.sh drives it.

include(GNUInstallDirs)
include(${CMAKE_SOURCE_DIR}/cmake/LumVersion.cmake)
lum_compute_version("${PROJECT_VERSION}" "${CMAKE_SOURCE_DIR}" LUM_VERSION)

# The maintainer of the package: set it, or it comes from the packager's DEBFULLNAME and
# DEBEMAIL, or else from git.
set(LUM_PACKAGE_MAINTAINER "" CACHE STRING "Maintainer of the Debian package: Name <address>")
if(NOT LUM_PACKAGE_MAINTAINER)
    if(DEFINED ENV{DEBFULLNAME} AND DEFINED ENV{DEBEMAIL})
        set(LUM_PACKAGE_MAINTAINER "$ENV{DEBFULLNAME} <$ENV{DEBEMAIL}>")
    else()
        execute_process(COMMAND git -C ${CMAKE_SOURCE_DIR} config user.name
            OUTPUT_VARIABLE _name OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        execute_process(COMMAND git -C ${CMAKE_SOURCE_DIR} config user.email
            OUTPUT_VARIABLE _mail OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
        if(NOT _name OR NOT _mail)
            message(FATAL_ERROR "Set LUM_PACKAGE_MAINTAINER (or DEBFULLNAME and DEBEMAIL)")
        endif()
        set(LUM_PACKAGE_MAINTAINER "${_name} <${_mail}>")
    endif()
endif()

set(CMAKE_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(_pkg ${CMAKE_SOURCE_DIR}/packaging)
set(_gen ${CMAKE_BINARY_DIR}/packaging)
set(_doc ${CMAKE_INSTALL_DATADIR}/doc/lum08)

set(_programs lum08 lum08-emu)
# the console program is packaged as soon as it is part of the build
if(TARGET lum08-cli)
    list(APPEND _programs lum08-cli)
endif()
install(TARGETS ${_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${_pkg}/lum08.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${_pkg}/lum08.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${_pkg}/lum08.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/256x256/apps)
install(FILES ${_pkg}/lum08.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${_pkg}/copyright DESTINATION ${_doc})
# The configuration file type, so that a double click on a .lum file opens it in lum08.
install(FILES ${_pkg}/lum08-mime.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages
    RENAME lum08.xml)
# The operator's guide is compiled into lum08 (Справка → Руководство оператора, F1); its page
# and pictures are also installed for reading and printing outside the program.
file(GLOB _guide_files ${CMAKE_SOURCE_DIR}/docs/guide/*.html ${CMAKE_SOURCE_DIR}/docs/guide/*.png)
install(FILES ${_guide_files} DESTINATION ${_doc}/guide)
install(FILES ${_pkg}/lum08-guide.doc-base DESTINATION ${CMAKE_INSTALL_DATADIR}/doc-base
    RENAME lum08-guide)

# Manual pages and the changelog go in compressed, without a time stamp in the gzip header.
string(TIMESTAMP LUM_CHANGELOG_DATE "%a, %d %b %Y %H:%M:%S +0000" UTC)
configure_file(${_pkg}/changelog.in ${_gen}/changelog @ONLY)
# The manual pages carry the version and the date of the build in their .TH line.
string(TIMESTAMP LUM_MAN_DATE "%Y-%m-%d" UTC)
set(_compressed)
foreach(_page ${_programs})
    configure_file(${_pkg}/${_page}.1 ${_gen}/${_page}.1 @ONLY)
    list(APPEND _compressed ${_gen}/${_page}.1)
endforeach()
list(APPEND _compressed ${_gen}/changelog)
set(_outputs)
foreach(_in ${_compressed})
    get_filename_component(_name ${_in} NAME)
    add_custom_command(OUTPUT ${_gen}/${_name}.gz
        COMMAND sh -c "gzip -9n < '${_in}' > '${_gen}/${_name}.gz'"
        DEPENDS ${_in} VERBATIM)
    list(APPEND _outputs ${_gen}/${_name}.gz)
    if(_name MATCHES "\\.1$")
        install(FILES ${_gen}/${_name}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    else()
        install(FILES ${_gen}/${_name}.gz DESTINATION ${_doc})
    endif()
endforeach()
add_custom_target(lum_package_files ALL DEPENDS ${_outputs})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lum08)
set(CPACK_PACKAGE_VERSION ${LUM_VERSION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${LUM_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# the toolkit's own dialogs in Russian
set(CPACK_DEBIAN_PACKAGE_DEPENDS qt6-translations-l10n)
set(CPACK_DEBIAN_ARCHIVE_TYPE gnutar)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "programmer for the LUM-08 alarm annunciator")
# CPack puts the summary first, as the synopsis
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Reads the module configuration and the input-processing program of a
ЛУМ-08 alarm annunciator over an RS-485 line, shows and edits them as
tables, dialogs and a scheme, keeps them in configuration files, prints
them and writes them back to the device. It also reads and sets the
device's clock and changes its bus number. The user interface is Russian.
.
The package also holds lum08-emu, an emulator of the device on a
pseudo-terminal, so that every command can be tried without hardware.")
include(CPack)
