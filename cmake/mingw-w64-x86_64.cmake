# Cross-compiles the core and the Windows half of the platform layer for
# 64-bit Windows with mingw-w64; the tests run under Wine.
#   cmake -S . -B build-win -G Ninja -DMAMETAN_GUI=OFF \
#     -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
# The -posix compilers are needed: the win32-thread ones lack std::mutex.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(MAMETAN_MINGW_PREFIX x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${MAMETAN_MINGW_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${MAMETAN_MINGW_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER ${MAMETAN_MINGW_PREFIX}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${MAMETAN_MINGW_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Static runtime: the test programs then need no mingw DLLs inside Wine.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

find_program(MAMETAN_WINE wine REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${MAMETAN_WINE})
# List the tests when ctest starts (the Wine server is up then), not at link time.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
