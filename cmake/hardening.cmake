# Debian's hardening, as the distribution's own packages have it: the flags that dpkg-buildflags
# gives with hardening=+all (fortified calls, a strong stack protector, format checks, full RELRO
# with immediate binding), on the programs that are packaged; the plug-in runs inside other
# programs' processes. The optimisation and debug flags stay the build type's and the paths are
# mapped in CMakeLists.txt, so dpkg's own are left out. Instrumented builds keep their own flags.
# AUTO is decided at every configuration, so that a build folder configured before dpkg-dev was
# installed (make run, then make package) is hardened once it is.
set(MATH_R_HARDENING AUTO CACHE STRING
  "Debian's hardening flags on the library and the host: ON, OFF, or AUTO (where dpkg-buildflags is)")
find_program(DPKG_BUILDFLAGS dpkg-buildflags)
set(math_r_hardening ${MATH_R_HARDENING})
if(MATH_R_HARDENING STREQUAL "AUTO")
  if(DPKG_BUILDFLAGS AND NOT math_r_sanitizers)
    set(math_r_hardening ON)
  else()
    set(math_r_hardening OFF)
  endif()
endif()

if(math_r_hardening)
  if(NOT DPKG_BUILDFLAGS)
    message(FATAL_ERROR "MATH_R_HARDENING needs dpkg-buildflags (Debian: dpkg-dev)")
  endif()
  # A cross build asks for the target's flags.
  set(math_r_dpkg_env
    "DEB_BUILD_MAINT_OPTIONS=hardening=+all reproducible=-fixfilepath,-fixdebugpath"
    "DEB_CXXFLAGS_MAINT_STRIP=-O2 -g")
  if(CMAKE_CROSSCOMPILING AND CMAKE_SYSTEM_PROCESSOR STREQUAL "aarch64")
    list(APPEND math_r_dpkg_env DEB_HOST_ARCH=arm64)
  endif()
  foreach(kind CPPFLAGS CXXFLAGS LDFLAGS)
    execute_process(COMMAND ${CMAKE_COMMAND} -E env ${math_r_dpkg_env} ${DPKG_BUILDFLAGS} --get ${kind}
      OUTPUT_VARIABLE flags OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
    separate_arguments(math_r_${kind} UNIX_COMMAND "${flags}")
  endforeach()
  # dpkg 1.22 adds stack clash protection and the target's branch protection to hardening=+all;
  # for an older one (Debian 12 has 1.21) they are added here, as it would add them.
  execute_process(COMMAND ${CMAKE_COMMAND} -E env ${math_r_dpkg_env} ${DPKG_BUILDFLAGS} --query-features hardening
    OUTPUT_VARIABLE features COMMAND_ERROR_IS_FATAL ANY)
  if(NOT features MATCHES "Feature: stackclash")
    list(APPEND math_r_CXXFLAGS -fstack-clash-protection)
  endif()
  if(NOT features MATCHES "Feature: branch")
    if(CMAKE_SYSTEM_PROCESSOR MATCHES "x86_64|AMD64")
      list(APPEND math_r_CXXFLAGS -fcf-protection)
    elseif(CMAKE_SYSTEM_PROCESSOR MATCHES "aarch64|arm64")
      list(APPEND math_r_CXXFLAGS -mbranch-protection=standard)
    endif()
  endif()
  message(STATUS "Hardening: ${math_r_CPPFLAGS} ${math_r_CXXFLAGS} ${math_r_LDFLAGS}")
endif()

# math_r_harden(TARGET...): the flags on each target, the linker's on those that link.
function(math_r_harden)
  if(NOT math_r_hardening)
    return()
  endif()
  foreach(target IN LISTS ARGN)
    # The C library's fortified calls need the optimiser; a Debug build would only be warned.
    target_compile_options(${target} PRIVATE $<$<NOT:$<CONFIG:Debug>>:${math_r_CPPFLAGS}> ${math_r_CXXFLAGS})
    get_target_property(type ${target} TYPE)
    if(type MATCHES "SHARED_LIBRARY|MODULE_LIBRARY|EXECUTABLE")
      target_link_options(${target} PRIVATE ${math_r_LDFLAGS})
    endif()
  endforeach()
endfunction()
