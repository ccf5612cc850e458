# Packages with CPack: a .deb and a tarball from the Linux build, a zip and an
# NSIS installer from the Windows build, a zip of the page from the browser
# build. scripts/package makes them all.
set(CPACK_PACKAGE_NAME veltrane)
set(CPACK_PACKAGE_VENDOR "Tarvosk")
set(CPACK_PACKAGE_CONTACT "Tarvosk <tarvosk@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "epidemic game in one OpenGL window")
# Wrapped by hand: Debian wants the long description in lines under 80.
string(JOIN "\n" CPACK_PACKAGE_DESCRIPTION
    "Persons wander a black field and bounce off its edges. A few seconds into"
    "each level one of them falls ill, and the disease spreads to everyone who"
    "touches an ill person. The left mouse button quarantines the persons under"
    "the cursor, the right one infects them. When an outbreak has burnt out and"
    "healthy persons are left, the next level starts with a fifth more of them;"
    "when nobody healthy is left, the game is over.")
set(CPACK_PACKAGE_HOMEPAGE_URL ${PROJECT_HOMEPAGE_URL})
set(CPACK_PACKAGE_INSTALL_DIRECTORY "Veltrane Game")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_RESOURCE_FILE_README ${PROJECT_SOURCE_DIR}/README.md)
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_GENERATOR TGZ)
set(CPACK_SOURCE_IGNORE_FILES "/build/" "/dist/" "/\\\\.git/")
# Byte for byte the same packages from the same commit: CPack's archives take
# their times from SOURCE_DATE_EPOCH (scripts/package sets it), and this dates
# the staged files for the generators that read the files' own times.
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/VeltraneStagingTimes.cmake
                             ${CMAKE_CURRENT_LIST_DIR}/VeltranePackageOrder.cmake)
# And the same order of files on any file system: every package lists them
# sorted by name, whatever order the disk keeps them in.
set(CPACK_POST_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/VeltranePackageOrder.cmake)

if(EMSCRIPTEN)
    # The page in one folder of the version's name, ready for any static
    # file server; nothing in it is a native program to strip.
    set(CPACK_GENERATOR ZIP)
    set(CPACK_PACKAGE_FILE_NAME veltrane-${PROJECT_VERSION}-web)
    set(CPACK_STRIP_FILES OFF)
elseif(WIN32)
    set(CPACK_GENERATOR ZIP NSIS)
    set(CPACK_PACKAGE_FILE_NAME veltrane-${PROJECT_VERSION}-windows-x86_64)
    # Start-menu entry: the program and its caption-like name.
    set(CPACK_PACKAGE_EXECUTABLES veltrane "${VELTRANE_DISPLAY_NAME}")
    set(CPACK_NSIS_PACKAGE_NAME "${VELTRANE_DISPLAY_NAME}")
    set(CPACK_NSIS_DISPLAY_NAME "${VELTRANE_DISPLAY_NAME}")
    set(CPACK_NSIS_MUI_ICON ${PROJECT_SOURCE_DIR}/desktop/veltrane.ico)
    set(CPACK_NSIS_MUI_UNIICON ${PROJECT_SOURCE_DIR}/desktop/veltrane.ico)
    set(CPACK_NSIS_INSTALLED_ICON_NAME veltrane.exe)
    set(CPACK_NSIS_URL_INFO_ABOUT ${PROJECT_HOMEPAGE_URL})
    set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
    set(CPACK_NSIS_COMPRESSOR "/SOLID lzma")
    # A 64-bit installer for the 64-bit program: Program Files and the registry
    # without the 32-bit redirection.
    # makensis stores the time of every file it packs. The program, README and
    # licence keep their staged time (the commit's); the page settings CPack
    # writes beside them while packing, unpacked only to a temporary folder by
    # the installer, are stored without one. Otherwise no two installers match.
    string(JOIN "\n" CPACK_NSIS_DEFINES "Target amd64-unicode" "SetDateSave off")
    set(CPACK_NSIS_EXTRA_PREINSTALL_COMMANDS "SetDateSave on")
    set(CPACK_NSIS_EXTRA_INSTALL_COMMANDS "SetDateSave off")
    set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
    set(CPACK_NSIS_EXECUTABLES_DIRECTORY .)
    set(CPACK_NSIS_MUI_FINISHPAGE_RUN veltrane.exe)
else()
    set(CPACK_GENERATOR DEB TGZ)
    set(CPACK_PACKAGE_FILE_NAME veltrane-${PROJECT_VERSION}-linux-x86_64)
    set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
    set(CPACK_DEBIAN_PACKAGE_SECTION games)
    set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
    set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
    # Mesa's software renderer at least, for a machine without a GL driver.
    set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "libgl1-mesa-dri")
    set(CPACK_DEBIAN_PACKAGE_HOMEPAGE ${PROJECT_HOMEPAGE_URL})
endif()

include(CPack)
