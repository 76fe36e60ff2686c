# Platform libraries of the engine's real backends (found with pkg-config).
find_package(PkgConfig REQUIRED)

# MIDI for the control surface: RtMidi (with ALSA and JACK) in a module of
# its own, liblumora_midi.so, loaded when the surface first wants its ports.
# Built beside the programs, where the desk looks first; installed in the
# program's library folder.
pkg_check_modules(RTMIDI REQUIRED IMPORTED_TARGET rtmidi)
add_library(lumora_midi MODULE ${PROJECT_SOURCE_DIR}/platform/rtmidi/midi_rtmidi.cpp)
target_include_directories(lumora_midi PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(lumora_midi PRIVATE PkgConfig::RTMIDI)
set_target_properties(lumora_midi PROPERTIES
  PREFIX "lib"
  OUTPUT_NAME lumora_midi
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON)
target_link_options(lumora_midi PRIVATE -Wl,-soname,liblumora_midi.so.1)
add_dependencies(lumora_midi lumora_layers)
set_source_files_properties(${PROJECT_SOURCE_DIR}/platform/midi_module.cpp PROPERTIES COMPILE_DEFINITIONS
  "LUMORA_MIDI_MODULE_FILE=\"liblumora_midi.so\";LUMORA_MIDI_MODULE_DIR=\"${CMAKE_INSTALL_FULL_LIBDIR}/lumora\"")
add_dependencies(lumora_platform lumora_midi)
install(TARGETS lumora_midi LIBRARY DESTINATION ${CMAKE_INSTALL_LIBDIR}/lumora
        PERMISSIONS OWNER_READ OWNER_WRITE GROUP_READ WORLD_READ)

# The Open DMX USB interface's real backend.
pkg_check_modules(LIBFTDI1 REQUIRED IMPORTED_TARGET libftdi1)
target_link_libraries(lumora_platform PUBLIC PkgConfig::LIBFTDI1)
include(${PROJECT_SOURCE_DIR}/output/artnet.cmake)
include(${PROJECT_SOURCE_DIR}/output/sacn.cmake)
