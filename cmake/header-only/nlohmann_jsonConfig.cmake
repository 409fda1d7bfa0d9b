# nlohmann-json (headers only) from the build machine's package, for cross
# builds.
include(${CMAKE_CURRENT_LIST_DIR}/header_only_include.cmake)
kes_header_only_include(nlohmann_json_include nlohmann)
if(NOT TARGET nlohmann_json::nlohmann_json)
  add_library(nlohmann_json::nlohmann_json INTERFACE IMPORTED)
  set_target_properties(nlohmann_json::nlohmann_json PROPERTIES
                        INTERFACE_INCLUDE_DIRECTORIES ${nlohmann_json_include})
endif()
