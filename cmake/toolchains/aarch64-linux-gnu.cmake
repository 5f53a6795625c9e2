# 64-bit Arm Linux with glibc, built by Debian's cross compiler
# (g++-aarch64-linux-gnu) and run here under qemu-user.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)

set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

# The target's C library and libraries live under Debian's cross prefix;
# programs used while building (none so far) are the host's.
set(CMAKE_FIND_ROOT_PATH /usr/aarch64-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Header-only libraries serve every architecture: the host's copies are used
# as they are (their /usr/include is on the cross compiler's own search path,
# after the target's headers).
set(nlohmann_json_DIR /usr/share/cmake/nlohmann_json CACHE PATH "")
set(CLI11_DIR /usr/share/cmake/CLI11 CACHE PATH "")

# GoogleTest has no aarch64 build among the host's packages; it is compiled
# from Debian's sources with this toolchain instead.
set(CMAKE_PROJECT_TOP_LEVEL_INCLUDES ${CMAKE_CURRENT_LIST_DIR}/../googletest-from-source.cmake)

# Test programs, and the programs the tests start, run under user-mode
# emulation with the target's dynamic loader and C library.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64 -L /usr/aarch64-linux-gnu)
