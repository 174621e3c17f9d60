# The Win32 backend's files, for the Windows build (platform/CMakeLists.txt adds them), wherever
# this list is included from.
set(VORENN_WIN32_BACKEND_SOURCES
  ${CMAKE_CURRENT_LIST_DIR}/win32_backend.cpp
  ${CMAKE_CURRENT_LIST_DIR}/windows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/window_procedure.cpp
  ${CMAKE_CURRENT_LIST_DIR}/message_queue.cpp
  ${CMAKE_CURRENT_LIST_DIR}/timers.cpp
  ${CMAKE_CURRENT_LIST_DIR}/message_boxes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tray.cpp
  ${CMAKE_CURRENT_LIST_DIR}/colours.cpp
  ${CMAKE_CURRENT_LIST_DIR}/label_painting.cpp
  ${CMAKE_CURRENT_LIST_DIR}/edit_boxes.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scroll_bars.cpp
  ${CMAKE_CURRENT_LIST_DIR}/extended_units.cpp
  ${CMAKE_CURRENT_LIST_DIR}/text.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fonts.cpp
  ${CMAKE_CURRENT_LIST_DIR}/list_view.cpp
  ${CMAKE_CURRENT_LIST_DIR}/gdi_canvas.cpp
  ${CMAKE_CURRENT_LIST_DIR}/tool_tips.cpp
  ${CMAKE_CURRENT_LIST_DIR}/pictures.cpp
)
