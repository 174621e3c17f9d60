# `cmake --install`: the client with its two stand-in libraries, the server, the desktop entry and
# icons, man pages, the systemd unit and the documents. Two components, one per Debian package:
# "client" (vorenn, for players) and "server" (vorenn-server, for operators).
include(GNUInstallDirs)

# The stand-ins are the program's own, not for other programs to link: they live in a private
# folder that the client finds through its run path, relative to where the program lies.
set(VORENN_PRIVATE_LIBDIR lib/vorenn)
file(RELATIVE_PATH vorenn_bin_to_private /prefix/${CMAKE_INSTALL_BINDIR} /prefix/${VORENN_PRIVATE_LIBDIR})
set_target_properties(vorenn PROPERTIES INSTALL_RPATH "$ORIGIN/${vorenn_bin_to_private}")

install(TARGETS vorenn RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT client)
install(TARGETS vorenn_kernel32 vorenn_wininet
        LIBRARY DESTINATION ${VORENN_PRIVATE_LIBDIR} COMPONENT client)
install(FILES packaging/vorenn.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications COMPONENT client)

# The icon theme's sizes, each drawn afresh by make_icon.py from the same drawing as vorenn.ico.
set(vorenn_icon_sizes 16 22 24 32 48 64 128 256)
set(vorenn_icon_files)
foreach(size IN LISTS vorenn_icon_sizes)
  set(png ${CMAKE_BINARY_DIR}/packaging/icons/${size}x${size}/vorenn.png)
  add_custom_command(
    OUTPUT ${png}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging/icons/${size}x${size}
    COMMAND python3 ${CMAKE_SOURCE_DIR}/resources/make_icon.py --png ${size} ${png}
    DEPENDS ${CMAKE_SOURCE_DIR}/resources/make_icon.py
    COMMENT "Drawing the ${size}x${size} icon"
    VERBATIM)
  list(APPEND vorenn_icon_files ${png})
  install(FILES ${png} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          COMPONENT client)
endforeach()
add_custom_target(vorenn_icons ALL DEPENDS ${vorenn_icon_files})

set(VORENN_VERSION ${PROJECT_VERSION})
foreach(page vorenn.6 vorenn-server.8)
  configure_file(packaging/${page} ${CMAKE_BINARY_DIR}/packaging/${page} @ONLY)
endforeach()
install(FILES ${CMAKE_BINARY_DIR}/packaging/vorenn.6
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man6 COMPONENT client)
install(FILES README.md docs/game-rules.md
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vorenn COMPONENT client)

install(TARGETS vorenn-server RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT server)
install(FILES ${CMAKE_BINARY_DIR}/packaging/vorenn-server.8
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man8 COMPONENT server)
install(FILES README.md docs/game-rules.md docs/deploy.md deploy/nginx-tls.conf deploy/nginx-load-balancer.conf
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/vorenn-server COMPONENT server)
# The unit names the server by its installed path, which is known only when installing (a package
# installs under /usr, a plain `cmake --install` under CMAKE_INSTALL_PREFIX).
install(CODE "
  set(VORENN_SERVER_PATH \"\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/vorenn-server\")
  configure_file(\"${CMAKE_SOURCE_DIR}/packaging/vorenn-server.service.in\"
                 \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/systemd/system/vorenn-server.service\" @ONLY)
  message(STATUS \"Installing: \$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/lib/systemd/system/vorenn-server.service\")
  " COMPONENT server)
