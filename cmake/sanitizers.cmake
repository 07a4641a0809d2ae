# Checked builds: `make sanitize`, `make tsan` and `make fuzz` instrument the whole tree, the
# library and every test, each in a build directory of its own.
set(MATH_R_SANITIZE "" CACHE STRING "Instrument everything: address (ASan, UBSan, LSan) or thread (TSan)")
option(MATH_R_FUZZ "Build the libFuzzer targets of fuzz/ (needs clang)" OFF)

set(math_r_sanitizers "")
if(MATH_R_SANITIZE STREQUAL "address")
  # float-cast-overflow is not part of g++'s -fsanitize=undefined; ask for it by name.
  set(math_r_sanitizers -fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=all)
elseif(MATH_R_SANITIZE STREQUAL "thread")
  set(math_r_sanitizers -fsanitize=thread)
elseif(MATH_R_SANITIZE)
  message(FATAL_ERROR "MATH_R_SANITIZE must be address or thread, not '${MATH_R_SANITIZE}'")
endif()

if(MATH_R_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "MATH_R_FUZZ needs clang (libFuzzer): configure with CXX=clang++")
  endif()
  if(MATH_R_SANITIZE)
    message(FATAL_ERROR "MATH_R_FUZZ brings its own sanitizers; leave MATH_R_SANITIZE empty")
  endif()
  # Coverage feedback for the library too; the targets add -fsanitize=fuzzer when linking.
  set(math_r_sanitizers -fsanitize=fuzzer-no-link,address,undefined,float-cast-overflow -fno-sanitize-recover=all)
endif()

if(math_r_sanitizers)
  add_compile_options(${math_r_sanitizers} -fno-omit-frame-pointer -g)
  add_link_options(${math_r_sanitizers})
endif()
