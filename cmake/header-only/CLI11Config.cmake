# CLI11 (headers only) from the build machine's package, for cross builds.
include(${CMAKE_CURRENT_LIST_DIR}/header_only_include.cmake)
kes_header_only_include(cli11_include CLI)
if(NOT TARGET CLI11::CLI11)
  add_library(CLI11::CLI11 INTERFACE IMPORTED)
  set_target_properties(CLI11::CLI11 PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${cli11_include})
endif()
