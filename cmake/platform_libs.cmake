# Platform libraries of the engine's real backends (found with pkg-config).
find_package(PkgConfig REQUIRED)

# MIDI for the control surface: RtMidi (with JACK, ALSA and what they pull
# in) lives in liblumora_midi.so, which the desk loads the first time the
# surface needs ports; a desk that never talks MIDI does not map it.
pkg_check_modules(RTMIDI REQUIRED IMPORTED_TARGET rtmidi)
add_library(lumora_midi MODULE ${PROJECT_SOURCE_DIR}/platform/midi_module/rtmidi_ports.cpp)
target_include_directories(lumora_midi PRIVATE ${PROJECT_SOURCE_DIR})
target_link_libraries(lumora_midi PRIVATE PkgConfig::RTMIDI Threads::Threads)
set_target_properties(lumora_midi PROPERTIES
  PREFIX "lib"
  OUTPUT_NAME lumora_midi
  LIBRARY_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}
  CXX_VISIBILITY_PRESET hidden
  VISIBILITY_INLINES_HIDDEN ON)
target_link_options(lumora_midi PRIVATE -Wl,-soname,liblumora_midi.so.1)

# The Open DMX USB interface's real backend.
pkg_check_modules(LIBFTDI1 REQUIRED IMPORTED_TARGET libftdi1)
target_link_libraries(lumora_platform PUBLIC PkgConfig::LIBFTDI1)
include(${PROJECT_SOURCE_DIR}/output/artnet.cmake)
include(${PROJECT_SOURCE_DIR}/output/sacn.cmake)
