# Cross build for 64-bit Arm with Debian's cross toolchain (g++-aarch64-linux-gnu), whose
# libraries live under /usr/aarch64-linux-gnu; tests run under qemu-user (`make test-aarch64`).
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)

set(MATH_R_TARGET_ROOT /usr/aarch64-linux-gnu)
# Libraries and headers only for the target; programs (qemu, valgrind, bash) from the build machine.
set(CMAKE_FIND_ROOT_PATH ${MATH_R_TARGET_ROOT})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# -L: the target's dynamic loader and libraries come from its root.
find_program(MATH_R_QEMU qemu-aarch64 REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${MATH_R_QEMU} -L ${MATH_R_TARGET_ROOT})
