# Installs the package's changelog, compressed as Debian wants it (gzip -9n: neither the file's
# name nor its time inside), dated from SOURCE_DATE_EPOCH (the last commit's time, which make
# sets) so that two builds of one commit write the same bytes.
# Run at install time with PACKAGE, VERSION, MAINTAINER, BINARY_DIR and DESTINATION (relative to
# the prefix).
string(TIMESTAMP date "%a, %d %b %Y %H:%M:%S +0000" UTC)
# Written into a folder of each destination's own: the tests install twice at once, and gzip
# of one would take the other's file away.
string(MD5 destination "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
set(changelog ${BINARY_DIR}/changelog-${destination}/changelog)
file(WRITE ${changelog} "${PACKAGE} (${VERSION}) unstable; urgency=medium

  * Release ${VERSION}.

 -- ${MAINTAINER}  ${date}
")
execute_process(COMMAND gzip -9nf ${changelog} COMMAND_ERROR_IS_FATAL ANY)
file(INSTALL ${changelog}.gz DESTINATION ${CMAKE_INSTALL_PREFIX}/${DESTINATION}
  PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)
