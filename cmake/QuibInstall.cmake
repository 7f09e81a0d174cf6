# What `cmake --install` puts where. Two parts: "runtime", what a player needs (the game,
# its libraries, sounds, desktop entry, icons, metainfo, man page, the README and the
# libraries' reference), which is also what the Debian package (debian/) holds; and "dev",
# the headers, pkg-config files, CMake package and the facade's static library.
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

# ---- Documentation -----------------------------------------------------------------------

# The README and the reference keep the source tree's layout under share/doc/quib, so the
# links between them (docs/api.md, platform/README.md, the pictures, examples/) work in the
# installed copy as they do in the sources.
set(QUIB_DOCDIR share/doc/quib)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/LICENSE
  DESTINATION ${QUIB_DOCDIR} COMPONENT runtime)
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/ DESTINATION ${QUIB_DOCDIR}/docs COMPONENT runtime
  FILES_MATCHING PATTERN "*.md" PATTERN "*.png")
install(FILES ${PROJECT_SOURCE_DIR}/platform/README.md DESTINATION ${QUIB_DOCDIR}/platform
  COMPONENT runtime)
foreach(lib disp sound)
  install(FILES ${PROJECT_SOURCE_DIR}/platform/${lib}/README.md
    DESTINATION ${QUIB_DOCDIR}/platform/${lib} COMPONENT runtime)
endforeach()
install(DIRECTORY ${PROJECT_SOURCE_DIR}/examples/ DESTINATION ${QUIB_DOCDIR}/examples
  COMPONENT runtime FILES_MATCHING PATTERN "*.c" PATTERN "*.cpp" PATTERN "*.h"
  PATTERN "CMakeLists.txt" PATTERN "*.md")
