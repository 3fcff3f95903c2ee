# The project's version, set once by project() in the top-level CMakeLists.txt, in what
# is built. The console prints it with --version.
target_compile_definitions(kestrum-host PRIVATE KESTRUM_VERSION="${PROJECT_VERSION}")

# On Linux the module gets no SONAME and no versioned file name (kestrum.so.1.0.0 with
# links): a host loads it by its path with dlopen and nothing links against it, so a
# SONAME would have no reader, and the extra names only files a host does not look for.
# Its version is the package's, and --version shows it beside the module's own texts.

# On Windows the DLL carries the version as file version information.
if(WIN32)
  enable_language(RC)
  configure_file(${PROJECT_SOURCE_DIR}/module/plugin/kestrum.rc.in ${CMAKE_BINARY_DIR}/generated/kestrum.rc @ONLY)
  target_sources(kestrum PRIVATE ${CMAKE_BINARY_DIR}/generated/kestrum.rc)
endif()
