# What `cmake --install` puts where, and the Debian package CPack makes of it. `cmake --workflow --preset package`
# configures a release build without tests or benchmarks in build-package/, builds it and makes the .deb there.
# The package's dependencies are worked out from the programs' shared libraries by dpkg-shlibdeps.
include(GNUInstallDirs)

install(TARGETS spectrel spectrelctl RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The sound and download modules, where the program looks for them (SPECTREL_MODULE_DIR).
if(WIN32)
  install(TARGETS spectrel_sound spectrel_download LIBRARY DESTINATION ${CMAKE_INSTALL_BINDIR})
else()
  install(TARGETS spectrel_sound spectrel_download LIBRARY DESTINATION ${SPECTREL_PLUGIN_DIR})
endif()
install(FILES resources/spectrel.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES resources/spectrel.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/32x32/apps)
foreach(size 16 48 64 128 256)
  install(FILES resources/spectrel-${size}.png DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
    RENAME spectrel.png)
endforeach()
install(FILES resources/spectrel.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)

if(UNIX)
  # Manual pages and the package's changelog are installed compressed, without a name or time stamp in the
  # gzip header, so that the same sources give the same package.
  find_program(SPECTREL_GZIP gzip REQUIRED)
  set(compressed)
  foreach(source docs/spectrel.1 docs/spectrelctl.1 cmake/deb/changelog)
    get_filename_component(name ${source} NAME)
    set(copy ${CMAKE_BINARY_DIR}/compressed/${name})
    add_custom_command(OUTPUT ${copy}.gz
      COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/${source} ${copy}
      COMMAND ${SPECTREL_GZIP} -9nf ${copy}
      DEPENDS ${CMAKE_SOURCE_DIR}/${source} VERBATIM)
    list(APPEND compressed ${copy}.gz)
  endforeach()
  add_custom_target(spectrel_compressed_docs ALL DEPENDS ${compressed})
  install(FILES ${CMAKE_BINARY_DIR}/compressed/spectrel.1.gz ${CMAKE_BINARY_DIR}/compressed/spectrelctl.1.gz
    DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  install(FILES cmake/deb/copyright DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/spectrel)
  install(FILES ${CMAKE_BINARY_DIR}/compressed/changelog.gz DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/spectrel
    RENAME changelog.Debian.gz)
  install(FILES cmake/deb/lintian-overrides DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME spectrel)
endif()

set(CPACK_PACKAGE_NAME spectrel)
set(CPACK_PACKAGE_VENDOR "Zovan")
set(CPACK_PACKAGE_CONTACT "Spectrel developers <spectrel@zovan.invalid>")
# The synopsis, then the extended description, each line of it under 80 characters; CPack indents the lines.
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "spectator demo recorder for HLTV proxies")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "Spectrel shows an HLTV proxy's status through its remote console (rcon)
and starts and stops a demo named after the two clans, at once or timed by
the broadcast delay so that the demo matches what the spectators see. It
tells the spectators with say and binds record and stop to system-wide
hotkeys that work while the game has the focus. spectrelctl does the same
from the command line.")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION_MAJOR}.${PROJECT_VERSION_MINOR}.${PROJECT_VERSION_TWEAK})
# The Debian revision; cmake/deb/changelog names the same version at its top.
set(CPACK_DEBIAN_PACKAGE_RELEASE 1)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION net)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The programs go in without their debug information.
set(CPACK_STRIP_FILES ON)
# Loaded at run time, so no library names them: the X11 platform plugin.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# notify-send: a window that cannot open says so in the desktop's notifications.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libnotify-bin")
include(CPack)
