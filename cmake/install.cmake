# `make install PREFIX=...`: the plug-in, its headers, a CMake package (find_package(math_R)
# gives math_R::math_R) and a pkg-config file. Everything is relative to the prefix, so the
# prefix may be chosen at install time. The plug-in is the install component plugin, what a host
# author builds with is dev: each is a package of its own (cmake/package.cmake).
include(GNUInstallDirs)
include(CMakePackageConfigHelpers)

set(MATH_R_INCLUDEDIR ${CMAKE_INSTALL_INCLUDEDIR}/math_R)
set(MATH_R_CMAKEDIR ${CMAKE_INSTALL_LIBDIR}/cmake/math_R)

target_include_directories(math_R PUBLIC $<INSTALL_INTERFACE:${MATH_R_INCLUDEDIR}>)

install(TARGETS math_R EXPORT math_RTargets LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT plugin)
install(FILES LIB/extpred.h ${MATH_R_HEADER} DESTINATION ${MATH_R_INCLUDEDIR} COMPONENT dev)
# The development link: -lmath_R finds the plug-in through it, as the linker finds any library
# (-l:math_R.so names the file itself). It is dev's, beside the headers, as Debian has it.
file(MAKE_DIRECTORY ${CMAKE_CURRENT_BINARY_DIR}/development_link)
file(CREATE_LINK math_R.so ${CMAKE_CURRENT_BINARY_DIR}/development_link/libmath_R.so SYMBOLIC)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/development_link/libmath_R.so DESTINATION ${CMAKE_INSTALL_LIBDIR} COMPONENT dev)

install(EXPORT math_RTargets NAMESPACE math_R:: DESTINATION ${MATH_R_CMAKEDIR} COMPONENT dev)
configure_package_config_file(cmake/math_RConfig.cmake.in ${CMAKE_CURRENT_BINARY_DIR}/math_RConfig.cmake
  INSTALL_DESTINATION ${MATH_R_CMAKEDIR})
write_basic_package_version_file(${CMAKE_CURRENT_BINARY_DIR}/math_RConfigVersion.cmake
  COMPATIBILITY SameMajorVersion)
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/math_RConfig.cmake ${CMAKE_CURRENT_BINARY_DIR}/math_RConfigVersion.cmake
  DESTINATION ${MATH_R_CMAKEDIR} COMPONENT dev)

# The .pc file names the prefix that it is installed into, as `cmake --install --prefix` (or
# the package, /usr) gives it at install time, in its plain form: a prefix found from the
# file's own folder would print as .../lib/<triplet>/pkgconfig/../../.. in every flag.
set(MATH_R_PC_PREFIX "@MATH_R_PC_PREFIX@") # left for install time
configure_file(cmake/math_R.pc.in ${CMAKE_CURRENT_BINARY_DIR}/math_R.pc.in @ONLY)
install(CODE "set(MATH_R_PC_IN \"${CMAKE_CURRENT_BINARY_DIR}/math_R.pc.in\")
  set(MATH_R_PC_DESTINATION ${CMAKE_INSTALL_LIBDIR}/pkgconfig)" COMPONENT dev)
# Written into a folder of each destination's own, since the tests install twice at once.
install(CODE [[
  cmake_path(SET MATH_R_PC_PREFIX NORMALIZE "${CMAKE_INSTALL_PREFIX}")
  string(REGEX REPLACE "(.)/$" "\\1" MATH_R_PC_PREFIX "${MATH_R_PC_PREFIX}")
  string(MD5 destination "$ENV{DESTDIR}${MATH_R_PC_PREFIX}")
  get_filename_component(pc_dir "${MATH_R_PC_IN}" DIRECTORY)
  configure_file("${MATH_R_PC_IN}" "${pc_dir}/pkgconfig-${destination}/math_R.pc" @ONLY)
  file(INSTALL "${pc_dir}/pkgconfig-${destination}/math_R.pc"
    DESTINATION "${CMAKE_INSTALL_PREFIX}/${MATH_R_PC_DESTINATION}"
    PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
]] COMPONENT dev)
