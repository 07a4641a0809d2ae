# `make package`: Debian packages of what `make install` installs, under /usr, and packages of
# their debug symbols: math-r, and swi-prolog-math-r with the SWI-Prolog bridge (the install
# component swipl) where it is built, named as Debian names SWI-Prolog's add-ons. The files are
# the install rules' own, so the packages and an install differ only in what
# packaging/finish-packages.cmake mends. lintian must find nothing in them (make lint), but for
# packaging/lintian-overrides, which only math-r carries.
set(CPACK_PACKAGE_NAME math-r)
set(MATH_R_MAINTAINER "math_R developers <maintainers@math-r.invalid>" CACHE STRING
  "The package's Maintainer: name <address>")

# The license in Debian's machine-readable form, made from LICENSE so that there is one text.
file(READ ${PROJECT_SOURCE_DIR}/LICENSE license)
if(NOT license MATCHES "Copyright \\(c\\) ([^\n]+)\n\n(.+[^\n])\n*$")
  message(FATAL_ERROR "LICENSE: no 'Copyright (c) ...' line followed by the terms")
endif()
set(MATH_R_COPYRIGHT ${CMAKE_MATCH_1})
string(REPLACE "\n\n" "\n.\n" terms " ${CMAKE_MATCH_2}")
string(REPLACE "\n" "\n " MATH_R_LICENSE_TERMS "${terms}")
configure_file(packaging/copyright.in ${CMAKE_CURRENT_BINARY_DIR}/copyright @ONLY)

