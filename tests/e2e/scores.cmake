# scores.cmake -- the high-score table kept through two copies on one home, signals during name
# entry and a kill during a save; included from this directory's CMakeLists.txt. Needs what the
# other end-to-end tests need, and strace.

# Each test waits for games to end by their clock (about a minute), with up to three copies
# rendering at once.
quarzil_e2e_test(e2e_scores ${CMAKE_CURRENT_LIST_DIR}/scores_test.py 900)
