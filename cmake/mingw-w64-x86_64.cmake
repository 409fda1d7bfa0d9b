# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 compilers
# (g++-mingw-w64-x86-64-posix: the variant with std::thread) and zlib built
# for them (libz-mingw-w64-dev). Only the core, kesgen-cli and the core's tests
# build this way: configure with -DKESGEN_BUILD_EDITOR=OFF. The programs are
# linked statically, so that they run without DLLs beside them; tests run
# under Wine.
#
#   cmake -S . -B build-windows -G Ninja -DKESGEN_BUILD_EDITOR=OFF \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(mingw_triplet x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${mingw_triplet}-gcc-posix)
set(CMAKE_CXX_COMPILER ${mingw_triplet}-g++-posix)
set(CMAKE_RC_COMPILER ${mingw_triplet}-windres)

# Libraries, headers and CMake files come from the MinGW root; programs from
# the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${mingw_triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# CLI11 and nlohmann-json are headers only: the build machine's packages
# serve, through CMake files that point at their headers alone.
set(CLI11_DIR ${CMAKE_CURRENT_LIST_DIR}/header-only CACHE PATH "")
set(nlohmann_json_DIR ${CMAKE_CURRENT_LIST_DIR}/header-only CACHE PATH "")
# GoogleTest, for the tests, is built from Debian's sources (libgtest-dev).
set(KESGEN_GTEST_SOURCE_DIR /usr/src/googletest CACHE PATH "")

# zlib as a static library: the programs carry it.
set(ZLIB_USE_STATIC_LIBS ON)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Tests (and the discovery of test cases) run the programs under Wine.
find_program(KESGEN_WINE wine)
if(KESGEN_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${KESGEN_WINE})
endif()
