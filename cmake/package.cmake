# Packages of what the install rules install, made by `cpack` in the build folder: a .deb
# on Linux (amd64, or i386 for a 32-bit build), a .zip on Windows.
set(CPACK_PACKAGE_NAME kestrum)
set(CPACK_PACKAGE_VENDOR "The Kestrum developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Memory Manager tool module, with a console that hosts it")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "A tool module that a host application loads into its process: it measures the memory "
    "held by the host's images, undo history and 3-D geometry, frees image memory when their "
    "total reaches a budget, and shows the figures in a small panel. kestrum-host loads the "
    "module and drives it through sessions of host actions, with a built-in demo.")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/LICENSE)
set(CPACK_STRIP_FILES ON)
set(KESTRUM_PACKAGE_MAINTAINER "The Kestrum developers <kestrum@localhost>"
    CACHE STRING "Maintainer named in the packages")

if(WIN32)
  set(CPACK_GENERATOR ZIP)
else()
  set(CPACK_GENERATOR DEB)
  set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)  # kestrum_VERSION_ARCH.deb
  set(CPACK_DEBIAN_PACKAGE_MAINTAINER ${KESTRUM_PACKAGE_MAINTAINER})
  set(CPACK_DEBIAN_PACKAGE_SECTION utils)
  if(CMAKE_SIZEOF_VOID_P EQUAL 4)
    set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE i386)  # dpkg would name the build machine's
  endif()
  # The libraries' packages from what the files link; the console's own libraries are
  # found in the package itself. The host model draws the panel's texts with a font.
  set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core")
endif()
include(CPack)
