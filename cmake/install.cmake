# Install rules, the build tree's shared data and the Debian package.
#
# Layout under the prefix: bin/lumora (with lumora-headless and lumora-ctl);
# libexec/lumora/lumora-gui, the desk with windows; lib/libcorvex.so.1 and
# lib/libveltrack.so.1 with their headers; share/lumora/{demo,fixtures,udev}
# (found by the program relative to its own folder, so any prefix works);
# the desktop entry, icon, AppStream metadata and manual page where desktops
# and man look for them.
include(GNUInstallDirs)

set(LUMORA_DATA_SUBDIR ${CMAKE_INSTALL_DATADIR}/lumora)
set(LUMORA_PACKAGING_DIR ${PROJECT_SOURCE_DIR}/packaging)
set(LUMORA_GENERATED_DIR ${CMAKE_BINARY_DIR}/packaging)
file(GLOB LUMORA_SHIPPED_FIXTURES CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/sequences/fixtures/*.FXT)

# The build tree: the program sits at the top of it, so share/lumora beside it
# is its data folder. Links, so edits of the shipped files show at once.
file(MAKE_DIRECTORY ${CMAKE_BINARY_DIR}/share/lumora)
file(CREATE_LINK ${PROJECT_SOURCE_DIR}/project/demo ${CMAKE_BINARY_DIR}/share/lumora/demo SYMBOLIC)
file(CREATE_LINK ${PROJECT_SOURCE_DIR}/sequences/fixtures ${CMAKE_BINARY_DIR}/share/lumora/fixtures SYMBOLIC)

# Files that carry the version, and the compressed manual page and changelog
# (Debian wants both compressed, without a time stamp in the gzip header).
configure_file(${LUMORA_PACKAGING_DIR}/org.lumora.Lumora.metainfo.xml.in
               ${LUMORA_GENERATED_DIR}/org.lumora.Lumora.metainfo.xml @ONLY)
configure_file(${LUMORA_PACKAGING_DIR}/lumora.1 ${LUMORA_GENERATED_DIR}/lumora.1 @ONLY)
configure_file(${LUMORA_PACKAGING_DIR}/changelog.in ${LUMORA_GENERATED_DIR}/changelog @ONLY)
find_program(LUMORA_GZIP gzip REQUIRED)
foreach(doc lumora.1 changelog)
  add_custom_command(OUTPUT ${LUMORA_GENERATED_DIR}/${doc}.gz
    COMMAND ${LUMORA_GZIP} -9 -n -c ${LUMORA_GENERATED_DIR}/${doc} > ${LUMORA_GENERATED_DIR}/${doc}.gz
    DEPENDS ${LUMORA_GENERATED_DIR}/${doc} VERBATIM)
endforeach()
add_custom_target(lumora_docs ALL DEPENDS ${LUMORA_GENERATED_DIR}/lumora.1.gz ${LUMORA_GENERATED_DIR}/changelog.gz)

set(LUMORA_LIB_PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

install(TARGETS lumora RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The desk with windows is not a command of its own: lumora starts it.
if(TARGET lumora_windows)
  install(TARGETS lumora_windows RUNTIME DESTINATION ${CMAKE_INSTALL_LIBEXECDIR}/lumora)
endif()
# The service helpers, when this tree builds them.
foreach(tool lumora-ctl lumora-headless)
  if(TARGET ${tool})
    install(TARGETS ${tool} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  endif()
endforeach()

# The corvex library, loaded by the desk at run time as libcorvex.so.
if(TARGET corvex)
  install(TARGETS corvex LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} PERMISSIONS ${LUMORA_LIB_PERMISSIONS})
  install(FILES ${PROJECT_SOURCE_DIR}/corvex/include/corvex.h DESTINATION ${CMAKE_INSTALL_INCLUDEDIR})
endif()
# The Veltrack Scroller widget library.
if(TARGET veltrack)
  install(TARGETS veltrack LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR} PERMISSIONS ${LUMORA_LIB_PERMISSIONS})
  install(FILES ${PROJECT_SOURCE_DIR}/veltrack/scroller.h ${PROJECT_SOURCE_DIR}/veltrack/scroller_model.h
          DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/veltrack)
endif()

install(FILES ${PROJECT_SOURCE_DIR}/project/demo/demo_show.xml DESTINATION ${LUMORA_DATA_SUBDIR}/demo)
install(FILES ${LUMORA_SHIPPED_FIXTURES} DESTINATION ${LUMORA_DATA_SUBDIR}/fixtures)
# Templates an administrator enables by hand: device access and the service.
install(FILES ${LUMORA_PACKAGING_DIR}/60-lumora.rules DESTINATION ${LUMORA_DATA_SUBDIR}/udev)
if(EXISTS ${PROJECT_SOURCE_DIR}/contrib/lumora.service)
  install(FILES ${PROJECT_SOURCE_DIR}/contrib/lumora.service DESTINATION ${LUMORA_DATA_SUBDIR}/systemd)
endif()

install(FILES ${LUMORA_PACKAGING_DIR}/lumora.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${LUMORA_PACKAGING_DIR}/lumora.svg DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${LUMORA_GENERATED_DIR}/org.lumora.Lumora.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES ${LUMORA_GENERATED_DIR}/lumora.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${LUMORA_PACKAGING_DIR}/copyright ${LUMORA_GENERATED_DIR}/changelog.gz
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/lumora)
install(FILES ${LUMORA_PACKAGING_DIR}/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME lumora)

# --- the Debian package: `cpack` in the build folder (make package) ---------
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lumora)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Lumora developers")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "The Lumora developers <lumora@example.org>")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Depends from the shared libraries the programs and libraries link.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# A shlibs file and the ldconfig trigger for the two libraries (CPack also
# writes postinst/postrm scripts that call ldconfig; see lintian-overrides).
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS ON)
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS_POLICY ">=")
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA ${LUMORA_PACKAGING_DIR}/triggers)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION "DMX512 lighting control desk
Lumora controls stage lighting from a computer: 64 desk channels on
faders, 32 submixes, a patch onto the 512 slots of a DMX universe, a
playback desk of 200 cues with an A/B crossfader and timed autotakes,
33 chases of up to 32 steps and moving lights from fixture files.
.
It sends to the Open DMX USB and Corvex USB interfaces, parallel-port
adapters and Art-Net, and takes a Behringer BCF2000 MIDI surface and a
keypad command line. A headless mode with an automation console drives
the whole desk from scripts.
.
The package also holds the corvex interface library and the Veltrack
slider widget library with their headers.")
include(CPack)

# --- the package test -----------------------------------------------------
# It needs the validators `scripts/deps.sh test` installs. Without them it is
# left out with a note, unless LUMORA_REQUIRE_PACKAGING (make test) asks for
# it: then it is registered and fails, naming what is missing.
option(LUMORA_REQUIRE_PACKAGING "Register the package test even when its tools are missing" OFF)
if(LUMORA_BUILD_TESTS AND NOT LUMORA_SANITIZE)
  set(LUMORA_PACKAGING_MISSING "")
  foreach(tool lintian desktop-file-validate appstreamcli dpkg-shlibdeps file)
    string(MAKE_C_IDENTIFIER "LUMORA_TOOL_${tool}" var)
    find_program(${var} ${tool})
    if(NOT ${var})
      list(APPEND LUMORA_PACKAGING_MISSING ${tool})
    endif()
  endforeach()
  if(NOT LUMORA_PACKAGING_MISSING OR LUMORA_REQUIRE_PACKAGING)
    add_test(NAME debian_package
      COMMAND bash ${PROJECT_SOURCE_DIR}/tests/package/package_test.sh
              ${CMAKE_BINARY_DIR} ${PROJECT_SOURCE_DIR} ${PROJECT_VERSION} ${CMAKE_CPACK_COMMAND})
    set_tests_properties(debian_package PROPERTIES TIMEOUT 600)
  else()
    message(STATUS "Lumora: package test left out, missing ${LUMORA_PACKAGING_MISSING} "
                   "(scripts/deps.sh test installs them)")
  endif()
endif()
