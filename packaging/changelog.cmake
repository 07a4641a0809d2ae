# Installs the package's changelog: the release notes, NEWS.md, written as a Debian changelog so
# that the package carries them as they are, compressed as Debian wants it (gzip -9n: neither
# the file's name nor its time inside). Their latest entry must be this version's.
# Run at install time with PACKAGE, VERSION, NEWS, BINARY_DIR and DESTINATION (relative to the
# prefix).
file(STRINGS "${NEWS}" latest LIMIT_COUNT 1)
if(NOT latest MATCHES "^${PACKAGE} \\(${VERSION}\\) ")
  message(FATAL_ERROR "${NEWS}: the latest entry is '${latest}', not ${PACKAGE} (${VERSION})")
endif()
# Written into a folder of each destination's own: the tests install twice at once, and gzip
# of one would take the other's file away.
string(MD5 destination "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(changelog ${BINARY_DIR}/changelog-${destination}/changelog)
configure_file("${NEWS}" ${changelog} COPYONLY)
execute_process(COMMAND gzip -9nf ${changelog} COMMAND_ERROR_IS_FATAL ANY)
file(INSTALL ${changelog}.gz DESTINATION ${CMAKE_INSTALL_PREFIX}/${DESTINATION}
  PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
