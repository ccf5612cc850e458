# The browser build, with emscripten. For now it holds what runs without a
# window: the platform's system-neutral units, timing, the simulation and the
# headless program, with their tests run under node. The web backend (the
# window, WGL over WebGL, the message box) brings the toolkit, the OpenGL
# control and the game itself.

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
# Programs that run under node: the host's files (the recorded games), a
# heap that grows with the population, and main's exit code as the process's.
add_link_options(-sENVIRONMENT=node -sNODERAWFS=1 -sALLOW_MEMORY_GROWTH=1 -sEXIT_RUNTIME=1)

# The platform's units that need no window system; the rest of the platform
# comes with the web backend.
add_library(platform STATIC
    ${PROJECT_SOURCE_DIR}/platform/AutoResetEvent.cpp
    ${PROJECT_SOURCE_DIR}/platform/DecimalSeparator.cpp
    ${PROJECT_SOURCE_DIR}/platform/core/win32_time.cpp
)
target_include_directories(platform PUBLIC ${PROJECT_SOURCE_DIR})
