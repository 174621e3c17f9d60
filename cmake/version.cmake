# The one place the version is written down is project(VERSION) in the top CMakeLists.txt; the
# programs read it from this generated header, the packages from PROJECT_VERSION.
configure_file(${CMAKE_CURRENT_LIST_DIR}/vorenn_version.h.in
               ${CMAKE_BINARY_DIR}/generated/vorenn_version.h @ONLY)
add_library(vorenn_version INTERFACE)
target_include_directories(vorenn_version INTERFACE ${CMAKE_BINARY_DIR}/generated)
