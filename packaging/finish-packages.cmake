# Mends what CPack gets wrong in its packages, then packs each again with dpkg-deb, which dates
# its members from SOURCE_DATE_EPOCH:
# - both: the modes of folders and files follow the umask of the build; nothing is writable
#   but by root.
# - the .deb: CPack gives a package with a library under /usr/lib postinst and postrm scripts
#   that run ldconfig; dpkg runs it once through the trigger in packaging/triggers instead, and
#   lintian rejects the calls. The two scripts (nothing but that call) are dropped.
# - the debug symbols' .ddeb: its md5sums name the files by their paths in the build folder,
#   its symbol files are executable, and it has no copyright; the sums are made again, the
#   files made plain, and its doc folder is the main package's.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  set(root ${CPACK_TOPLEVEL_DIRECTORY}/repack)
  file(REMOVE_RECURSE ${root})
  execute_process(COMMAND dpkg-deb --raw-extract ${package} ${root} COMMAND_ERROR_IS_FATAL ANY)
  if(package MATCHES "\\.deb$")
    foreach(script postinst postrm)
      file(READ ${root}/DEBIAN/${script} text)
      string(REGEX REPLACE "#![^\n]*|set -e|if \\[ \"\\$1\" = \"[a-z]+\" \\]; then|ldconfig|fi|[ \t\n]" ""
        rest "${text}")
      if(NOT rest STREQUAL "")
        message(FATAL_ERROR "${script} of ${package} does more than run ldconfig:\n${text}")
      endif()
      file(REMOVE ${root}/DEBIAN/${script})
    endforeach()
  elseif(package MATCHES "\\.ddeb$")
    file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${root} ${root}/usr/*)
    list(SORT files)
    set(sums "")
    foreach(file IN LISTS files)
      file(MD5 ${root}/${file} sum)
      string(APPEND sums "${sum}  ${file}\n")
    endforeach()
    file(WRITE ${root}/DEBIAN/md5sums "${sums}")
    execute_process(COMMAND chmod a-x ${files} WORKING_DIRECTORY ${root} COMMAND_ERROR_IS_FATAL ANY)
    file(MAKE_DIRECTORY ${root}/usr/share/doc)
    file(CREATE_LINK ${CPACK_PACKAGE_NAME} ${root}/usr/share/doc/${CPACK_PACKAGE_NAME}-dbgsym SYMBOLIC)
  endif()
  execute_process(COMMAND chmod -R go-w ${root} COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND dpkg-deb --root-owner-group --build ${root} ${package}
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${root})
endforeach()