# The copyright and the changelog that a package carries in its doc folder; both packages carry
# the release notes of the one source, math-r.
function(math_r_package_docs package component)
  set(docdir ${CMAKE_INSTALL_DATAROOTDIR}/doc/${package})
  install(FILES ${CMAKE_CURRENT_BINARY_DIR}/copyright DESTINATION ${docdir} COMPONENT ${component})
  install(CODE "set(PACKAGE ${CPACK_PACKAGE_NAME})
    set(VERSION ${PROJECT_VERSION})
    set(NEWS \"${PROJECT_SOURCE_DIR}/NEWS.md\")
    set(BINARY_DIR \"${CMAKE_CURRENT_BINARY_DIR}\")
    set(DESTINATION ${docdir})
    include(\"${PROJECT_SOURCE_DIR}/packaging/changelog.cmake\")" COMPONENT ${component})
endfunction()
set(MATH_R_DOCDIR ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_PACKAGE_NAME})
math_r_package_docs(${CPACK_PACKAGE_NAME} Unspecified)
# The guided tour, which the host's help and manual page run from where the package puts it.
install(FILES examples/tour.calls DESTINATION ${MATH_R_DOCDIR}/examples)
set(MATH_R_SWIPL_PACKAGE swi-prolog-math-r)
if(TARGET math_r4pl)
  math_r_package_docs(${MATH_R_SWIPL_PACKAGE} swipl)
  install(FILES examples/shortest_route.pl examples/invoice.pl
    DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${MATH_R_SWIPL_PACKAGE}/examples COMPONENT swipl)
endif()

# The manual pages: extpred-host(1) from the host's --help and --version (help2man), and the
# reference math_R(7) from the README's predicates, checked against math_R.h.
set(MATH_R_REFERENCE ${CMAKE_CURRENT_BINARY_DIR}/math_R.7)
add_custom_command(OUTPUT ${MATH_R_REFERENCE} ${MATH_R_REFERENCE}.gz
  COMMAND bash ${PROJECT_SOURCE_DIR}/packaging/reference ${MATH_R_REFERENCE}
          ${PROJECT_SOURCE_DIR}/README.md ${MATH_R_HEADER} ${PROJECT_VERSION}
  DEPENDS packaging/reference packaging/math_R.7.in README.md ${MATH_R_HEADER}
  COMMENT "Writing the manual page math_R.7"
  VERBATIM)
install(FILES ${MATH_R_REFERENCE}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man7)
find_program(HELP2MAN help2man)
if(HELP2MAN)
  set(MATH_R_MANUAL ${CMAKE_CURRENT_BINARY_DIR}/extpred-host.1)
  add_custom_command(OUTPUT ${MATH_R_MANUAL} ${MATH_R_MANUAL}.gz
    COMMAND bash ${PROJECT_SOURCE_DIR}/packaging/manual ${MATH_R_MANUAL}
            $<TARGET_FILE:extpred-host> ${CMAKE_CROSSCOMPILING_EMULATOR}
    DEPENDS extpred-host packaging/manual packaging/extpred-host.h2m
    COMMENT "Writing the manual page extpred-host.1"
    VERBATIM)
  install(FILES ${MATH_R_MANUAL}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
else()
  message(STATUS "help2man not found: no manual page extpred-host.1 (Debian: help2man, which make install and make package install)")
endif()
add_custom_target(manual ALL DEPENDS ${MATH_R_REFERENCE} ${MATH_R_MANUAL})

# What is packaged carries debug information, which the package moves into math-r-dbgsym, and
# is hardened as Debian's packages are.
set(MATH_R_PACKAGED_TARGETS math_R real_text host_term_value extpred_host_core extpred-host)
if(TARGET math_r4pl)
  list(APPEND MATH_R_PACKAGED_TARGETS math_r4pl)
endif()
foreach(target IN LISTS MATH_R_PACKAGED_TARGETS)
  target_compile_options(${target} PRIVATE -g)
endforeach()
math_r_harden(${MATH_R_PACKAGED_TARGETS})
target_link_options(math_R PRIVATE -g) # with LTO the code, and its debug information, is made here

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_VENDOR "math_R")
set(CPACK_PACKAGE_CONTACT "${MATH_R_MAINTAINER}")
# One package for each install component; the summary is the first line of each description.
# Debian's limit is 80 characters a line. Where the bridge is not built there is one component,
# and CPack makes its package from the settings for no components.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_UNSPECIFIED_PACKAGE_NAME ${CPACK_PACKAGE_NAME})
set(CPACK_PACKAGE_DESCRIPTION "real-number predicates for the rule engine
math_R.so gives the rule engine arithmetic on reals written as
decimal texts, and carries CONSTANT, the term value that the engine shares with
its plug-ins. With its headers, CMake package and pkg-config file, the
reference of the predicates, math_R(7), and extpred-host, which answers calls
against the plug-in.")
set(CPACK_DEBIAN_UNSPECIFIED_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
target_compile_definitions(extpred_host_core PRIVATE
  EXTPRED_HOST_TOUR="${CPACK_PACKAGING_INSTALL_PREFIX}/${MATH_R_DOCDIR}/examples/tour.calls")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
if(TARGET math_r4pl)
  set(CPACK_DEBIAN_SWIPL_PACKAGE_NAME ${MATH_R_SWIPL_PACKAGE})
  set(CPACK_DEBIAN_SWIPL_PACKAGE_SECTION interpreters)
  set(CPACK_DEBIAN_SWIPL_DESCRIPTION "real-number predicates of math_R.so for SWI-Prolog
library(math_r) loads math_R.so into SWI-Prolog and defines each of its
predicates as a Prolog predicate, name/N, that calls the binding pattern
which its arguments' instantiation asks for. Any other plug-in of the rule
engine's interface loads the same way, with load_plugin/2.")
  # The plug-in of the same build, and the SWI-Prolog it was built for: its version at least and
  # its foreign interface (the virtual package that Debian's swi-prolog-core provides).
  math(EXPR swipl_major "${MATH_R_SWIPL_VERSION} / 10000")
  math(EXPR swipl_minor "${MATH_R_SWIPL_VERSION} / 100 % 100")
  math(EXPR swipl_patch "${MATH_R_SWIPL_VERSION} % 100")
  set(CPACK_DEBIAN_SWIPL_PACKAGE_DEPENDS
    "${CPACK_PACKAGE_NAME} (= ${PROJECT_VERSION}), swi-prolog-core (>= ${swipl_major}.${swipl_minor}.${swipl_patch})")
  execute_process(COMMAND dpkg-query -W -f=\${Provides} swi-prolog-core OUTPUT_VARIABLE swipl_provides ERROR_QUIET)
  if(swipl_provides MATCHES "(swi-prolog-abi-foreign-[0-9]+)")
    string(APPEND CPACK_DEBIAN_SWIPL_PACKAGE_DEPENDS ", ${CMAKE_MATCH_1}")
  endif()
endif()
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
if(CMAKE_CROSSCOMPILING AND CMAKE_SYSTEM_PROCESSOR STREQUAL "aarch64")
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
  # dpkg-shlibdeps then takes the dependencies from the target's own Debian packages (libc6:arm64
  # and the others, which scripts/install-packages installs through multiarch), never from the
  # cross toolchain's libc6-arm64-cross.
  file(WRITE ${CMAKE_BINARY_DIR}/CPackHostArchitecture.cmake "set(ENV{DEB_HOST_ARCH} arm64)\n")
  set(CPACK_PROJECT_CONFIG_FILE ${CMAKE_BINARY_DIR}/CPackHostArchitecture.cmake)
endif()

# Dependencies with the versions that the binaries need, from dpkg-shlibdeps (libedit2 too when
# the host reads its lines through it).
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Stripped binaries; their debug symbols go to math-r-dbgsym_<version>_<arch>.ddeb. The
# toolchain's own objcopy, which knows the target's binaries.
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
set(CPACK_OBJCOPY_EXECUTABLE ${CMAKE_OBJCOPY})
# ldconfig runs once after dpkg has installed or removed libraries, not from the package's scripts.
set(CPACK_DEBIAN_UNSPECIFIED_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/triggers)
if(NOT TARGET math_r4pl)
  set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${CPACK_DEBIAN_UNSPECIFIED_PACKAGE_CONTROL_EXTRA})
endif()
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/finish-packages.cmake)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)

include(CPack)
