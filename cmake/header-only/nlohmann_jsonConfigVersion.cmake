# The version of the installed package decides.
include(/usr/share/cmake/nlohmann_json/nlohmann_jsonConfigVersion.cmake)
