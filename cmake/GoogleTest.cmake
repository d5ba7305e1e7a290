# GoogleTest from Debian's sources, built with MinGW for the test executables.
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_GMOCK ON CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
foreach(t gtest gtest_main gmock gmock_main)
  if(TARGET ${t})
    target_compile_options(${t} PRIVATE -w)
  endif()
endforeach()
include(GoogleTest)

# qx_add_test(NAME [SERIAL] SOURCES ... [LIBS ...]): one GoogleTest executable, discovered at
# test time (so discovery runs inside the same Wine session and display as the tests). SERIAL:
# its tests read pixels back from the shared display, so no other test may put a window over
# theirs meanwhile.
function(qx_add_test name)
  cmake_parse_arguments(T "SERIAL" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} gmock gtest_main)
  set(serial FALSE)
  if(T_SERIAL)
    set(serial TRUE)
  endif()
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST DISCOVERY_TIMEOUT 60
                       WORKING_DIRECTORY ${QX_BIN_DIR} PROPERTIES TIMEOUT 120 RUN_SERIAL ${serial})
endfunction()
