# `make package`: two Debian packages from the install rules, vorenn (the client, for players) and
# vorenn-server (for operators). Library dependencies are worked out by dpkg-shlibdeps from the
# installed programs and libraries; only what is loaded at run time by name is listed by hand.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME vorenn)
set(CPACK_PACKAGE_VENDOR "Vorenn")
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Vorenn developers <developers@vorenn.invalid>")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR}/packages)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL client server)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${CMAKE_BINARY_DIR}/bin)
set(CPACK_DEBIAN_COMPRESSION_TYPE gzip)

set(CPACK_DEBIAN_CLIENT_PACKAGE_NAME vorenn)
set(CPACK_DEBIAN_CLIENT_PACKAGE_SECTION games)
# Qt's window-system plugins, a font with Chinese characters and the certificate authorities are
# loaded at run time, so no library link names them.
set(CPACK_DEBIAN_CLIENT_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-wqy-zenhei | fonts-noto-cjk, ca-certificates")
set(CPACK_COMPONENT_CLIENT_DESCRIPTION "small online idle game (client)
 Sign in to a Vorenn game server, create a character and watch its total grow;
 buy skills level by level and compare with every player on the leaderboard.")

set(CPACK_DEBIAN_SERVER_PACKAGE_NAME vorenn-server)
set(CPACK_DEBIAN_SERVER_PACKAGE_SECTION games)
set(CPACK_COMPONENT_SERVER_DESCRIPTION "small online idle game (server)
 The game server for Vorenn clients: accounts, characters, skills and the
 leaderboard, stored in SQLite or PostgreSQL. Comes with a systemd unit; put
 nginx in front of it for TLS.")
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_EXTRA ${CMAKE_SOURCE_DIR}/packaging/server/postinst
                                              ${CMAKE_SOURCE_DIR}/packaging/server/postrm)
set(CPACK_DEBIAN_SERVER_PACKAGE_CONTROL_STRICT_PERMISSION ON)

include(CPack)
