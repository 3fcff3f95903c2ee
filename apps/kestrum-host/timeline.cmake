# The console's timeline (record, CSV, picture) as a library of its own, which the
# console, the tests and the benchmarks link. The picture is drawn by the host model's
# painter (Cairo on Linux, GDI on Windows).
# An object library, as the host model is on Windows: an archive linking it would carry a
# second copy of the host model's objects.
set(KESTRUM_TIMELINE_DIR ${CMAKE_SOURCE_DIR}/apps/kestrum-host)
add_library(kestrum-timeline OBJECT
  ${KESTRUM_TIMELINE_DIR}/timeline.cpp
  ${KESTRUM_TIMELINE_DIR}/timeline_layout.cpp
  ${KESTRUM_TIMELINE_DIR}/timeline_files.cpp
  ${KESTRUM_TIMELINE_DIR}/timeline_picture.cpp)
target_include_directories(kestrum-timeline PUBLIC ${CMAKE_SOURCE_DIR})
target_link_libraries(kestrum-timeline PUBLIC kestrum-hostsim)
target_link_libraries(kestrum-host PRIVATE kestrum-timeline)
