# `make install PREFIX=...`: the plug-in, its header, a CMake package (find_package(math_R)
# gives math_R::math_R) and a pkg-config file. Everything is relative to the prefix, so the
# prefix may be chosen at install time.
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(MATH_R_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/math_R)
set(MATH_R_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/math_R)

target_include_directories(math_R PUBLIC $<INSTALL_INTERFACE:${MATH_R_INCLUDEDIR}>)

install(TARGETS math_R EXPORT math_RTargets LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR})
install(FILES LIB/extpred.h DESTINATION ${MATH_R_INCLUDEDIR})

install(EXPORT math_RTargets NAMESPACE math_R:: DESTINATION ${MATH_R_CMAKEDIR})
configure_package_config_file(cmake/math_RConfig.cmake.in ${CMAKE_CURRENT_BINARY_DIR}/math_RConfig.cmake
  INSTALL_DESTINATION ${MATH_R_CMAKEDIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/math_RConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/math_RConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/math_RConfigVersion.cmake
  DESTINATION ${MATH_R_CMAKEDIR})

# pkg-config finds the prefix from where the .pc file lies.
file(RELATIVE_PATH MATH_R_PC_TO_PREFIX
  ${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_LIBDIR}/pkgconfig ${CMAKE_INSTALL_PREFIX})
string(REGEX REPLACE "/$" "" MATH_R_PC_TO_PREFIX "${MATH_R_PC_TO_PREFIX}")
configure_file(cmake/math_R.pc.in ${CMAKE_CURRENT_BINARY_DIR}/math_R.pc @ONLY)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/math_R.pc DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)
