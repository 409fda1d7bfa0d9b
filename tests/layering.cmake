# Fails when a file of the core includes a header of a layer above its own, or
# any core file includes Qt or the programs on top:
#   model <- assets <- levelfile <- generate <- scene <- cli, app
#                                      generate <- check <- cli, app
#                        levelfile <- extract <- cli, app
#   model <- watch <- cli
# and when the level document (src/document: the core, Qt Core and Qt Gui)
# includes the editor or Qt Widgets. Its library links no Qt Widgets, so a
# plain <QWidget> does not compile there either.
# Run as: cmake -DSOURCE_DIR=<src> -P layering.cmake
set(allowed_model model)
set(allowed_assets model assets)
set(allowed_levelfile model assets levelfile)
set(allowed_generate model assets levelfile generate)
set(allowed_scene model assets levelfile generate scene)
set(allowed_check model assets levelfile generate check)
set(allowed_extract model assets levelfile extract)
set(allowed_watch model watch)

set(allowed_document model assets levelfile generate scene check extract document)

set(problems "")
foreach(layer model assets levelfile generate scene check extract watch)
  file(GLOB files ${SOURCE_DIR}/${layer}/*.h ${SOURCE_DIR}/${layer}/*.cpp)
  foreach(file ${files})
    file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
    foreach(line ${includes})
      if(line MATCHES "#[ \t]*include[ \t]*\"([a-z_]+)/")
        list(FIND allowed_${layer} ${CMAKE_MATCH_1} found)
        if(found EQUAL -1)
          list(APPEND problems "${file}: ${line}")
        endif()
      elseif(line MATCHES "<Q[A-Za-z]*>|<Qt")
        list(APPEND problems "${file}: ${line}")
      endif()
    endforeach()
  endforeach()
endforeach()
file(GLOB document_files ${SOURCE_DIR}/document/*.h ${SOURCE_DIR}/document/*.cpp)
foreach(file ${document_files})
  file(STRINGS ${file} includes REGEX "^[ \t]*#[ \t]*include[ \t]*[<\"]")
  foreach(line ${includes})
    if(line MATCHES "#[ \t]*include[ \t]*\"([a-z_]+)/")
      list(FIND allowed_document ${CMAKE_MATCH_1} found)
      if(found EQUAL -1)
        list(APPEND problems "${file}: ${line}")
      endif()
    elseif(line MATCHES "<QtWidgets|<QtOpenGLWidgets")
      list(APPEND problems "${file}: ${line}")
    endif()
  endforeach()
endforeach()
if(problems)
  list(JOIN problems "\n" text)
  message(FATAL_ERROR "includes that go up the layers:\n${text}")
endif()
message(STATUS "every include of the core points down the layers")
