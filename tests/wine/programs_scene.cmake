# The scene's test host: the scene window as a child of a window of its own, built from the scene
# window's own files. Cases copy it beside a show file under the show's name.
get_property(scene_win_sources GLOBAL PROPERTY KELVANE_SCENE_WIN_SOURCES)
if(scene_win_sources)
  add_executable(scene_host scene_host.cpp ${scene_win_sources})
  target_link_libraries(scene_host PRIVATE scene_core showdata_win music_win opengl32 glu32 gdi32
                        user32 psapi)
  add_dependencies(kvdriver scene_host)
endif()
