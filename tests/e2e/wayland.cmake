# wayland.cmake -- the installed game on Wayland, and in every kind of display environment;
# included from this directory's CMakeLists.txt after the board printer and the fixed clock are
# defined. Both tests start Debian's sway in its headless mode and run it and the game as an
# unprivileged user; wtype types keys there and grim takes screenshots. The game is played on
# Wayland only where the test's virtual pointer can be built, from wayland-client and
# wayland-scanner (libwayland-dev); scripts/setup.sh installs all of these.

# Said on standard error by a test whose compositor cannot start, and then counted as skipped.
set(QUARZIL_NO_COMPOSITOR "the Wayland compositor cannot start")

find_package(PkgConfig QUIET)
if(PKG_CONFIG_FOUND)
    pkg_check_modules(WAYLAND_CLIENT IMPORTED_TARGET wayland-client)
endif()
find_program(WAYLAND_SCANNER wayland-scanner)

if(WAYLAND_CLIENT_FOUND AND WAYLAND_SCANNER)
    # The mouse of the Wayland test: a pointer of its own made through the compositor's
    # virtual-pointer protocol.
    set(protocol ${CMAKE_CURRENT_LIST_DIR}/virtual_pointer.xml)
    set(protocol_header ${CMAKE_CURRENT_BINARY_DIR}/virtual_pointer-client-protocol.h)
    set(protocol_code ${CMAKE_CURRENT_BINARY_DIR}/virtual_pointer-protocol.c)
    add_custom_command(OUTPUT ${protocol_header} ${protocol_code}
                       COMMAND ${WAYLAND_SCANNER} client-header ${protocol} ${protocol_header}
                       COMMAND ${WAYLAND_SCANNER} private-code ${protocol} ${protocol_code}
                       DEPENDS ${protocol} VERBATIM)
    add_executable(quarzil_virtual_pointer ${CMAKE_CURRENT_LIST_DIR}/virtual_pointer.c ${protocol_code}
                   ${protocol_header})
    target_include_directories(quarzil_virtual_pointer PRIVATE ${CMAKE_CURRENT_BINARY_DIR})
    target_link_libraries(quarzil_virtual_pointer PRIVATE PkgConfig::WAYLAND_CLIENT)

    add_test(NAME e2e_wayland
             COMMAND ${QUARZIL_E2E_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/wayland_test.py
                     --board-printer $<TARGET_FILE:quarzil_print_board>
                     --fixed-clock $<TARGET_FILE:quarzil_fixed_clock>
                     --virtual-pointer $<TARGET_FILE:quarzil_virtual_pointer>)
    set_tests_properties(e2e_wayland PROPERTIES LABELS e2e TIMEOUT 180 RUN_SERIAL TRUE
                                                SKIP_REGULAR_EXPRESSION "${QUARZIL_NO_COMPOSITOR}")
else()
    message(STATUS "The game is not played on Wayland in the tests: its virtual pointer needs "
                   "wayland-client and wayland-scanner (libwayland-dev)")
endif()

# X11, Wayland, both, a stale Wayland socket, neither: the game shows its window where there is
# a display and fails with its message where there is none. Rows that need the compositor are
# skipped where it cannot start; the others always run.
add_test(NAME e2e_display_environments
         COMMAND ${QUARZIL_E2E_PYTHON} ${CMAKE_CURRENT_LIST_DIR}/display_environment_test.py)
set_tests_properties(e2e_display_environments PROPERTIES LABELS e2e TIMEOUT 240 RUN_SERIAL TRUE)
