# record_folders.cmake -- the first step of every install: writes down which folders the install
# is about to make, so that an uninstall removes those and leaves every other folder alone.
#
# Set by the build's install_folders.cmake, which includes this script: quarzil_install_folders,
# the folders the install rules put files into (relative to the prefix, or absolute), and
# quarzil_build_dir. The record lies beside CMake's list of installed files and is named like
# it: install_folders.txt, or install_folders_COMPONENT.txt for the install of one component.
# It holds one absolute folder a line, DESTDIR included, deepest first: each destination and each
# folder above it, up to the prefix but not the prefix itself, that does not exist yet.
#
# Installing again over an install keeps what the earlier record says for the same prefix: those
# folders exist by now, yet the first install made them.

set(prefix "$ENV{DESTDIR}${CMAKE_INSTALL_PREFIX}")
if(CMAKE_INSTALL_COMPONENT)
    set(record "${quarzil_build_dir}/install_folders_${CMAKE_INSTALL_COMPONENT}.txt")
else()
    set(record "${quarzil_build_dir}/install_folders.txt")
endif()

set(made)
if(EXISTS "${record}")
    file(STRINGS "${record}" earlier)
    foreach(folder IN LISTS earlier)
        string(FIND "${folder}" "${prefix}/" at)
        if(at EQUAL 0)
            list(APPEND made "${folder}")
        endif()
    endforeach()
endif()

foreach(destination IN LISTS quarzil_install_folders)
    if(IS_ABSOLUTE "${destination}")
        set(folder "$ENV{DESTDIR}${destination}")
    else()
        set(folder "${prefix}/${destination}")
    endif()
    cmake_path(NORMAL_PATH folder)
    string(REGEX REPLACE "/$" "" folder "${folder}")
    # Up from the destination while the folder is missing and still below the prefix.
    while(NOT EXISTS "${folder}")
        string(FIND "${folder}" "${prefix}/" at)
        if(NOT at EQUAL 0)
            break()
        endif()
        list(APPEND made "${folder}")
        cmake_path(GET folder PARENT_PATH folder)
    endwhile()
endforeach()

# A folder sorts after every folder above it, so the reverse order puts the deepest first.
list(REMOVE_DUPLICATES made)
list(SORT made ORDER DESCENDING)
list(JOIN made "\n" lines)
if(lines)
    string(APPEND lines "\n")
endif()
file(WRITE "${record}" "${lines}")
