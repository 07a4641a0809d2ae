# `make package`: a Debian package of what `make install` installs, under /usr. The files are
# the install rules' own, so the package and an install never differ.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME math-r)
set(CPACK_PACKAGE_VENDOR "math_R")
set(CPACK_PACKAGE_CONTACT "math_R developers <math-r@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Real-number predicates for the rule engine")
set(CPACK_PACKAGE_DESCRIPTION "math_R.so gives the rule engine arithmetic on reals written as decimal
texts, and carries CONSTANT, the term value the engine shares with its plug-ins. With its header,
CMake package and pkg-config file, and extpred-host, which answers calls against the plug-in.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION devel)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
if(CMAKE_CROSSCOMPILING AND CMAKE_SYSTEM_PROCESSOR STREQUAL "aarch64")
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
endif()

# The C and C++ runtimes, and libedit when the host reads its lines through it.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libc6, libstdc++6, libgcc-s1")
if(MATH_R_LIBEDIT)
  string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libedit2")
endif()

include(CPack)
