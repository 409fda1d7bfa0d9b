# Fails when a fixed text of the editor's message boxes and windows (a
# `constexpr char k...Text[]` or `k...Caption[]` in src/app) is missing from
# docs/guide.md, whose Messages section explains every message.
# Run as: cmake -DPROJECT_DIR=<sources> -P doc_messages.cmake

# Semicolons would split CMake lists: stand in for them while searching.
file(READ ${PROJECT_DIR}/docs/guide.md guide)
string(REPLACE ";" "<semicolon>" guide "${guide}")
file(GLOB_RECURSE sources ${PROJECT_DIR}/src/app/*.cpp ${PROJECT_DIR}/src/app/*.h)
set(missing "")
foreach(source ${sources})
  file(READ ${source} code)
  string(REPLACE ";" "<semicolon>" code "${code}")
  string(REGEX MATCHALL "constexpr char k[A-Za-z]*(Text|Caption)\\[\\] = \"[^\"]*\"" declarations "${code}")
  foreach(declaration ${declarations})
    string(REGEX REPLACE ".*= \"(.*)\"$" "\\1" text "${declaration}")
    string(FIND "${guide}" "${text}" at)
    if(at EQUAL -1)
      file(RELATIVE_PATH name ${PROJECT_DIR} ${source})
      string(REPLACE "<semicolon>" "\\;" text "${text}")
      list(APPEND missing "\"${text}\" (${name})")
    endif()
  endforeach()
endforeach()
if(missing)
  list(JOIN missing "\n" text)
  message(FATAL_ERROR "texts of the editor that docs/guide.md does not explain (add them to its Messages section):\n${text}")
endif()
