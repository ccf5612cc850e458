# Run by CPack on its staging folder before it packs: every file and folder
# gets the time of the last commit (SOURCE_DATE_EPOCH), so that the zip, the
# installer (which stores file times) and the archives do not depend on when
# the build ran or the sources were checked out.
if(NOT DEFINED ENV{SOURCE_DATE_EPOCH})
    return()
endif()
if(NOT IS_DIRECTORY "${CPACK_TEMPORARY_DIRECTORY}")
    message(FATAL_ERROR "no staging folder to date: '${CPACK_TEMPORARY_DIRECTORY}'")
endif()
execute_process(
    COMMAND find "${CPACK_TEMPORARY_DIRECTORY}" -exec touch -h -d "@$ENV{SOURCE_DATE_EPOCH}" {} +
    COMMAND_ERROR_IS_FATAL ANY)
