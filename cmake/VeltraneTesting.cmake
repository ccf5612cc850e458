# GoogleTest for both targets, and one helper to register a suite.
include(GoogleTest)

if(CMAKE_CROSSCOMPILING)
    # No packaged GoogleTest for mingw-w64: build Debian's sources with the cross toolchain.
    set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
    set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
    add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/_googletest EXCLUDE_FROM_ALL)
    foreach(lib gtest gtest_main gmock)
        if(NOT TARGET GTest::${lib})
            add_library(GTest::${lib} ALIAS ${lib})
        endif()
    endforeach()
else()
    find_package(GTest REQUIRED)
endif()

# veltrane_add_gtest(<name> SOURCES ... LIBS ... [LABELS ...] [THREADED <case>...])
# Natively every test case is its own CTest test; under Wine and node one
# process per executable, since each start costs far more than a native one.
# THREADED names the cases (GoogleTest patterns) that start threads of their
# own: the browser build has none to start, and leaves them out.
function(veltrane_add_gtest name)
    cmake_parse_arguments(T "" "" "SOURCES;LIBS;LABELS;THREADED" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest_main GTest::gmock)
    if(CMAKE_CROSSCOMPILING)
        set(filter "")
        if(EMSCRIPTEN AND T_THREADED)
            string(JOIN ":" threaded ${T_THREADED})
            set(filter "--gtest_filter=-${threaded}")
        endif()
        add_test(NAME ${name} COMMAND ${name} --gtest_color=no ${filter})
        set_tests_properties(${name} PROPERTIES LABELS "${T_LABELS}" TIMEOUT 600)
    else()
        # PROPERTIES is a flat key/value list that loses a list value's
        # separators, so the labels travel as one comma-joined label;
        # `ctest -L` matches by regular expression, so `-L tsan` still works.
        string(JOIN "," labels ${T_LABELS})
        gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                             PROPERTIES LABELS "${labels}" TIMEOUT 300)
    endif()
endfunction()
