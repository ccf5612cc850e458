# Run by CPack for every generator, before it packs (no package files yet)
# and after (CPACK_PACKAGE_FILES names them). CPack lists the staged
# files in the order the file system gives them, and that order is the file
# system's own (ext4 hashes names with a seed of each file system, tmpfs lists
# the newest first), so the same files gave different packages on different
# disks. Every package is made to hold its files sorted by name instead; the
# .deb also had its Installed-Size from the folders' sizes on disk (4 KB each
# on ext4, a few bytes on tmpfs).
# Times come from SOURCE_DATE_EPOCH when set (scripts/package sets it), else
# from the staged files.
if(NOT IS_DIRECTORY "${CPACK_TEMPORARY_DIRECTORY}")
    message(FATAL_ERROR "no staging folder: '${CPACK_TEMPORARY_DIRECTORY}'")
endif()
set(staged "${CPACK_TEMPORARY_DIRECTORY}")
# Archives hold paths relative to the folder above the top folder.
if(CPACK_INCLUDE_TOPLEVEL_DIRECTORY)
    cmake_path(GET staged PARENT_PATH root)
else()
    set(root "${staged}")
endif()

if(NOT DEFINED CPACK_PACKAGE_FILES)
    if(NOT CPACK_GENERATOR STREQUAL "NSIS")
        return()
    endif()
    # The installer: CPack's default packs the folder with makensis's File /r,
    # which walks it in the file system's order, and deletes the files on
    # uninstall in CPack's order. Both are spelt out here, sorted.
    file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${staged}" "${staged}/*")
    file(GLOB_RECURSE dirs LIST_DIRECTORIES true RELATIVE "${staged}" "${staged}/*")
    list(REMOVE_ITEM dirs ${files})
    list(SORT files)
    list(SORT dirs)
    set(install "")
    set(delete "")
    foreach(dir IN ITEMS "" ${dirs})
        string(REPLACE "/" "\\" windir "${dir}")
        set(here "")
        foreach(file IN LISTS files)
            cmake_path(GET file PARENT_PATH parent)
            if(parent STREQUAL dir)
                string(REPLACE "/" "\\" winfile "${file}")
                string(APPEND here "  File \"\${INST_DIR}\\${winfile}\"\n")
                string(APPEND delete "  Delete \"\$INSTDIR\\${winfile}\"\n")
            endif()
        endforeach()
        if(dir STREQUAL "")
            string(APPEND install "  SetOutPath \"\$INSTDIR\"\n${here}")
        else()
            string(APPEND install "  SetOutPath \"\$INSTDIR\\${windir}\"\n${here}")
        endif()
    endforeach()
    string(APPEND install "  SetOutPath \"\$INSTDIR\"\n")
    # CPack's template indents the first line already.
    string(REGEX REPLACE "^ +" "" install "${install}")
    # Folders go innermost first: a folder is removed only once empty.
    set(rmdirs "")
    list(REVERSE dirs)
    foreach(dir IN LISTS dirs)
        string(REPLACE "/" "\\" windir "${dir}")
        string(APPEND rmdirs "  RMDir \"\$INSTDIR\\${windir}\"\n")
    endforeach()
    set(CPACK_NSIS_FULL_INSTALL "${install}")
    set(CPACK_NSIS_DELETE_FILES "${delete}")
    set(CPACK_NSIS_DELETE_DIRECTORIES "${rmdirs}")
    return()
endif()

find_program(dpkg_deb dpkg-deb)
foreach(package IN LISTS CPACK_PACKAGE_FILES)
    if(package MATCHES "\\.zip$")
        # Files only, sorted; with SOURCE_DATE_EPOCH set, CMake stores it as
        # every file's time, the access and change times included.
        file(GLOB_RECURSE files LIST_DIRECTORIES false RELATIVE "${root}" "${staged}/*")
        list(SORT files)
        file(REMOVE "${package}")
        execute_process(COMMAND "${CMAKE_COMMAND}" -E tar cf "${package}" --format=zip -- ${files}
                        WORKING_DIRECTORY "${root}" COMMAND_ERROR_IS_FATAL ANY)
    elseif(package MATCHES "\\.tar\\.gz$")
        # GNU tar sorts the folders' entries itself and, unlike CMake's tar,
        # keeps the folders as entries of their own. Owners are root, as in
        # any tarball of an install; gzip -n stores no name or time.
        set(tar_options --sort=name --format=gnu --owner=root:0 --group=root:0)
        if(DEFINED ENV{SOURCE_DATE_EPOCH})
            list(APPEND tar_options "--mtime=@$ENV{SOURCE_DATE_EPOCH}")
        endif()
        file(GLOB top LIST_DIRECTORIES true RELATIVE "${root}" "${root}/*")
        list(SORT top)
        file(REMOVE "${package}")
        execute_process(COMMAND tar -c ${tar_options} -f - -- ${top}
                        COMMAND gzip -9 -n
                        WORKING_DIRECTORY "${root}" OUTPUT_FILE "${package}"
                        COMMAND_ERROR_IS_FATAL ANY)
    elseif(package MATCHES "\\.deb$" AND NOT dpkg_deb)
        message(WARNING "no dpkg-deb: ${package} keeps CPack's Installed-Size, which depends on the file system")
    elseif(package MATCHES "\\.deb$")
        # CPack's data.tar is sorted already; its Installed-Size is not
        # comparable across disks. dpkg-deb builds the package again from its
        # own unpacking (sorted, times clamped to SOURCE_DATE_EPOCH) with the
        # size counted as dpkg counts it: each file's KB rounded up, and one
        # for every folder.
        set(tree "${package}.tree")
        file(REMOVE_RECURSE "${tree}")
        execute_process(COMMAND "${dpkg_deb}" -R "${package}" "${tree}" COMMAND_ERROR_IS_FATAL ANY)
        file(GLOB_RECURSE all LIST_DIRECTORIES true "${tree}/*")
        set(kb 0)
        foreach(path IN LISTS all)
            if(path MATCHES "/DEBIAN(/|$)")
                continue()
            endif()
            if(IS_DIRECTORY "${path}" OR IS_SYMLINK "${path}")
                math(EXPR kb "${kb} + 1")
            else()
                file(SIZE "${path}" size)
                math(EXPR kb "${kb} + (${size} + 1023) / 1024")
            endif()
        endforeach()
        file(READ "${tree}/DEBIAN/control" control)
        string(REGEX REPLACE "\nInstalled-Size: [0-9]+\n" "\nInstalled-Size: ${kb}\n" control "${control}")
        if(NOT control MATCHES "\nInstalled-Size: ${kb}\n")
            message(FATAL_ERROR "${package}: no Installed-Size in its control file to count again")
        endif()
        file(WRITE "${tree}/DEBIAN/control" "${control}")
        file(REMOVE "${package}")
        execute_process(COMMAND "${dpkg_deb}" --root-owner-group -Zgzip -z9 --build "${tree}" "${package}"
                        OUTPUT_QUIET COMMAND_ERROR_IS_FATAL ANY)
        file(REMOVE_RECURSE "${tree}")
    endif()
endforeach()
