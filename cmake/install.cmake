# What `cmake --install` puts where, relative to the prefix:
#   bin/kestrum-host                          the console
#   lib/kestrum/kestrum.so                    the module, where the console looks for it
#   lib/kestrum/libkestrum-hostsim.so         the host model and the simulated CUDA runtime
#   lib/kestrum/libkestrum-cudart-sim.so        that the console needs at run time
#   share/doc/kestrum/                        README.md, LICENSE, docs/console.md and the
#                                             panel's and timelines' pictures, examples/
# The libraries are the console's own, not for other programs, so they stay out of the
# linker's search path; the console finds them through its RPATH. On Windows the module
# lies beside the console in bin/ (the host model is compiled into the console), and the
# simulated runtime, which bears the CUDA runtime's own name there, in bin/cudasim/,
# where no search for a CUDA runtime looks. Nothing of the tests, benchmarks or fuzzers
# is installed.
include(GNUInstallDirs)
if(WIN32)
  set(KESTRUM_INSTALL_MODULEDIR ${CMAKE_INSTALL_BINDIR})
  set(KESTRUM_INSTALL_FULL_MODULEDIR ${CMAKE_INSTALL_FULL_BINDIR})
else()
  set(KESTRUM_INSTALL_MODULEDIR ${CMAKE_INSTALL_LIBDIR}/kestrum)
  set(KESTRUM_INSTALL_FULL_MODULEDIR ${CMAKE_INSTALL_FULL_LIBDIR}/kestrum)
endif()
file(RELATIVE_PATH KESTRUM_MODULEDIR_FROM_BINDIR ${CMAKE_INSTALL_FULL_BINDIR} ${KESTRUM_INSTALL_FULL_MODULEDIR})
if(KESTRUM_MODULEDIR_FROM_BINDIR)
  string(APPEND KESTRUM_MODULEDIR_FROM_BINDIR "/")
endif()

install(TARGETS kestrum-host RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
set_target_properties(kestrum-host PROPERTIES INSTALL_RPATH "\$ORIGIN/${KESTRUM_MODULEDIR_FROM_BINDIR}")
# Windows import libraries are left out: nothing links against these libraries.
install(TARGETS kestrum kestrum-hostsim
        LIBRARY DESTINATION ${KESTRUM_INSTALL_MODULEDIR}
        RUNTIME DESTINATION ${KESTRUM_INSTALL_MODULEDIR}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} EXCLUDE_FROM_ALL)
install(TARGETS kestrum-cudart-sim
        LIBRARY DESTINATION ${KESTRUM_INSTALL_MODULEDIR}/${KESTRUM_CUDASIM_FOLDER}
        RUNTIME DESTINATION ${KESTRUM_INSTALL_MODULEDIR}/${KESTRUM_CUDASIM_FOLDER}
        ARCHIVE DESTINATION ${CMAKE_INSTALL_LIBDIR} EXCLUDE_FROM_ALL)
# The console looks for the module beside itself (a build tree), then here.
target_compile_definitions(kestrum-hostsim PRIVATE
  KESTRUM_INSTALLED_MODULE="${KESTRUM_MODULEDIR_FROM_BINDIR}$<TARGET_FILE_NAME:kestrum>")

# The README's links to docs/ and examples/ hold in the installed folder too.
install(FILES README.md LICENSE DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES docs/console.md docs/panel.png docs/panel-windows.png docs/panel-map.png docs/panel-map-no-gpu.png
              docs/timeline.png docs/timeline-no-module.png
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)
install(DIRECTORY examples DESTINATION ${CMAKE_INSTALL_DOCDIR})
