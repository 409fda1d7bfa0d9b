# For cross builds: the headers of a header-only library installed for the
# build machine, in a folder of their own, so that a program for another
# system finds them without /usr/include (whose other headers are the build
# machine's C library). Sets `out` to that folder.
function(kes_header_only_include out)
  set(folder ${CMAKE_BINARY_DIR}/header-only/include)
  file(MAKE_DIRECTORY ${folder})
  foreach(name ${ARGN})
    if(NOT EXISTS /usr/include/${name})
      message(FATAL_ERROR "/usr/include/${name} is missing; run scripts/install-deps.sh")
    endif()
    if(NOT EXISTS ${folder}/${name})
      file(CREATE_LINK /usr/include/${name} ${folder}/${name} SYMBOLIC)
    endif()
  endforeach()
  set(${out} ${folder} PARENT_SCOPE)
endfunction()
