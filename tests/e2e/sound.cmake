# The sounds heard as a person would: the installed game under Xvfb with SDL's disk audio driver
# as its sound card, the installed sound files found in what it recorded. Included from this
# directory's CMakeLists.txt after the board printer and the fixed clock are defined.

# Finds the sound files in a recording by normalised cross-correlation.
add_executable(quarzil_sound_match ${CMAKE_CURRENT_LIST_DIR}/sound_match.cpp)
target_compile_options(quarzil_sound_match PRIVATE -O2)
target_include_directories(quarzil_sound_match PRIVATE ${CMAKE_SOURCE_DIR}/tools)

# Alone, nothing competes with the game's audio thread either; the three games take about 12 s.
quarzil_e2e_test(e2e_sound ${CMAKE_CURRENT_LIST_DIR}/sound_test.py 120
                 --sound-matcher $<TARGET_FILE:quarzil_sound_match>)
