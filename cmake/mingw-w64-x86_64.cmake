# Cross-building the Qt-free core, qmctl and the core tests for 64-bit Windows on Debian, with
# MinGW-w64's posix thread model (the win32 model has no std::thread or std::mutex). Programs
# are linked statically, so an .exe runs without any MinGW DLL beside it, and the tests run
# under wine.
#
#   cmake -S . -B build-win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake \
#         -DQM_BUILD_UI=OFF -DQM_BUILD_BENCH=OFF -DQM_WIN_DEPS=<prefix of GoogleTest and CLI11>
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(_triple x86_64-w64-mingw32)

set(CMAKE_C_COMPILER ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_triple}-windres)

# QM_WIN_DEPS: a prefix with the libraries built for the target (GoogleTest, CLI11's headers),
# searched like the MinGW system root.
set(CMAKE_FIND_ROOT_PATH /usr/${_triple} ${QM_WIN_DEPS})
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES QM_WIN_DEPS)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# No libgcc, libstdc++ or winpthread DLLs to carry around.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

find_program(QM_WINE NAMES wine wine64)
if(QM_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QM_WINE})
endif()
