# The sounds heard as a person would: the installed game under Xvfb with SDL's disk audio driver
# as its sound card, the installed sound files found in what it recorded. Included from this
# directory's CMakeLists.txt after the board printer and the fixed clock are defined.

# Finds the sound files in a recording by normalised cross-correlation.
add_executable(quarzil_sound_match ${CMAKE_CURRENT_LIST_DIR}/sound_match.cpp)
target_compile_options(quarzil_sound_match PRIVATE -O2)
target_include_directories(quarzil_sound_match PRIVATE ${CMAKE_SOURCE_DIR}/tools)

add_test(NAME e2e_sound
         COMMAND ${QUARZIL_E2E_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/sound_test.py
                 --board-printer $<TARGET_FILE:quarzil_print_board>
                 --fixed-clock $<TARGET_FILE:quarzil_fixed_clock>
                 --sound-matcher $<TARGET_FILE:quarzil_sound_match>)
# Alone, so that nothing competes for the two cores with the game's software rendering and its
# audio thread; the three games take about 12 s.
set_tests_properties(e2e_sound PROPERTIES LABELS e2e TIMEOUT 120 RUN_SERIAL TRUE)
