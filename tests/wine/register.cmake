# Registers the Wine end-to-end groups (tests/wine/cases/*.cpp) as ctest tests of the native build,
# so that one ctest runs everything: label "unit" for the native tests, "wine" for these. Each runs
# the win64 test driver through scripts/wine-run.sh, which uses the Wine session that the test
# command started, or starts one of its own.
set(KELVANE_WIN64_DIR "${CMAKE_SOURCE_DIR}/build/win64" CACHE PATH "The win64 build whose test driver the Wine tests run")
file(GLOB KELVANE_WINE_GROUPS CONFIGURE_DEPENDS ${CMAKE_CURRENT_LIST_DIR}/cases/*.cpp)
foreach(group_file ${KELVANE_WINE_GROUPS})
  get_filename_component(group ${group_file} NAME_WE)
  add_test(NAME wine.${group}
           COMMAND ${CMAKE_SOURCE_DIR}/scripts/wine-run.sh ${KELVANE_WIN64_DIR}/kvdriver.exe ${group})
  set_tests_properties(wine.${group} PROPERTIES LABELS wine TIMEOUT 300 RESOURCE_LOCK display)
endforeach()

# The Windows programs of both builds import only system DLLs and have the right machine type.
foreach(build win64:x86-64 win32:i386)
  string(REPLACE ":" ";" parts ${build})
  list(GET parts 0 name)
  list(GET parts 1 arch)
  add_test(NAME static.${name}_imports
           COMMAND ${CMAKE_SOURCE_DIR}/scripts/check-imports.sh ${CMAKE_SOURCE_DIR}/build/${name} ${arch})
  set_tests_properties(static.${name}_imports PROPERTIES LABELS static)
endforeach()
