# `make package`: Debian packages of what `make install` installs, under /usr, split as Debian
# splits a library, one package for each install component, and packages of their debug symbols:
#   plugin  math-r             math_R.so, its reference math_R(7)
#   dev     math-r-dev         math_R.h and extpred.h, the CMake package and the pkg-config file
#   host    extpred-host       the host, its manual page extpred-host(1) and the tour
#   swipl   swi-prolog-math-r  the SWI-Prolog bridge, where it is built, named as Debian names
#                              SWI-Prolog's add-ons
# Each carries the license and the release notes, and depends on the exact version of the others
# that it needs. The files are the install rules' own, so the packages and an install differ only
# in what packaging/finish-packages.cmake mends. lintian must find nothing in them (make lint),
# but for the tags overridden, with the reasons, in packaging/lintian-overrides/<package>.
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

# The copyright and the changelog that a package carries in its doc folder; every package carries
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
set(MATH_R_PLUGIN_PACKAGE ${CPACK_PACKAGE_NAME})
set(MATH_R_DEV_PACKAGE ${CPACK_PACKAGE_NAME}-dev)
set(MATH_R_HOST_PACKAGE extpred-host)
set(MATH_R_SWIPL_PACKAGE swi-prolog-math-r)
set(MATH_R_COMPONENTS plugin dev host)
if(TARGET math_r4pl)
  list(APPEND MATH_R_COMPONENTS swipl)
endif()
foreach(component IN LISTS MATH_R_COMPONENTS)
  string(TOUPPER ${component} COMPONENT)
  math_r_package_docs(${MATH_R_${COMPONENT}_PACKAGE} ${component})
endforeach()
# The guided tour, which the host's help and manual page run from where the package puts it.
set(MATH_R_TOUR ${CMAKE_INSTALL_DATAROOTDIR}/doc/${MATH_R_HOST_PACKAGE}/examples/tour.calls)
install(FILES examples/tour.calls DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/doc/${MATH_R_HOST_PACKAGE}/examples
  COMPONENT host)
if(TARGET math_r4pl)
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
install(FILES ${MATH_R_REFERENCE}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man7 COMPONENT plugin)
find_program(HELP2MAN help2man)
if(HELP2MAN)
  set(MATH_R_MANUAL ${CMAKE_CURRENT_BINARY_DIR}/extpred-host.1)
  add_custom_command(OUTPUT ${MATH_R_MANUAL} ${MATH_R_MANUAL}.gz
    COMMAND bash ${PROJECT_SOURCE_DIR}/packaging/manual ${MATH_R_MANUAL}
            $<TARGET_FILE:extpred-host> ${CMAKE_CROSSCOMPILING_EMULATOR}
    DEPENDS extpred-host packaging/manual packaging/extpred-host.h2m
    COMMENT "Writing the manual page extpred-host.1"
    VERBATIM)
  install(FILES ${MATH_R_MANUAL}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1 COMPONENT host)
else()
  message(STATUS "help2man not found: no manual page extpred-host.1 (Debian: help2man, which make install and make package install)")
endif()
add_custom_target(manual ALL DEPENDS ${MATH_R_REFERENCE} ${MATH_R_MANUAL})

# What is packaged carries debug information, which moves into the packages' -dbgsym, and
# is hardened as Debian's packages are.
set(MATH_R_PACKAGED_TARGETS math_R real_text host_term_value extpred_host_core extpred-host)
if(TARGET math_r4pl)
  list(APPEND MATH_R_PACKAGED_TARGETS math_r4pl)
