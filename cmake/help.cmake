# The help file, stowlark.chm, compiled from res/help by Free Pascal's chmcmd
# (which writes next to its project file, so it works on a copy) and put
# beside the plug-in. The plug-in opens it when it exists, so a build
# without chmcmd still works, with a warning; the package and the demo then
# lack the help.
find_program(CHMCMD chmcmd)
file(GLOB HELP_SOURCES CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/res/help/*)
set(HELP_FILE ${CMAKE_BINARY_DIR}/bin/stowlark.chm)
if(CHMCMD)
    set(HELP_WORK ${CMAKE_BINARY_DIR}/help)
    add_custom_command(OUTPUT ${HELP_FILE}
        COMMAND ${CMAKE_COMMAND} -E rm -rf ${HELP_WORK}
        COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/res/help ${HELP_WORK}
        COMMAND ${CMAKE_COMMAND} -E chdir ${HELP_WORK} ${CHMCMD} stowlark.hhp > ${HELP_WORK}/chmcmd.log
        COMMAND ${CMAKE_COMMAND} -E copy ${HELP_WORK}/stowlark.chm ${HELP_FILE}
        WORKING_DIRECTORY ${CMAKE_BINARY_DIR}
        DEPENDS ${HELP_SOURCES}
        COMMENT "Compiling the help file")
    add_custom_target(stowlark_help ALL DEPENDS ${HELP_FILE})
else()
    message(WARNING "chmcmd (Debian's fp-utils) not found: no help file is built")
    add_custom_target(stowlark_help)
endif()
