# scores.cmake -- the high-score table kept through two copies on one home, signals during name
# entry and a kill during a save; included from this directory's CMakeLists.txt. Needs what the
# other end-to-end tests need, and strace.

add_test(NAME e2e_scores
         COMMAND ${QUARZIL_E2E_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/scores_test.py
                 --board-printer $<TARGET_FILE:quarzil_print_board>
                 --fixed-clock $<TARGET_FILE:quarzil_fixed_clock>)
# Alone, like the other games in a window. Each test waits for games to end by their clock
# (about a minute), with up to three copies rendering at once.
set_tests_properties(e2e_scores PROPERTIES LABELS e2e TIMEOUT 900 RUN_SERIAL TRUE)
