# vorenn.exe: a Windows program (no console window), linked statically so that it runs from a
# double-click with nothing beside it. It is built once the Win32 backend's sources exist.
if(NOT TARGET vorenn_platform_win32)
  message(STATUS "vorenn.exe is not built: the Win32 backend has no sources yet")
  return()
endif()
set(vorenn_resource_script ${CMAKE_SOURCE_DIR}/resources/windows/vorenn.rc)
add_executable(vorenn WIN32 main.cpp windowed_backend_win32.cpp ${vorenn_resource_script})
target_link_libraries(vorenn PRIVATE vorenn_game vorenn_engine vorenn_commands vorenn_web vorenn_units
                      vorenn_platform vorenn_platform_win32 vorenn_driver vorenn_version)
# The driver's Win32 host (tools/driver, configured after this folder) behind --script.
target_link_libraries(vorenn PRIVATE vorenn_driver_win32)
# The resource script reads the icon and the manifest beside it and the version from the build.
target_include_directories(vorenn PRIVATE ${CMAKE_BINARY_DIR}/generated)
set_source_files_properties(${vorenn_resource_script} PROPERTIES
  COMPILE_OPTIONS "-I${CMAKE_SOURCE_DIR}/resources/windows"
  OBJECT_DEPENDS "${CMAKE_SOURCE_DIR}/resources/vorenn.ico;${CMAKE_SOURCE_DIR}/resources/windows/vorenn.manifest")
# The static runtime libraries bring their debugging sections along; the players' program drops them.
target_link_options(vorenn PRIVATE $<$<CONFIG:Release>:-s>)
