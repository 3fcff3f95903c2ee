# The console carries the demo session examples/demo.session in itself, so that the
# program runs its demo alone; the file stays the one source of the demo's text.
set(KESTRUM_DEMO_SESSION ${CMAKE_SOURCE_DIR}/examples/demo.session)
set(KESTRUM_DEMO_TEXT ${CMAKE_BINARY_DIR}/generated/demo_session.inc)
add_custom_command(
  OUTPUT ${KESTRUM_DEMO_TEXT}
  COMMAND ${CMAKE_COMMAND} -DINPUT=${KESTRUM_DEMO_SESSION} -DOUTPUT=${KESTRUM_DEMO_TEXT}
          -P ${CMAKE_SOURCE_DIR}/apps/kestrum-host/embed_text.cmake
  DEPENDS ${KESTRUM_DEMO_SESSION} ${CMAKE_SOURCE_DIR}/apps/kestrum-host/embed_text.cmake
  COMMENT "Embedding the demo session"
  VERBATIM)
target_sources(kestrum-host PRIVATE ${KESTRUM_DEMO_TEXT})
target_include_directories(kestrum-host PRIVATE ${CMAKE_BINARY_DIR}/generated ${CMAKE_SOURCE_DIR})
