# Shared by both mingw-w64 toolchain files: MINGW_TRIPLE names the target before this is read.
set(CMAKE_SYSTEM_NAME Windows)

# The posix thread model gives the standard library its threads, mutexes and sleeps; Debian
# ships it as the -posix variant of each compiler.
foreach(tool gcc g++)
  find_program(MINGW_${tool} NAMES ${MINGW_TRIPLE}-${tool}-posix ${MINGW_TRIPLE}-${tool} REQUIRED)
endforeach()
set(CMAKE_C_COMPILER ${MINGW_gcc})
set(CMAKE_CXX_COMPILER ${MINGW_g++})
find_program(CMAKE_RC_COMPILER NAMES ${MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The runtime libraries go into each program and into VTWIN.dll, so the three files are all a
# workstation needs: no libstdc++, libgcc or winpthread DLLs to copy beside them.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-static")

# CTest runs the test programs through Wine, whose loader starts 32-bit programs in its 32-bit
# half. Debian's wine64 package keeps the loader out of PATH, in /usr/lib/wine.
if(NOT CMAKE_CROSSCOMPILING_EMULATOR)
  find_program(WINE64_LOADER NAMES wine64 wine PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
  if(WINE64_LOADER)
    set(CMAKE_CROSSCOMPILING_EMULATOR ${WINE64_LOADER})
  endif()
endif()
