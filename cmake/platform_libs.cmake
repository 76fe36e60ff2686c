# Platform libraries of the engine's real backends (found with pkg-config).
find_package(PkgConfig REQUIRED)

# MIDI for the control surface.
pkg_check_modules(RTMIDI REQUIRED IMPORTED_TARGET rtmidi)
target_link_libraries(lumora_platform PUBLIC PkgConfig::RTMIDI)

# The Open DMX USB interface's real backend.
pkg_check_modules(LIBFTDI1 REQUIRED IMPORTED_TARGET libftdi1)
target_link_libraries(lumora_platform PUBLIC PkgConfig::LIBFTDI1)
include(${PROJECT_SOURCE_DIR}/output/artnet.cmake)
