# check_version.cmake -- fails unless the metainfo's newest release and the Debian changelog's
# newest entry both name the project's version.
#
#     cmake -DVERSION=X -DMETAINFO=FILE -DCHANGELOG=FILE -P check_version.cmake

# The metainfo lists its releases newest first; the changelog's first line is its newest entry,
# "quarzil (VERSION) DISTRIBUTION; urgency=...".
file(READ "${METAINFO}" metainfo)
string(REGEX MATCH "<release version=\"([^\"]*)\"" found "${metainfo}")
set(metainfo_version "${CMAKE_MATCH_1}")
file(STRINGS "${CHANGELOG}" first_line LIMIT_COUNT 1)
string(REGEX MATCH "^quarzil \\(([^)]*)\\)" found "${first_line}")
set(changelog_version "${CMAKE_MATCH_1}")

set(failures)
if(NOT metainfo_version STREQUAL VERSION)
    list(APPEND failures "the metainfo's newest release: expected ${VERSION}, got '${metainfo_version}'")
endif()
if(NOT changelog_version STREQUAL VERSION)
    list(APPEND failures "the Debian changelog's newest entry: expected ${VERSION}, got '${changelog_version}'")
endif()
if(failures)
    list(JOIN failures "\n" message)
    message(FATAL_ERROR "${message}")
endif()