endif()
if(TARGET math_r_python)
  list(APPEND MATH_R_PACKAGED_TARGETS math_r_python)
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
# Debian's limit is 80 characters a line. All are of the one source, math-r.
set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL ${MATH_R_COMPONENTS})
set(CPACK_DEBIAN_PACKAGE_SOURCE ${CPACK_PACKAGE_NAME})
set(CPACK_DEBIAN_PLUGIN_PACKAGE_SECTION libs)
set(CPACK_DEBIAN_PLUGIN_DESCRIPTION "real-number predicates for the rule engine
math_R.so gives the rule engine arithmetic on reals written as
decimal texts, and carries CONSTANT, the term value that the engine shares with
its plug-ins. With the reference of its predicates, math_R(7).")
set(CPACK_DEBIAN_DEV_PACKAGE_SECTION libdevel)
set(CPACK_DEBIAN_DEV_DESCRIPTION "real-number predicates for the rule engine - development files
What a host of the rule engine's plug-ins builds with: math_R.h, which
declares math_R.so's predicates and myRound, extpred.h, the interface that the
engine shares with its plug-ins, and the CMake package (find_package(math_R))
and pkg-config file (pkg-config math_R) that find them and math_R.so.")
set(CPACK_DEBIAN_HOST_PACKAGE_SECTION devel)
set(CPACK_DEBIAN_HOST_DESCRIPTION "answers calls against a plug-in of the rule engine
extpred-host loads math_R.so, or any plug-in of the rule engine's interface,
as the engine does, and answers calls and rule bodies from its arguments, a
transcript file, a program's pipe or a terminal with line editing and history.
With its manual page and a guided tour of math_R.so's predicates.")
# Each names the exact version of the others that it needs: the headers and the host go with
# the plug-in of their own build.
foreach(component dev host swipl)
  string(TOUPPER ${component} COMPONENT)
  set(CPACK_DEBIAN_${COMPONENT}_PACKAGE_NAME ${MATH_R_${COMPONENT}_PACKAGE})
  set(CPACK_DEBIAN_${COMPONENT}_PACKAGE_DEPENDS "${MATH_R_PLUGIN_PACKAGE} (= ${PROJECT_VERSION})")
endforeach()
set(CPACK_DEBIAN_PLUGIN_PACKAGE_NAME ${MATH_R_PLUGIN_PACKAGE})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
target_compile_definitions(extpred_host_core PRIVATE
  EXTPRED_HOST_TOUR="${CPACK_PACKAGING_INSTALL_PREFIX}/${MATH_R_TOUR}")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
if(TARGET math_r4pl)
  set(CPACK_DEBIAN_SWIPL_PACKAGE_SECTION interpreters)
  set(CPACK_DEBIAN_SWIPL_DESCRIPTION "real-number predicates of math_R.so for SWI-Prolog
library(math_r) loads math_R.so into SWI-Prolog and defines each of its
predicates as a Prolog predicate, name/N, that calls the binding pattern
which its arguments' instantiation asks for. Any other plug-in of the rule
engine's interface loads the same way, with load_plugin/2.")
  # And the SWI-Prolog it was built for: its version at least and its foreign interface (the
  # virtual package that Debian's swi-prolog-core provides).
  math(EXPR swipl_major "${MATH_R_SWIPL_VERSION} / 10000")
  math(EXPR swipl_minor "${MATH_R_SWIPL_VERSION} / 100 % 100")
  math(EXPR swipl_patch "${MATH_R_SWIPL_VERSION} % 100")
  string(APPEND CPACK_DEBIAN_SWIPL_PACKAGE_DEPENDS
    ", swi-prolog-core (>= ${swipl_major}.${swipl_minor}.${swipl_patch})")
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

# Dependencies with the versions that the binaries need, from dpkg-shlibdeps: libedit2, where
# the host reads its lines through it, is extpred-host's alone.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Stripped binaries; their debug symbols go to <package>-dbgsym_<version>_<arch>.ddeb for each
# package that has any (math-r-dev has none). CPack names them so, with the field Package-Type:
# ddeb, as Ubuntu does; Debian's own tools would write .deb, but dpkg and apt install either. The
# toolchain's own objcopy, which knows the target's binaries.
set(CPACK_DEBIAN_DEBUGINFO_PACKAGE ON)
set(CPACK_OBJCOPY_EXECUTABLE ${CMAKE_OBJCOPY})
# ldconfig runs once after dpkg has installed or removed libraries, not from the package's scripts.
set(CPACK_DEBIAN_PLUGIN_PACKAGE_CONTROL_EXTRA ${PROJECT_SOURCE_DIR}/packaging/triggers)
set(CPACK_POST_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/packaging/finish-packages.cmake)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)

include(CPack)
