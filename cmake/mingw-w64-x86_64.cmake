# Cross build for 64-bit Windows with MinGW-w64 (the posix-threads compilers,
# so std::thread and std::mutex work). Test executables run under Wine.
#
#   cmake -S . -B build/windows -G Ninja \
#         -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(KL_VRX_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${KL_VRX_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${KL_VRX_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${KL_VRX_MINGW_TRIPLET}-windres)

# Libraries, headers and packages come from the MinGW sysroot only; programs
# (code generators, the test runner) from the build machine.
set(CMAKE_FIND_ROOT_PATH /usr/${KL_VRX_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# ctest (and add_test with a target as its command) runs the .exe files
# through Wine; the wrapper quiets Wine and gives each build tree its own prefix.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/wine-run.sh)
