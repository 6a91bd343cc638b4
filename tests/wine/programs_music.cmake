# jukebox_host.exe: the jukebox hosted the way the scene window hosts it, for the jukebox cases.
if(TARGET music_win)
  add_executable(jukebox_host jukebox_host.cpp)
  target_link_libraries(jukebox_host PRIVATE music_win)
  add_dependencies(kvdriver jukebox_host)
endif()

# jukebox_song.mp3: a short tone as MPEG audio for the jukebox's .mp3 case, made with sox and lame
# (Debian's sox cannot write MPEG audio itself).
find_program(KELVANE_SOX sox)
find_program(KELVANE_LAME lame)
if(KELVANE_SOX AND KELVANE_LAME)
  set(jukebox_song ${CMAKE_BINARY_DIR}/jukebox_song.mp3)
  add_custom_command(OUTPUT ${jukebox_song}
    COMMAND ${KELVANE_SOX} -n -r 22050 -c 1 -b 16 ${CMAKE_CURRENT_BINARY_DIR}/jukebox_song.wav synth 0.6 sine 500
    COMMAND ${KELVANE_LAME} --quiet ${CMAKE_CURRENT_BINARY_DIR}/jukebox_song.wav ${jukebox_song}
    COMMENT "Making the jukebox's test song jukebox_song.mp3"
    VERBATIM)
  add_custom_target(jukebox_song ALL DEPENDS ${jukebox_song})
  add_dependencies(kvdriver jukebox_song)
else()
  message(WARNING "sox or lame missing (scripts/setup.sh installs them): the jukebox's .mp3 case will fail")
endif()
