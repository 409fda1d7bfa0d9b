# Fails when the README or docs/guide.md links to a file that does not exist
# (a picture the screenshot program no longer makes, a renamed script) or to a
# heading of the guide that is not there.
# Run as: cmake -DPROJECT_DIR=<sources> -P doc_links.cmake

# The anchor a Markdown heading gets: lower case, punctuation dropped, spaces
# as hyphens.
function(heading_anchor heading out)
  string(TOLOWER "${heading}" text)
  string(REGEX REPLACE "[^a-z0-9 _-]" "" text "${text}")
  string(REPLACE " " "-" text "${text}")
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

set(problems "")
foreach(document README.md docs/guide.md)
  set(path ${PROJECT_DIR}/${document})
  get_filename_component(folder ${path} DIRECTORY)
  file(READ ${path} text)
  # CMake lists don't split inside square brackets: mark the links, then drop
  # every bracket.
  string(REPLACE "](" "@LINK@(" text "${text}")
  string(REPLACE "[" "" text "${text}")
  string(REPLACE "]" "" text "${text}")
  # Headings of this document.
  file(STRINGS ${path} headings REGEX "^#+ ")
  set(anchors "")
  foreach(heading ${headings})
    string(REGEX REPLACE "^#+ +" "" heading "${heading}")
    heading_anchor("${heading}" anchor)
    list(APPEND anchors "${anchor}")
  endforeach()
  # Every link target: ](target)
  string(REGEX MATCHALL "@LINK@\\([^)]+\\)" links "${text}")
  foreach(link ${links})
    string(REGEX REPLACE "^@LINK@\\((.*)\\)$" "\\1" target "${link}")
    if(target MATCHES "^[a-z]+://")
      continue()
    elseif(target MATCHES "^#(.*)")
      list(FIND anchors "${CMAKE_MATCH_1}" found)
      if(found EQUAL -1)
        list(APPEND problems "${document}: no heading for ${target}")
      endif()
    else()
      string(REGEX REPLACE "#.*" "" file "${target}")
      if(NOT EXISTS ${folder}/${file})
        list(APPEND problems "${document}: no file ${target}")
      endif()
    endif()
  endforeach()
endforeach()
if(problems)
  list(JOIN problems "\n" text)
  message(FATAL_ERROR "broken links:\n${text}")
endif()
