# The demo catalogue, installation and the Debian package. Included at the end of the top-level
# CMakeLists.txt, after every program target exists.
include(GNUInstallDirs)

set(QUOVI_DEMO_CATALOGUE ${CMAKE_BINARY_DIR}/demo/channels.dat)
add_subdirectory(demo)

install(TARGETS quovi quovi-service quovi-catalogue RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES packaging/org.talvex.Quovi.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
# The desktop starts the program by D-Bus (DBusActivatable in the desktop file): the bus needs to
# know where the program is, which only the installation's prefix says.
install(CODE "
  file(WRITE \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_DATADIR}/dbus-1/services/org.talvex.Quovi.service\"
    \"[D-BUS Service]\\nName=org.talvex.Quovi\\nExec=\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/quovi\\n\")")
install(FILES packaging/org.talvex.Quovi.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES packaging/org.talvex.Quovi.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
# quovi-service serves the demo catalogue and its media files from here unless told otherwise.
install(FILES ${QUOVI_DEMO_CATALOGUE} DESTINATION ${CMAKE_INSTALL_DATADIR}/quovi/demo)
install(DIRECTORY demo/media DESTINATION ${CMAKE_INSTALL_DATADIR}/quovi/demo)
# A user service, so that an installed player has its catalogue service at the default address:
#   systemctl --user enable --now quovi-service
install(FILES packaging/quovi-service.service DESTINATION lib/systemd/user)
# For running the service for real: one instance per port on a shared PostgreSQL database, behind
# a reverse proxy (README, "Running the service for real"). Installed, not enabled.
install(FILES packaging/quovi-service@.service DESTINATION lib/systemd/system)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quovi)
set(CPACK_PACKAGE_VENDOR Talvex)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Player for internet TV, radio and video channels")
set(CPACK_PACKAGE_DESCRIPTION
  "Quovi Pro keeps a catalogue of internet television, radio and video channels and plays them\n\
in its own window: browse by group, country or genre, filter, sort and search, keep favourites,\n\
add channels of your own, rate and flag channels and refresh the catalogue from its service.\n\
Includes quovi-service, a small catalogue and feedback service with a demo catalogue that plays\n\
without internet, and quovi-catalogue, the tool that packs and builds catalogue files.")
set(CPACK_PACKAGE_CONTACT "${QUOVI_SUPPORT_MAIL}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "Quovi maintainers <${QUOVI_SUPPORT_MAIL}>")
set(CPACK_DEBIAN_PACKAGE_SECTION video)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# Depends comes from the shared libraries the programs link (dpkg-shlibdeps), and libmpv, which the
# player opens at run time rather than links.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libmpv2 (>= 0.35)")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Playlists bring names in every script: Noto covers Thai, Arabic, Devanagari and the rest (core),
# and Chinese, Japanese and Korean (cjk); without them such names show as boxes.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-qpa-plugins, fonts-noto-core, fonts-noto-cjk")
set(CPACK_STRIP_FILES ON)
include(CPack)
