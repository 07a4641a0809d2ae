# Cross build for 64-bit Arm with Debian's cross toolchain (g++-aarch64-linux-gnu), whose
# libraries live under /usr/aarch64-linux-gnu; tests run under qemu-user (`make test-aarch64`).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

set(MATH_R_TARGET_ROOT /usr/aarch64-linux-gnu)
# Libraries and headers only for the target; programs (qemu, valgrind, bash) from the build machine.
# The target's libraries are the toolchain's and those of Debian's multiarch (libedit-dev:arm64,
# found in /usr/lib/aarch64-linux-gnu, with its headers in /usr/include), where the cross
# compiler and linker look too.
set(CMAKE_FIND_ROOT_PATH ${MATH_R_TARGET_ROOT} /)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Programs run against the arm64 runtime that Debian's multiarch puts in /usr/lib/aarch64-linux-gnu
# (scripts/install-packages aarch64 installs it), as on an arm64 Debian machine. Not with
# -L ${MATH_R_TARGET_ROOT}: that root's loader would find libc in the multiarch folder through the
# build machine's ld.so.cache, and a process with two builds of glibc hangs in forked children.
find_program(MATH_R_QEMU qemu-aarch64 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${MATH_R_QEMU})
