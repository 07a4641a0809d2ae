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
# The runtime is the shared one of clang (libclang_rt.asan-ARCH.so, libclang_rt.tsan-ARCH.so)
# when it builds, else g++'s (libasan.so, libtsan.so): the first that runs a program.
set(MATH_R_SANITIZER_RUNTIME "")
if(MATH_R_SANITIZE)
  set(kind ${MATH_R_SANITIZE})
  string(REPLACE "address" "asan" kind ${kind})
  string(REPLACE "thread" "tsan" kind ${kind})
  set(candidates "")
  if(CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    execute_process(COMMAND ${CMAKE_CXX_COMPILER} -print-runtime-dir
      OUTPUT_VARIABLE runtime_dir OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    list(APPEND candidates ${runtime_dir}/libclang_rt.${kind}-${CMAKE_SYSTEM_PROCESSOR}.so)
  endif()
  # g++'s, which clang's instrumentation calls alike: Debian 12's clang 14 has a shared
  # libclang_rt.tsan that crashes any program it is preloaded into.
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    set(math_r_gxx ${CMAKE_CXX_COMPILER})
  else()
    find_program(math_r_gxx g++ NO_CACHE)
  endif()
  if(math_r_gxx)
    execute_process(COMMAND ${math_r_gxx} -print-file-name=lib${kind}.so
      OUTPUT_VARIABLE runtime OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    list(APPEND candidates ${runtime})
  endif()
  foreach(runtime IN LISTS candidates)
    if(IS_ABSOLUTE "${runtime}" AND EXISTS "${runtime}")
      execute_process(COMMAND ${CMAKE_COMMAND} -E env LD_PRELOAD=${runtime} ${CMAKE_COMMAND} -E true
        RESULT_VARIABLE status OUTPUT_QUIET ERROR_QUIET)
      if(status EQUAL 0)
        file(REAL_PATH ${runtime} MATH_R_SANITIZER_RUNTIME)
        break()
      endif()
    endif()
  endforeach()
  if(NOT MATH_R_SANITIZER_RUNTIME)
    message(STATUS "No shared ${kind} runtime that runs: no tests run by an interpreter")
  endif()
endif()

# math_r_interpreter_launcher(VAR [LEAKS FILE] [RACES FILE]) sets VAR to the words that run an
# interpreter on instrumented code when put before its command: cmake/sanitized-interpreter with
# the runtime and the suppressions of the sanitizer in use, which name what the interpreter
# itself leaks (LEAKS, LeakSanitizer's format) or races on (RACES, ThreadSanitizer's). Nothing in
# a build without sanitizers; NOTFOUND where the compiler has no shared runtime that runs, where
# such tests are not to be added. As prolog/ does:
#   math_r_interpreter_launcher(swipl_launcher LEAKS ${CMAKE_CURRENT_SOURCE_DIR}/swipl-leaks.supp)
#   add_test(NAME prolog_bridge COMMAND ${swipl_launcher} ${SWIPL_EXECUTABLE} ...)
function(math_r_interpreter_launcher var)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "LEAKS;RACES" "")
  set(suppressions -)
  if(MATH_R_SANITIZE STREQUAL "address" AND arg_LEAKS)
    set(suppressions ${arg_LEAKS})
  elseif(MATH_R_SANITIZE STREQUAL "thread" AND arg_RACES)
    set(suppressions ${arg_RACES})
  endif()
  set(launcher "")
  if(MATH_R_SANITIZE AND NOT MATH_R_SANITIZER_RUNTIME)
    set(launcher NOTFOUND)
  elseif(MATH_R_SANITIZE)
    set(launcher sh ${PROJECT_SOURCE_DIR}/cmake/sanitized-interpreter ${MATH_R_SANITIZER_RUNTIME} ${suppressions})
  endif()
  set(${var} ${launcher} PARENT_SCOPE)
endfunction()
