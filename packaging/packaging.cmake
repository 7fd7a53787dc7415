# The Debian package (`make package` in the build folder), with the manual pages and the
# bash completion it carries. Included from the top CMakeLists.txt after the programs.
set(packaging_dir ${CMAKE_CURRENT_LIST_DIR})
set(packaging_out ${PROJECT_BINARY_DIR}/packaging)
set(doc_dir ${CMAKE_INSTALL_DATADIR}/doc/twinfold)

# bash-completion loads a command's completion from this folder on first use.
install(FILES ${packaging_dir}/twinfold-cli.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME twinfold-cli)

# The manual pages, written at build time from the programs' own --help and --version.
find_program(HELP2MAN help2man)
set(TWINFOLD_MANPAGES "")
if(NOT HELP2MAN)
  message(STATUS "help2man not found: no manual pages (scripts/install-deps.sh installs it)")
else()
  foreach(program twinfold-cli twinfold)
    if(NOT TARGET ${program})
      continue()
    endif()
    set(page ${packaging_out}/${program}.1)
    set(subcommand "")
    if(program STREQUAL "twinfold-cli")
      set(subcommand backup,ignore)
    endif()
    add_custom_command(
      OUTPUT ${page} ${page}.gz
      COMMAND ${CMAKE_COMMAND} -DHELP2MAN=${HELP2MAN} -DPROGRAM=$<TARGET_FILE:${program}>
              -DINCLUDE=${packaging_dir}/${program}.h2m -DOUTPUT=${page}
              -DSUBCOMMAND=${subcommand} -P ${packaging_dir}/manpage.cmake
      DEPENDS ${program} ${packaging_dir}/${program}.h2m ${packaging_dir}/manpage.cmake
      COMMENT "Writing the manual page ${program}(1)")
    install(FILES ${page}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    list(APPEND TWINFOLD_MANPAGES ${page})
  endforeach()
  add_custom_target(manpages ALL DEPENDS ${TWINFOLD_MANPAGES})
endif()

# What Debian asks of every package: a copyright file and a compressed changelog.
string(TIMESTAMP changelog_date "%a, %d %b %Y %H:%M:%S +0000" UTC)
set(TWINFOLD_DEB_RELEASE 1)
set(TWINFOLD_MAINTAINER "Twinfold developers <twinfold@example.org>")
configure_file(${packaging_dir}/changelog.in ${packaging_out}/changelog.Debian @ONLY)
add_custom_command(
  OUTPUT ${packaging_out}/changelog.Debian.gz
  COMMAND gzip -9nc ${packaging_out}/changelog.Debian > ${packaging_out}/changelog.Debian.gz
  DEPENDS ${packaging_out}/changelog.Debian)
add_custom_target(changelog ALL DEPENDS ${packaging_out}/changelog.Debian.gz)
install(FILES ${packaging_dir}/copyright ${packaging_out}/changelog.Debian.gz
        DESTINATION ${doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME twinfold)
set(CPACK_PACKAGE_VENDOR "Twinfold developers")
set(CPACK_PACKAGE_CONTACT "${TWINFOLD_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "find duplicate and similar files by name, size and modification time")
if(TARGET twinfold)
  set(programs "the Qt window program twinfold and the command-line program
twinfold-cli for scripts, which prints the groups as text, CSV or JSON.")
else()
  set(programs "the command-line program twinfold-cli for scripts,
which prints the groups as text, CSV or JSON.")
endif()
set(CPACK_PACKAGE_DESCRIPTION
    "Twinfold finds duplicate and similar files by their names, sizes and
modification times, without reading their contents, and lets you act on
them safely: open them, show their folder, move or copy them, replace one
by a link to its twin, or send it to a restorable backup folder or the
trash. Nothing it does deletes the only copy of a file.
.
The package holds ${programs}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_RELEASE ${TWINFOLD_DEB_RELEASE})
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The run-time libraries are read from the binaries; xdg-utils opens files and folders.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "xdg-utils")
include(CPack)
