# A Debian package of what `cmake --install` installs: `cpack` in a build tree configured with
# -DCMAKE_INSTALL_PREFIX=/usr (tools/make-deb.sh does that) writes
# kalvoren_<version>_<arch>.deb.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kalvoren)
set(CPACK_PACKAGE_VENDOR "Kalvoren developers")
set(CPACK_PACKAGE_CONTACT "${KALVOREN_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tray monitor of physical memory use")
# Lines of at most 80 characters, as the control file wants them.
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Kalvoren shows how physical memory is used (free, inactive, wired and\n"
    "active) as a pie chart in the tray and in a drop-down window, and on request\n"
    "reclaims inactive memory. It also keeps a memory log, times allocations and\n"
    "lists processes by resident memory.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
# The paths compiled into the program (the libexec helper) must be the ones the package
# installs to, so the package takes the build's own prefix.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
if(NOT CMAKE_INSTALL_PREFIX STREQUAL "/usr")
    message(STATUS "Packaging: install prefix is ${CMAKE_INSTALL_PREFIX}; "
                   "a Debian package wants -DCMAKE_INSTALL_PREFIX=/usr")
endif()

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${KALVOREN_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${KALVOREN_HOMEPAGE}")
# VERSION-REVISION, the revision taken from the changelog's newest entry (data/CMakeLists.txt),
# so that the package and its changelog.Debian.gz name the same version.
set(CPACK_DEBIAN_PACKAGE_RELEASE ${KALVOREN_DEBIAN_REVISION})
# Control files readable by all and writable by root only, as dpkg-deb expects.
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# dpkg-shlibdeps declares the Qt and C++ libraries the binary links against; the Qt
# plugins it loads at run time (platform, SVG icons) are not linked, so they are named.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, libqt6svg6")
# Qt's own texts (file dialogs, standard buttons) in the language of Kalvoren's translation.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "hicolor-icon-theme, qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "pkexec")
set(CPACK_STRIP_FILES ON)

include(CPack)
