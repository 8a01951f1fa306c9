# What `cmake --install` puts where, and the Debian package CPack makes of it (`cpack -G DEB` in the build
# folder). The package's dependencies are worked out from the programs' shared libraries by dpkg-shlibdeps.
include(GNUInstallDirs)

install(TARGETS spectrel spectrelctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES resources/spectrel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/spectrel.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)
foreach(size 48 64 128 256)
  install(FILES resources/spectrel-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME spectrel.png)
endforeach()
install(FILES resources/spectrel.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES docs/spectrelctl.1 DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME spectrel)
set(CPACK_PACKAGE_VENDOR "Zovan")
set(CPACK_PACKAGE_CONTACT "Spectrel developers <spectrel@zovan.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Records spectator demos on an HLTV proxy without console commands")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_TWEAK})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so no library names them: the X11 platform plugin.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Records spectator demos on an HLTV proxy without console commands
 Spectrel shows an HLTV proxy's status through its remote console, starts and stops a demo named after the
 two clans at once or timed by the broadcast delay, tells the spectators with say, and binds record and stop
 to system-wide hotkeys. spectrelctl does the same from the command line.")
include(CPack)
