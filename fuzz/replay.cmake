# Every seed corpus replayed through its fuzz target's entry function (fuzz/replay.cpp,
# no libFuzzer needed), as the ctest test fuzz.TARGET of every build: the fuzz targets'
# findings stay fixed on every target, and planted faults meet them too.
foreach(target ${KESTRUM_FUZZ_TARGETS})
  set(program fuzz-replay-${target})
  add_executable(${program} ${CMAKE_SOURCE_DIR}/fuzz/fuzz_${target}.cpp ${CMAKE_SOURCE_DIR}/fuzz/harness.cpp
                            ${CMAKE_SOURCE_DIR}/fuzz/replay.cpp)
  target_link_libraries(${program} PRIVATE kestrum-hostsim)
  target_include_directories(${program} PRIVATE ${PROJECT_SOURCE_DIR})
  target_compile_definitions(${program} PRIVATE KESTRUM_MODULE_PATH="${KESTRUM_PATH_DRIVE}$<TARGET_FILE:kestrum>")
  add_dependencies(${program} kestrum kestrum-cudart-sim)
  if(WIN32)
    # A host image, as the test program is.
    kestrum_windows_host_image(${program} ${CMAKE_BINARY_DIR}/bin/fuzz-replay/${target})
  endif()
  add_test(NAME fuzz.${target} COMMAND ${program} ${KESTRUM_PATH_DRIVE}${CMAKE_SOURCE_DIR}/fuzz/corpus/${target})
endforeach()
