# Run by CPack after it has zipped the browser build's page. CPack adds the
# staged files in the order the file system lists them, and that order is the
# file system's own (ext4 hashes names with a seed of each file system, tmpfs
# lists the newest first), so the same files gave different zips on different
# machines. The zip is written again from the staging folder with its files
# sorted by name.
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(NOT package MATCHES "\\.zip$")
        continue()
    endif()
    if(NOT IS_DIRECTORY "${CPACK_TEMPORARY_DIRECTORY}")
        message(FATAL_ERROR "no staging folder to zip again: '${CPACK_TEMPORARY_DIRECTORY}'")
    endif()
    # The zip's paths are relative to the folder that holds the top folder.
    if(CPACK_INCLUDE_TOPLEVEL_DIRECTORY)
        cmake_path(GET CPACK_TEMPORARY_DIRECTORY PARENT_PATH root)
    else()
        set(root "${CPACK_TEMPORARY_DIRECTORY}")
    endif()
    file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${root}" "${CPACK_TEMPORARY_DIRECTORY}/*")
    list(SORT files)
    # With SOURCE_DATE_EPOCH set, CMake stores it as every file's time, the
    # access and change times included (--mtime would set the first only).
    file(REMOVE "${package}")
    execute_process(COMMAND "${CMAKE_COMMAND}" -E tar cf "${package}" --format=zip -- ${files}
                    WORKING_DIRECTORY "${root}" COMMAND_ERROR_IS_FATAL ANY)
endforeach()
