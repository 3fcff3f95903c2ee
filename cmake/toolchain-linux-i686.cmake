# A 32-bit (i686) build on an x86-64 Linux machine, with the compilers' multilib support
# and Debian's i386 development packages installed beside the amd64 ones. The programs run
# natively, so this is not a cross build: CMAKE_SYSTEM_NAME stays unset.
set(CMAKE_C_COMPILER gcc)
set(CMAKE_CXX_COMPILER g++)
# SSE2 arithmetic instead of the x87 unit, whose excess precision would change results
# computed in single precision (the bar's shades).
set(CMAKE_C_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-m32 -msse2 -mfpmath=sse")
foreach(kind EXE SHARED MODULE)
  set(CMAKE_${kind}_LINKER_FLAGS_INIT "-m32")
endforeach()

# Libraries and CMake packages (GTest, PNG) from the i386 folders, pkg-config files
# (cairo, fontconfig) from the i386 ones and the architecture-independent one only.
set(CMAKE_LIBRARY_ARCHITECTURE i386-linux-gnu)
set(ENV{PKG_CONFIG_LIBDIR} "/usr/lib/i386-linux-gnu/pkgconfig:/usr/share/pkgconfig")
set(ENV{PKG_CONFIG_PATH} "")
