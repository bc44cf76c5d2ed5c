# What a viewer gets: the `show` target (the program and its two files, all that watching needs),
# the install rules (cmake --install, any prefix, DESTDIR) and the Debian package (cpack -G DEB or
# the `package` target). Under the prefix:
#   games/velmora                the show (manual section 6)
#   games/velmora-capture        its offline renderer (manual section 6, as its folder's)
#   share/velmora/               oldskool.dat and drift.mod
#   share/applications/velmora.desktop (naming games/velmora by its absolute path)
#   share/metainfo/invalid.velmora.velmora.metainfo.xml (what software centres list)
#   share/icons/hicolor/NxN/apps/velmora.png
#   share/man/man6/velmora.6.gz, share/man/man6/velmora-capture.6.gz
#   share/doc/velmora/           copyright, changelog.gz
# The show is a game in Debian's sense, and the package holds nothing but the game, so both
# programs go where Debian puts games' programs, and their manual pages in games' section.
# The programs look for their files at ../share/velmora from their own folder, so these folders
# keep their places relative to each other whatever the prefix: they are not configurable.

add_custom_target(show DEPENDS velmora datafile drift_mod)

set(DIST_SOURCE ${CMAKE_SOURCE_DIR}/dist)
set(DIST_BUILD ${CMAKE_BINARY_DIR}/dist)

# Manual pages and the changelog compressed as Debian has them: gzip -9 without name or time, so
# that the same source gives the same bytes.
set(DIST_COMPRESSED)
foreach(name velmora.6 velmora-capture.6 changelog)
  add_custom_command(
    OUTPUT ${DIST_BUILD}/${name}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${DIST_BUILD}
    COMMAND sh -c "gzip -9n < \"$0\" > \"$1\"" ${DIST_SOURCE}/${name} ${DIST_BUILD}/${name}.gz
    DEPENDS ${DIST_SOURCE}/${name}
    VERBATIM)
  list(APPEND DIST_COMPRESSED ${DIST_BUILD}/${name}.gz)
endforeach()
add_custom_target(dist_files ALL DEPENDS ${DIST_COMPRESSED})

install(TARGETS velmora velmora-capture RUNTIME DESTINATION games)
# A stripped install (the package's) strips as Debian's own packages are stripped: the compilers'
# .comment notes go too.
install(CODE "set(VELMORA_OBJCOPY \"${CMAKE_OBJCOPY}\")")
install(CODE [[
  if(CMAKE_INSTALL_DO_STRIP)
    foreach(program velmora velmora-capture)
      execute_process(COMMAND "${VELMORA_OBJCOPY}" --remove-section=.comment
                              "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}/games/${program}"
                      RESULT_VARIABLE failed)
      if(failed)
        message(FATAL_ERROR "objcopy could not strip ${program}")
      endif()
    endforeach()
  endif()
]])
install(FILES ${CMAKE_BINARY_DIR}/oldskool.dat ${CMAKE_BINARY_DIR}/drift.mod
        DESTINATION share/velmora)
# The desktop entry is completed when it is installed, with the prefix it is installed to.
install(DIRECTORY DESTINATION share/applications)
install(CODE "set(VELMORA_DESKTOP_SOURCE \"${DIST_SOURCE}/velmora.desktop\")")
install(SCRIPT ${CMAKE_SOURCE_DIR}/cmake/desktop_entry.cmake)
install(FILES ${DIST_SOURCE}/velmora.metainfo.xml DESTINATION share/metainfo
        RENAME invalid.velmora.velmora.metainfo.xml)
install(DIRECTORY ${CMAKE_BINARY_DIR}/icons/ DESTINATION share/icons/hicolor)
install(FILES ${DIST_BUILD}/velmora.6.gz ${DIST_BUILD}/velmora-capture.6.gz DESTINATION share/man/man6)
install(FILES ${DIST_SOURCE}/copyright ${DIST_BUILD}/changelog.gz DESTINATION share/doc/velmora)

# The Debian package. Its dependencies are the shared libraries the programs link, as
# dpkg-shlibdeps derives them. ffmpeg is only suggested: watching never needs it, and the capture
# works without it (PNG frames and a WAV file); recommended, it would be installed by default
# with some 170 packages and 450 MiB for a tool that most viewers never run.
set(VELMORA_MAINTAINER "Zorvek <zorvek@velmora.invalid>" CACHE STRING
    "The Debian package's maintainer, as \"Name <address>\"")
file(READ ${DIST_SOURCE}/description VELMORA_DESCRIPTION)
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME velmora)
set(CPACK_PACKAGE_VENDOR Zorvek)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "real-time demo of software-rendered effects set to a tracker module")
set(CPACK_PACKAGE_DESCRIPTION ${VELMORA_DESCRIPTION})
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${VELMORA_MAINTAINER})
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Built for another processor (cmake/arm64-toolchain.cmake), the package is that processor's, and
# its libraries, with the packages that hold them, are those of the root it was built against
# (dpkg-shlibdeps reads that root's package database: scripts/arm64-build points it there).
if(CMAKE_CROSSCOMPILING AND CMAKE_SYSTEM_PROCESSOR STREQUAL "aarch64")
  set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE arm64)
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
      ${CMAKE_SYSROOT}/usr/lib/aarch64-linux-gnu ${CMAKE_SYSROOT}/lib/aarch64-linux-gnu)
endif()
# On a Wayland desktop that leaves the title bar to the program, SDL draws the window's through
# libdecor, which draws with a plugin that its own package only recommends.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS libdecor-0-plugin-1-cairo)
set(CPACK_DEBIAN_PACKAGE_SUGGESTS ffmpeg)
# The source archive (package_source): the tree without version control and build folders.
set(CPACK_SOURCE_GENERATOR TXZ)
set(CPACK_SOURCE_IGNORE_FILES "/\\\\.git/" "/\\\\.git$" "/build[^/]*/" "/out/")
include(CPack)
