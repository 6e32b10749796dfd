# SQLite is generated from Debian's source package into a cache outside the
# build tree (git ignores it), so a fresh build directory costs nothing more.
set(SQLITE_CACHE_DIR "${CMAKE_SOURCE_DIR}/.cache/sqlite" CACHE PATH
    "Where the generated SQLite amalgamation is kept")

if(NOT EXISTS "${SQLITE_CACHE_DIR}/sqlite3.c" OR NOT EXISTS "${SQLITE_CACHE_DIR}/sqlite3.h"
   OR NOT EXISTS "${SQLITE_CACHE_DIR}/shell.c")
    message(STATUS "Generating the SQLite amalgamation in ${SQLITE_CACHE_DIR}")
    execute_process(
        COMMAND bash "${CMAKE_SOURCE_DIR}/scripts/make-sqlite-amalgamation.sh" "${SQLITE_CACHE_DIR}"
        RESULT_VARIABLE sqlite_result)
    if(NOT sqlite_result EQUAL 0)
        message(FATAL_ERROR "Could not generate the SQLite amalgamation; "
                            "run scripts/install-deps.sh as root first")
    endif()
endif()

add_library(sqlite3 STATIC "${SQLITE_CACHE_DIR}/sqlite3.c")
target_include_directories(sqlite3 SYSTEM PUBLIC "${SQLITE_CACHE_DIR}")
# Under Wine a read or write given its offset in an OVERLAPPED structure is a
# round trip to the Wine server, some forty times the cost of moving the file
# pointer and reading; on Windows the extra call costs next to nothing. A
# file is only ever used under its connection's lock, so the shared pointer
# is safe. FTS5 keeps the full-text index beside each archive.
target_compile_definitions(sqlite3 PUBLIC
    SQLITE_ENABLE_FTS5
    SQLITE_WIN32_NO_OVERLAPPED
    SQLITE_THREADSAFE=1
    SQLITE_OMIT_LOAD_EXTENSION
    SQLITE_DQS=0)
set_target_properties(sqlite3 PROPERTIES C_STANDARD 99)
