# build-windows/vorenn-windows.zip: the program and the players' read-me, for unpacking into a
# folder of its own (pz.ini is then kept beside the program).
# `make windows` builds vorenn_windows: the program and the zip, or, before the Win32 backend's
# sources exist, the libraries beneath it.
add_custom_target(vorenn_windows)
if(NOT TARGET vorenn)
  add_dependencies(vorenn_windows vorenn_game vorenn_driver)
  add_custom_command(TARGET vorenn_windows POST_BUILD
    COMMAND ${CMAKE_COMMAND} -E echo "vorenn.exe is not built: the Win32 backend has no sources yet")
  return()
endif()
add_dependencies(vorenn_windows vorenn_windows_zip)
set(vorenn_zip ${CMAKE_BINARY_DIR}/vorenn-windows.zip)
set(vorenn_zip_folder ${CMAKE_BINARY_DIR}/zip/vorenn)
add_custom_command(
  OUTPUT ${vorenn_zip}
  COMMAND ${CMAKE_COMMAND} -E rm -rf ${CMAKE_BINARY_DIR}/zip
  COMMAND ${CMAKE_COMMAND} -E make_directory ${vorenn_zip_folder}
  COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:vorenn> ${vorenn_zip_folder}/vorenn.exe
  COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_SOURCE_DIR}/packaging/windows/README.txt
          ${vorenn_zip_folder}/README.txt
  COMMAND ${CMAKE_COMMAND} -E chdir ${CMAKE_BINARY_DIR}/zip
          ${CMAKE_COMMAND} -E tar cf ${vorenn_zip} --format=zip vorenn
  DEPENDS vorenn ${CMAKE_SOURCE_DIR}/packaging/windows/README.txt
  COMMENT "Packing vorenn-windows.zip"
  VERBATIM)
add_custom_target(vorenn_windows_zip ALL DEPENDS ${vorenn_zip})
