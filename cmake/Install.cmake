# What "cmake --install" puts where, and the Debian package made from it with
# "cpack -G DEB". Only the product is installed: the program, its password
# component and the files that make desktops, menus and screen-saver hosts
# find it. Tests, benchmarks and developer tools have no install rules.
include(GNUInstallDirs)

set(VX_DATA ${CMAKE_SOURCE_DIR}/data)

# The program, and its password component in a folder of its own. The loader
# looks for the component next to the executable and then in this folder,
# relative to the executable's (VX_MODULE_RELDIR).
install(TARGETS vantorix RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS vxpassword LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/vantorix)

# XScreenSaver runs its display modes from <libexecdir>/xscreensaver
# (/usr/libexec/xscreensaver on Debian) and reads their settings pages from
# <datadir>/xscreensaver/config. The mode is a relative link to the program,
# so the installed tree can be moved as a whole.
file(RELATIVE_PATH vx_link_target ${CMAKE_INSTALL_FULL_LIBEXECDIR}/xscreensaver
     ${CMAKE_INSTALL_FULL_BINDIR}/vantorix)
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/install-links)
file(CREATE_LINK ${vx_link_target} ${CMAKE_BINARY_DIR}/install-links/vantorix SYMBOLIC)
install(FILES ${CMAKE_BINARY_DIR}/install-links/vantorix
        DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/xscreensaver)
# data/vantorix.xml comes with the host mode; a tree without it installs the rest.
install(FILES ${VX_DATA}/vantorix.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/xscreensaver/config
        OPTIONAL)

# xsecurelock runs its saver modules, "saver_<name>", without arguments from
# <libexecdir>/xsecurelock; this one runs the jets in the window it is given.
file(RELATIVE_PATH VX_SAVER_TO_PROGRAM ${CMAKE_INSTALL_FULL_LIBEXECDIR}/xsecurelock
     ${CMAKE_INSTALL_FULL_BINDIR}/vantorix)
configure_file(${VX_DATA}/saver_vantorix.in ${CMAKE_BINARY_DIR}/install-links/saver_vantorix @ONLY)
install(PROGRAMS ${CMAKE_BINARY_DIR}/install-links/saver_vantorix
        DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/xsecurelock)

# The menu entry (the configuration dialog) and its icons.
install(FILES ${VX_DATA}/vantorix.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/res/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons
        FILES_MATCHING PATTERN "vantorix.png")

# The manual page, compressed as Debian keeps them (no time stamp inside, so
# the package is reproducible), and the licence terms.
find_program(VX_GZIP gzip REQUIRED)
add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/vantorix.6.gz
                   COMMAND ${VX_GZIP} -9nc ${VX_DATA}/vantorix.6 > ${CMAKE_BINARY_DIR}/vantorix.6.gz
                   DEPENDS ${VX_DATA}/vantorix.6 VERBATIM)
add_custom_target(vx_manpage ALL DEPENDS ${CMAKE_BINARY_DIR}/vantorix.6.gz)
install(FILES ${CMAKE_BINARY_DIR}/vantorix.6.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${VX_DATA}/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vantorix)

# The Debian package.
set(VX_PACKAGE_MAINTAINER "Vantorix developers <vantorix@example.org>"
    CACHE STRING "The Maintainer field of the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vantorix)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Vantorix developers")
set(CPACK_PACKAGE_CONTACT ${VX_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "SCRNSAVE : Vantorix - full-screen jets screen saver")
set(CPACK_PACKAGE_DESCRIPTION_FILE ${VX_DATA}/description.txt)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_NAME vantorix)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION x11)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VX_PACKAGE_MAINTAINER})
# dpkg-shlibdeps works out the libraries' packages; the text needs a font,
# and a Wayland session Qt's Wayland plugin (without it, XWayland is used).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-dejavu-core | fonts-freefont-ttf, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "xscreensaver | xss-lock | xautolock | xsecurelock | swayidle")
include(CPack)
