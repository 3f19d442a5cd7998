# The Debian package, made by CPack from a Release build (scripts/package.sh): what the program
# links comes from dpkg-shlibdeps; what it only starts at run time is recommended.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "quillmate")
set(CPACK_PACKAGE_VENDOR "The Quillmate developers")
set(CPACK_PACKAGE_CONTACT "Quillmate developers <quillmate@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "installs applications distributed as archives")
# (Each line of the description within 80 columns, as Debian's tools show it.)
set(CPACK_PACKAGE_DESCRIPTION
    "Quillmate installs applications that come only as an archive (ZIP, LHA, CAB,\n 7z, RAR, tar, AppImage) and have no installer of their own: it shows the\n install plan, makes menu entries and commands, recognises new versions and\n uninstalls cleanly. The command quill does the same from a terminal.")
set(CPACK_PACKAGING_INSTALL_PREFIX "/usr")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
set(CPACK_DEBIAN_PACKAGE_PRIORITY "optional")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://quillmate.github.io/")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Stripped programs and libraries; the debug symbols stay in the build.
set(CPACK_STRIP_FILES ON)
# The archiver libraries and the message table live in the program's own folder.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS "${CMAKE_BINARY_DIR}/${QM_LIBDIR_NAME}")
# Loaded at run time, so dpkg-shlibdeps cannot see them: Qt's platform plugins and its Japanese
# texts.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "wine, xdg-utils, pkexec, polkitd, squashfs-tools, qt6-translations-l10n, desktop-file-utils, gtk-update-icon-cache")
# The menus, the MIME cache and the icon cache are renewed by the triggers of
# desktop-file-utils, shared-mime-info and the icon theme: no maintainer scripts.
# The polkit actions of the installer and uninstaller: pkexec shows their own message ("install an
# application for all users") for the tools at their installed paths.
set(QM_TOOLS_DIR "${CPACK_PACKAGING_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}")
configure_file(${CMAKE_CURRENT_LIST_DIR}/io.github.quillmate.Quillmate.policy.in
               ${CMAKE_BINARY_DIR}/io.github.quillmate.Quillmate.policy @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/io.github.quillmate.Quillmate.policy
        DESTINATION ${CMAKE_INSTALL_DATADIR}/polkit-1/actions)
# The copyright in Debian's machine-readable format and the changelog, compressed as Debian's tools
# expect (-n: the same bytes on every build).
set(QM_CHANGELOG_GZ ${CMAKE_BINARY_DIR}/changelog.gz)
add_custom_command(OUTPUT ${QM_CHANGELOG_GZ}
                   COMMAND gzip -9nc ${CMAKE_CURRENT_LIST_DIR}/changelog > ${QM_CHANGELOG_GZ}
                   DEPENDS ${CMAKE_CURRENT_LIST_DIR}/changelog)
add_custom_target(changelog ALL DEPENDS ${QM_CHANGELOG_GZ})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright ${QM_CHANGELOG_GZ}
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillmate)
include(${CMAKE_CURRENT_LIST_DIR}/ManPages.cmake)
include(CPack)
