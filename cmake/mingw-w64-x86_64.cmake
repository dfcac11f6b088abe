# Cross-builds the Windows program with Debian's mingw-w64 (x86_64, posix
# threads). Use: cmake -S . -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(VX_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${VX_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VX_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${VX_MINGW_PREFIX}-windres)
set(CMAKE_AR ${VX_MINGW_PREFIX}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${VX_MINGW_PREFIX}-ranlib CACHE FILEPATH "")

# Headers and libraries come from the cross sysroot only; programs run during
# the build (gzip, xvfb-run) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${VX_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest and gtest_discover_tests run the built programs under Wine, through a
# wrapper that keeps Wine's lingering helper processes off ctest's pipes.
find_program(VX_WINE wine NO_CMAKE_FIND_ROOT_PATH)
if(VX_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh ${VX_WINE})
endif()
