# Mends what CPack gets wrong in its packages, then packs each again with dpkg-deb, which dates
# its members from SOURCE_DATE_EPOCH:
# - both: the modes of folders and files follow the umask of the build; nothing is writable
#   but by root.
# - a .deb: CPack gives a package with a library under /usr/lib postinst and postrm scripts
#   that run ldconfig; dpkg runs it once through the trigger in packaging/triggers instead, and
#   lintian rejects the calls. The two scripts (nothing but that call) are dropped. Its binaries
#   lose the compilers' version notes (.comment) as Debian's dh_strip removes them, and a package
#   with lintian overrides (lintian-overrides/<package>) gets them, which mean something only
#   inside a package.
# - a debug symbols' .ddeb: its md5sums name the files by their paths in the build folder,
#   its symbol files are executable, and it has no copyright; the files are made plain, and its
#   doc folder is its package's.
# The md5sums of both are made again from the files as they now are.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
  set(root ${CPACK_TOPLEVEL_DIRECTORY}/repack)
  file(REMOVE_RECURSE ${root})
  execute_process(COMMAND dpkg-deb --raw-extract ${package} ${root} COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND dpkg-deb --field ${package} Package OUTPUT_VARIABLE name
    OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
  if(package MATCHES "\\.deb$")
    foreach(script postinst postrm)
      if(NOT EXISTS ${root}/DEBIAN/${script})
        continue()
      endif()
      file(READ ${root}/DEBIAN/${script} text)
      string(REGEX REPLACE "#![^\n]*|set -e|if \\[ \"\\$1\" = \"[a-z]+\" \\]; then|ldconfig|fi|[ \t\n]" ""
        rest "${text}")
      if(NOT rest STREQUAL "")
        message(FATAL_ERROR "${script} of ${package} does more than run ldconfig:\n${text}")
      endif()
      file(REMOVE ${root}/DEBIAN/${script})
    endforeach()
    file(GLOB_RECURSE files LIST_DIRECTORIES false ${root}/usr/*)
    foreach(file IN LISTS files)
      if(IS_SYMLINK ${file}) # math-r-dev's link to the library, which lies in math-r
        continue()
      endif()
      file(READ ${file} magic LIMIT 4 HEX)
      if(magic STREQUAL "7f454c46") # ELF
        execute_process(COMMAND ${CPACK_OBJCOPY_EXECUTABLE} --remove-section=.comment ${file} COMMAND_ERROR_IS_FATAL ANY)
      endif()
    endforeach()
    if(EXISTS ${CMAKE_CURRENT_LIST_DIR}/lintian-overrides/${name})
      file(INSTALL ${CMAKE_CURRENT_LIST_DIR}/lintian-overrides/${name}
        DESTINATION ${root}/usr/share/lintian/overrides)
    endif()
  elseif(package MATCHES "\\.ddeb$")
    file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${root} ${root}/usr/*)
    execute_process(COMMAND chmod a-x ${files} WORKING_DIRECTORY ${root} COMMAND_ERROR_IS_FATAL ANY)
    file(MAKE_DIRECTORY ${root}/usr/share/doc)
    string(REGEX REPLACE "-dbgsym$" "" owner ${name})
    file(CREATE_LINK ${owner} ${root}/usr/share/doc/${name} SYMBOLIC)
  endif()
  file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE ${root} ${root}/usr/*)
  list(SORT files)
  set(sums "")
  foreach(file IN LISTS files)
    if(NOT IS_SYMLINK ${root}/${file})
      file(MD5 ${root}/${file} sum)
      string(APPEND sums "${sum}  ${file}\n")
    endif()
  endforeach()
  file(WRITE ${root}/DEBIAN/md5sums "${sums}")
  execute_process(COMMAND chmod -R go-w ${root} COMMAND_ERROR_IS_FATAL ANY)
  execute_process(COMMAND dpkg-deb --root-owner-group --build ${root} ${package}
    OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
  file(REMOVE_RECURSE ${root})
endforeach()
