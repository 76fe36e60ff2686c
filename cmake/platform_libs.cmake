# Platform libraries of the engine's real backends (found with pkg-config).
find_package(PkgConfig REQUIRED)
