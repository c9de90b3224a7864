# Cross-compiling for 64-bit Windows with Debian's mingw-w64, the variant with
# POSIX threads (std::thread, std::atomic). Everything is linked statically,
# so textdemo.exe needs no DLL beside it.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(TEXTDEMO_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${TEXTDEMO_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TEXTDEMO_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${TEXTDEMO_MINGW}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${TEXTDEMO_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# The libraries built for Windows (libopenmpt), found by pkg-config there and
# nowhere else, also when the build reconfigures itself.
set(TEXTDEMO_WINDOWS_DEPS "" CACHE PATH "prefix of the libraries built for Windows")
if(TEXTDEMO_WINDOWS_DEPS)
  set(ENV{PKG_CONFIG_LIBDIR} "${TEXTDEMO_WINDOWS_DEPS}/lib/pkgconfig")
  set(ENV{PKG_CONFIG_PATH} "")
  list(APPEND CMAKE_FIND_ROOT_PATH "${TEXTDEMO_WINDOWS_DEPS}")
endif()
