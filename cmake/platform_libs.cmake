# Platform libraries of the engine's real backends (found with pkg-config).
find_package(PkgConfig REQUIRED)
pkg_check_modules(RTMIDI REQUIRED IMPORTED_TARGET rtmidi)
target_link_libraries(lumora_engine PUBLIC PkgConfig::RTMIDI)
