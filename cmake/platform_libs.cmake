# Platform libraries of the engine's real backends (found with pkg-config).
find_package(PkgConfig REQUIRED)
include(${PROJECT_SOURCE_DIR}/output/artnet.cmake)
