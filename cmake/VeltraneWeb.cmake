# The browser build, with emscripten: the whole program over the platform's
# web backend, for a page; its tests run under node.

# Tests run under node as the Windows ones run under Wine. Node 18 and later
# have fetch, which the generated loader then takes for a browser's.
find_program(VELTRANE_NODE NAMES node nodejs REQUIRED)
set(CMAKE_CROSSCOMPILING_EMULATOR ${VELTRANE_NODE} --no-experimental-fetch)

# emcc runs its JavaScript optimizer with node at -O2 and above; a node that
# is not Debian's own does not look in Debian's module folder for acorn.
if(NOT DEFINED ENV{NODE_PATH} AND EXISTS /usr/share/nodejs/acorn)
    set(CMAKE_CXX_LINKER_LAUNCHER ${CMAKE_COMMAND} -E env NODE_PATH=/usr/share/nodejs)
    set(CMAKE_C_LINKER_LAUNCHER ${CMAKE_CXX_LINKER_LAUNCHER})
endif()

# C++ exceptions are off unless asked for, and the throttle's checks throw.
add_compile_options(-fexceptions)
add_link_options(-fexceptions)
# Of the simulation only the universe's throttle waits, so ASYNCIFY need not
# instrument the walks: a cycle about a tenth faster (docs/performance.md).
# For the programs that hold the simulation; elsewhere the names match
# nothing and the linker says so.
set(VELTRANE_ASYNCIFY_REMOVE
    "SHELL:-sASYNCIFY_REMOVE=['THumanity::*','TContact*','TDisease::*','TPassWorker::*','TPerson::*']")
# Windows never gives an address below 64 KB, and our Win32 rules rely on it:
# a class name, a resource's name or a procedure's name that low is a number
# (an atom, an ordinal). WebAssembly's memory begins at 0, so nothing of ours
# may lie there.
add_link_options(-sGLOBAL_BASE=65536)

# Programs that run under node (the tests, the benchmarks) add these: the
# host's files (the recorded games), a heap that grows with the population,
# and main's exit code as the process's. The game's page has its own.
set(VELTRANE_NODE_LINK_OPTIONS
    -sENVIRONMENT=node -sNODERAWFS=1 -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1)
