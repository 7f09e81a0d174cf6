# What `cmake --install` puts where, and the Debian package CPack makes of it. Two parts:
# "runtime", what a player needs (the game, its libraries, sounds, desktop entry, icons,
# metainfo, man page, doc), which is also what the .deb holds; and "dev", the headers,
# pkg-config files, CMake package and the facade's static library for programmers.
include(CMakePackageConfigHelpers)

# ---- Programs and libraries ------------------------------------------------------------

install(TARGETS quib RUNTIME DESTINATION ${QUIB_INSTALL_BINDIR} COMPONENT runtime)
install(TARGETS disp sound quibfacade EXPORT quibTargets
  LIBRARY DESTINATION ${QUIB_INSTALL_LIBDIR} COMPONENT runtime NAMELINK_COMPONENT dev
  ARCHIVE DESTINATION ${QUIB_INSTALL_LIBDIR} COMPONENT dev)

# ---- Headers ---------------------------------------------------------------------------

foreach(header ${QUIB_PUBLIC_HEADERS})
  get_filename_component(dir ${header} DIRECTORY)
  install(FILES ${PROJECT_SOURCE_DIR}/${header}
    DESTINATION ${QUIB_INSTALL_INCLUDEDIR}/quib/${dir} COMPONENT dev)
endforeach()
# Short names at the top: <facade.h> with include/quib on the path, <quib/facade.h> with
# include; both directories are in the flags pkg-config and the CMake targets give.
file(GLOB QUIB_SHORT_HEADERS ${PROJECT_SOURCE_DIR}/include/quib/*.h)
install(FILES ${QUIB_SHORT_HEADERS}
  DESTINATION ${QUIB_INSTALL_INCLUDEDIR}/quib COMPONENT dev)

# ---- pkg-config and the CMake package ----------------------------------------------------

foreach(pc quib disp sound)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/${pc}.pc.in ${PROJECT_BINARY_DIR}/${pc}.pc @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/${pc}.pc DESTINATION ${QUIB_INSTALL_PKGCONFIGDIR}
    COMPONENT dev)
endforeach()

install(EXPORT quibTargets NAMESPACE quib:: DESTINATION ${QUIB_INSTALL_CMAKEDIR}
  COMPONENT dev)
configure_package_config_file(${PROJECT_SOURCE_DIR}/cmake/quibConfig.cmake.in
  ${PROJECT_BINARY_DIR}/quibConfig.cmake INSTALL_DESTINATION ${QUIB_INSTALL_CMAKEDIR})
write_basic_package_version_file(${PROJECT_BINARY_DIR}/quibConfigVersion.cmake
  VERSION ${PROJECT_VERSION} COMPATIBILITY SameMajorVersion)
install(FILES ${PROJECT_BINARY_DIR}/quibConfig.cmake
              ${PROJECT_BINARY_DIR}/quibConfigVersion.cmake
  DESTINATION ${QUIB_INSTALL_CMAKEDIR} COMPONENT dev)

# ---- Game data and desktop integration ----------------------------------------------------

install(FILES ${PROJECT_SOURCE_DIR}/audio/bg.mp3 ${PROJECT_SOURCE_DIR}/audio/sj1.wav
              ${PROJECT_SOURCE_DIR}/audio/sj2.wav ${PROJECT_SOURCE_DIR}/audio/sj3.wav
              ${PROJECT_SOURCE_DIR}/audio/sj4.wav
  DESTINATION ${QUIB_INSTALL_DATADIR}/audio COMPONENT runtime)
set(QUIB_DIST ${PROJECT_SOURCE_DIR}/dist)
install(FILES ${QUIB_DIST}/quib.desktop DESTINATION share/applications COMPONENT runtime)
install(FILES ${QUIB_DIST}/quib.metainfo.xml DESTINATION share/metainfo COMPONENT runtime)
configure_file(${QUIB_DIST}/quib.6.in ${PROJECT_BINARY_DIR}/quib.6 @ONLY)
install(FILES ${PROJECT_BINARY_DIR}/quib.6 DESTINATION share/man/man6 COMPONENT runtime)
install(FILES ${QUIB_DIST}/icons/quib.svg DESTINATION share/icons/hicolor/scalable/apps
  COMPONENT runtime)
foreach(size 48 128 256)
  install(FILES ${QUIB_DIST}/icons/quib-${size}.png
    DESTINATION share/icons/hicolor/${size}x${size}/apps RENAME quib.png COMPONENT runtime)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
  DESTINATION share/doc/quib COMPONENT runtime)

# ---- Debian package ----------------------------------------------------------------------

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quib)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "the quib developers")
set(CPACK_PACKAGE_CONTACT "quib maintainers <maintainers@users.noreply.c-seed-3ae9ca89.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "one-button arcade game of a ball running round loops")
set(CPACK_PACKAGE_INSTALL_DIRECTORY quib)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# The player's part only; programmers install the headers and the rest from source.
set(CPACK_INSTALL_CMAKE_PROJECTS "${PROJECT_BINARY_DIR};quib;runtime;/")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
  "A ball runs round a circle. SPACE flips it from the inside of its loop to the
outside and back, or jumps it onto the next loop when the two touch. Spikes,
the outside of other loops and a line that chases the ball from the left kill
it; every fifth loop opens a faster level with a new colour.")
# Dependencies come from the binaries. The game's own libraries sit in the package's
# private directory, where dpkg-shlibdeps is told to look so it does not ask for them.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS ${PROJECT_BINARY_DIR})
# Debian's own places and forms, made in the package's staging tree only: the game in
# /usr/games, man page and changelog compressed. `cmake --install` keeps bin/ and quib.6.
set(CPACK_PRE_BUILD_SCRIPTS ${PROJECT_SOURCE_DIR}/cmake/debstage.cmake)
set(CPACK_QUIB_DIST ${QUIB_DIST})
