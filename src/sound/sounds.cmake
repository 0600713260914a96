# sounds.cmake -- reads the game's one list of sounds, src/sound/sounds.list, and makes from it
# the sound codes and the files' names that the code includes. Sets QUARZIL_SOUND_FILES, the
# files in the order of their codes, which the sound tool, the install and the manual page use.
set(sound_list ${CMAKE_CURRENT_LIST_DIR}/sounds.list)
set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${sound_list})

# Code 255 stops every sound, and the mixer reads only a code's low eight bits: at most 255 sounds.
set(sound_limit 255)

# A line is the code's name, the file's name and when the sound is heard, apart by blanks. The
# names go into C++ and paths as they are, so they keep to plain characters.
set(sound_line "^(SND_[A-Z0-9_]+)[ \t]+([A-Za-z0-9_][A-Za-z0-9_.-]*)[ \t]+(.+)$")

# CMake would join a line ending in '\' to the next one, and so would the lines between an
# unmatched '[' or ']', losing sounds without a word; in C++ a comment ending in '\' would
# swallow the next line.
file(READ ${sound_list} sound_text)
if(sound_text MATCHES "[][\\]")
    message(FATAL_ERROR "${sound_list}: '\\', '[' and ']' cannot be used in the list")
endif()
file(STRINGS ${sound_list} sound_lines)
set(QUARZIL_SOUND_FILES)
set(sound_ids)
set(sound_ids_made)
set(sound_files_made)
set(code 0)
foreach(line IN LISTS sound_lines)
    string(STRIP "${line}" line)
    if(line STREQUAL "" OR line MATCHES "^#")
        continue()
    endif()
    if(NOT line MATCHES "${sound_line}")
        message(FATAL_ERROR "${sound_list}: \"${line}\" is not a code's name (SND_...), a file's name "
                            "and when the sound is heard")
    endif()
    set(id ${CMAKE_MATCH_1})
    set(file ${CMAKE_MATCH_2})
    string(STRIP "${CMAKE_MATCH_3}" meaning)
    if(id STREQUAL "SND_STOP_ALL" OR id IN_LIST sound_ids)
        message(FATAL_ERROR "${sound_list}: ${id} is named twice, or is the stop-all code's name")
    endif()
    if(file IN_LIST QUARZIL_SOUND_FILES)
        message(FATAL_ERROR "${sound_list}: two sounds in one file, ${file}")
    endif()
    list(APPEND sound_ids ${id})
    list(APPEND QUARZIL_SOUND_FILES ${file})
    string(APPEND sound_ids_made "${id} = ${code},   // ${meaning}\n")
    string(APPEND sound_files_made "\"${file}\",   // ${id}\n")
    math(EXPR code "${code} + 1")
endforeach()
if(code EQUAL 0 OR code GREATER sound_limit)
    message(FATAL_ERROR "${sound_list} has ${code} sounds; the game takes 1 to ${sound_limit}")
endif()

# Only a list that changed rewrites these, so an unchanged list rebuilds nothing.
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/sound/sound_ids.inc CONTENT [[
// sound_ids.inc -- made by the build from src/sound/sounds.list: the sounds' codes, the body of
// SoundId in sound/sound.h
@sound_ids_made@]] @ONLY)
file(CONFIGURE OUTPUT ${CMAKE_BINARY_DIR}/generated/sound/sound_files.inc CONTENT [[
// sound_files.inc -- made by the build from src/sound/sounds.list: the file of each sound, by
// its code, as an array's elements
@sound_files_made@]] @ONLY)
