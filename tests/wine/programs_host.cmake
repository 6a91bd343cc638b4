# Test modules of the host's Windows 9x cases: stand-ins for the platform's "PASSWORD.CPL" and
# "MPR.DLL". They are fixtures, never shipped, and are built into a folder of their own so that no
# program of the build finds them by accident; cases copy them beside a saver.
foreach(fixture password:PASSWORD:.CPL password_change:MPR:.DLL)
  string(REPLACE ":" ";" parts ${fixture})
  list(GET parts 0 source)
  list(GET parts 1 name)
  list(GET parts 2 suffix)
  add_library(host_${source}_fixture SHARED host_fixtures/${source}_module.cpp)
  set_target_properties(host_${source}_fixture PROPERTIES
    PREFIX "" OUTPUT_NAME ${name} SUFFIX ${suffix}
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/host_fixtures)
  # Plain export names on i686 too (no @4 decoration).
  target_link_options(host_${source}_fixture PRIVATE -Wl,--kill-at)
  add_dependencies(kvdriver host_${source}_fixture)
endforeach()

# The version resource check reads the saver's version through the platform.
target_link_libraries(kvdriver PRIVATE version)

add_executable(host_active_probe host_fixtures/screen_saver_active_probe.cpp)
set_target_properties(host_active_probe PROPERTIES
  RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/host_fixtures)
add_dependencies(kvdriver host_active_probe)
