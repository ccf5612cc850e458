# The program as Debian's hardening builds it, for every native build:
# position-independent (full address-space randomisation), relocations made
# read-only and bound at start (full RELRO, BIND_NOW), the stack protector and
# fortified libc calls. tests/desktop checks the program for each of them.
# Windows gets ASLR, high-entropy ASLR and DEP from the linker's defaults.
# The browser build is WebAssembly: these are native measures, left out there.
# VELTRANE_HARDENED says whether this build's program has all of them, for the test.
set(VELTRANE_HARDENED OFF)
if(WIN32 OR EMSCRIPTEN OR NOT CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    return()
endif()
# The sanitizers check memory themselves and replace the fortified calls.
if(CMAKE_CXX_FLAGS MATCHES "-fsanitize")
    return()
endif()

include(CheckPIESupported)
include(CheckCXXCompilerFlag)
include(CheckLinkerFlag)

check_pie_supported(LANGUAGES C CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

check_cxx_compiler_flag(-fstack-protector-strong VELTRANE_HAS_STACK_PROTECTOR)
if(VELTRANE_HAS_STACK_PROTECTOR)
    add_compile_options("$<$<COMPILE_LANGUAGE:C,CXX>:-fstack-protector-strong>")
endif()
# Only where the compiler optimises (fortification needs it), and not twice
# when the flags bring their own, as dpkg-buildflags' do.
if(NOT CMAKE_CXX_FLAGS MATCHES "_FORTIFY_SOURCE")
    add_compile_definitions("$<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:_FORTIFY_SOURCE=2>")
endif()
check_linker_flag(CXX "LINKER:-z,relro,-z,now" VELTRANE_HAS_BIND_NOW)
if(VELTRANE_HAS_BIND_NOW)
    add_link_options("LINKER:-z,relro,-z,now")
endif()

if(VELTRANE_HAS_STACK_PROTECTOR AND VELTRANE_HAS_BIND_NOW AND CMAKE_POSITION_INDEPENDENT_CODE
   AND (CMAKE_BUILD_TYPE MATCHES "^(Release|RelWithDebInfo|MinSizeRel)$"
        OR CMAKE_CXX_FLAGS MATCHES "_FORTIFY_SOURCE"))
    set(VELTRANE_HARDENED ON)
endif()
