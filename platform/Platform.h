// The one way into the operating system: <windows.h> on Windows, our own
// Win32 subset on Linux. Code above platform/ includes only this header.
#pragma once

#ifdef _WIN32
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// Our own names that <windows.h> turns into macros.
#undef LoadLibrary
#undef MessageBox
#undef near
#undef far
#undef Yield
#else
#include "linux/win32_types.h"
#include "linux/win32_time.h"
#endif
