# hostile.cmake -- the installed game started in hostile surroundings, and played for a long time;
# included from this directory's CMakeLists.txt. Both need what the other end-to-end tests need,
# and nm; the hostile cases that mount things need root (CI has it) and skip without.

# Seconds of play in the soak: about a minute in every test run; configure a longer one with
# -DQUARZIL_SOAK_SECONDS=600.
set(QUARZIL_SOAK_SECONDS 75 CACHE STRING "Seconds the soak test plays the game")
math(EXPR soak_timeout "${QUARZIL_SOAK_SECONDS} + 180")

add_test(NAME e2e_hostile COMMAND ${QUARZIL_E2E_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/hostile_test.py)
add_test(NAME e2e_soak
         COMMAND ${QUARZIL_E2E_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/soak_test.py --seconds ${QUARZIL_SOAK_SECONDS})
# Alone, like the other games in a window: nothing else may compete for the cores while the game
# renders in software and the soak counts its ticks against the wall clock.
set_tests_properties(e2e_hostile PROPERTIES LABELS e2e TIMEOUT 300 RUN_SERIAL TRUE)
set_tests_properties(e2e_soak PROPERTIES LABELS e2e TIMEOUT ${soak_timeout} RUN_SERIAL TRUE)
