# The package a user installs from: build/dist with the plug-in, its help and
# the install text, and the same as build/stowlark-<version>.zip.
file(READ ${CMAKE_SOURCE_DIR}/res/version.h VERSION_HEADER)
string(REGEX MATCH "STOWLARK_VERSION_NUMBERS ([0-9]+), ([0-9]+), ([0-9]+)" _ "${VERSION_HEADER}")
set(STOWLARK_VERSION "${CMAKE_MATCH_1}.${CMAKE_MATCH_2}.${CMAKE_MATCH_3}")

set(DIST_DIR ${CMAKE_BINARY_DIR}/dist)
set(DIST_ZIP ${CMAKE_BINARY_DIR}/stowlark-${STOWLARK_VERSION}.zip)
# Written for Windows readers, with CR LF.
configure_file(${CMAKE_SOURCE_DIR}/res/install.txt ${CMAKE_BINARY_DIR}/INSTALL.txt @ONLY
    NEWLINE_STYLE CRLF)
set(DIST_FILES $<TARGET_FILE:stowlark> ${CMAKE_BINARY_DIR}/INSTALL.txt)
if(CHMCMD)
    list(APPEND DIST_FILES ${HELP_FILE})
endif()
add_custom_command(OUTPUT ${DIST_ZIP}
    COMMAND ${CMAKE_COMMAND} -E rm -rf ${DIST_DIR}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${DIST_DIR}
    COMMAND ${CMAKE_COMMAND} -E copy $<TARGET_FILE:stowlark> ${DIST_DIR}/stowlark.dll
    # The build keeps its debug information; the user's copy does not need it.
    COMMAND ${CMAKE_STRIP} --strip-debug ${DIST_DIR}/stowlark.dll
    COMMAND ${CMAKE_COMMAND} -E copy ${CMAKE_BINARY_DIR}/INSTALL.txt ${DIST_DIR}/INSTALL.txt
    COMMAND ${CMAKE_COMMAND} -E $<IF:$<BOOL:${CHMCMD}>,copy,true> ${HELP_FILE} ${DIST_DIR}
    COMMAND ${CMAKE_COMMAND} -E chdir ${DIST_DIR}
        ${CMAKE_COMMAND} -E tar cf ${DIST_ZIP} --format=zip .
    DEPENDS ${DIST_FILES}
    COMMENT "Packing ${DIST_ZIP}")
add_custom_target(dist ALL DEPENDS ${DIST_ZIP})
