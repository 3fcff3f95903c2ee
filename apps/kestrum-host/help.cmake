# Where "kestrum-host --help" finds the console's document: the installed copy, relative
# to the installed console (the install rules put it there), and the source tree's, for
# a console run from its build tree.
include(GNUInstallDirs)
file(RELATIVE_PATH KESTRUM_DOCDIR_FROM_BINDIR ${CMAKE_INSTALL_FULL_BINDIR} ${CMAKE_INSTALL_FULL_DOCDIR})
# Under Wine the build machine's root is drive Z:, so the build's paths read the same
# from any current folder of the Windows programs (the tests' paths too).
set(KESTRUM_PATH_DRIVE "")
if(WIN32 AND CMAKE_CROSSCOMPILING)
  set(KESTRUM_PATH_DRIVE "Z:")
endif()
target_compile_definitions(kestrum-host PRIVATE
  KESTRUM_INSTALLED_DOCUMENT="${KESTRUM_DOCDIR_FROM_BINDIR}/docs/console.md"
  KESTRUM_SOURCE_DOCUMENT="${KESTRUM_PATH_DRIVE}${CMAKE_SOURCE_DIR}/docs/console.md")
