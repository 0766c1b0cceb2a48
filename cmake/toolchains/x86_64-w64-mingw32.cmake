# 64-bit Windows. Not what the monitors ship as, but what wine64 can run here: the Windows tests
# use this build.
#   cmake -S . -B build-win64 -DCMAKE_TOOLCHAIN_FILE=cmake/toolchains/x86_64-w64-mingw32.cmake
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)

# CTest runs the test programs through Wine. Debian's wine64 package keeps its loader out of
# PATH, in /usr/lib/wine.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(WINE64_LOADER NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
  if(WINE64_LOADER)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE64_LOADER})
  endif()
endif()
