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

# A program that is not instrumented itself, an interpreter such as swipl or python3, loads
# instrumented code only with the sanitizer's runtime loaded before anything else (LD_PRELOAD).
# The runtime is the shared one of the compiler in use: libasan.so or libtsan.so of g++,
# libclang_rt.asan-ARCH.so or libclang_rt.tsan-ARCH.so of clang.
set(MATH_R_SANITIZER_RUNTIME "")
if(MATH_R_SANITIZE)
  set(kind ${MATH_R_SANITIZE})
  string(REPLACE "address" "asan" kind ${kind})
  string(REPLACE "thread" "tsan" kind ${kind})
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-runtime-dir
      OUTPUT_VARIABLE runtime_dir OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
    set(runtime ${runtime_dir}/libclang_rt.${kind}-${CMAKE_SYSTEM_PROCESSOR}.so)
  else()
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-file-name=lib${kind}.so
      OUTPUT_VARIABLE runtime OUTPUT_STRIP_TRAILING_WHITESPACE RESULT_VARIABLE status)
  endif()
  if(status EQUAL 0 AND IS_ABSOLUTE "${runtime}" AND EXISTS "${runtime}")
    file(REAL_PATH ${runtime} MATH_R_SANITIZER_RUNTIME)
  else()
    message(STATUS "No shared ${kind} runtime of ${CMAKE_CXX_COMPILER}: no tests run by an interpreter")
  endif()
endif()

# math_r_interpreter_launcher(VAR [SUPPRESSIONS FILE]) sets VAR to the words that run an
# interpreter on instrumented code when put before its command: cmake/sanitized-interpreter with
# the runtime, and FILE, which names what the interpreter itself leaks (ASan) or races on (TSan).
# Nothing in a build without sanitizers; NOTFOUND where the compiler has no shared runtime, where
# such tests are not to be added. A test of the Python module, say:
#   math_r_interpreter_launcher(python_launcher SUPPRESSIONS ${CMAKE_CURRENT_SOURCE_DIR}/python.supp)
#   add_test(NAME python_module COMMAND ${python_launcher} ${Python3_EXECUTABLE} -m unittest ...)
function(math_r_interpreter_launcher var)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "SUPPRESSIONS" "")
  if(NOT arg_SUPPRESSIONS)
    set(arg_SUPPRESSIONS -)
  endif()
  set(launcher "")
  if(MATH_R_SANITIZE AND NOT MATH_R_SANITIZER_RUNTIME)
    set(launcher NOTFOUND)
  elseif(MATH_R_SANITIZE)
    set(launcher sh ${PROJECT_SOURCE_DIR}/cmake/sanitized-interpreter ${MATH_R_SANITIZER_RUNTIME} ${arg_SUPPRESSIONS})
  endif()
  set(${var} ${launcher} PARENT_SCOPE)
endfunction()
