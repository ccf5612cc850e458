// Time sources: the performance counter runs on the steady clock in
// nanoseconds, the tick count is its milliseconds truncated to 32 bits.
#pragma once

#include "win32_types.h"

BOOL QueryPerformanceCounter(LARGE_INTEGER* lpPerformanceCount);
BOOL QueryPerformanceFrequency(LARGE_INTEGER* lpFrequency);
DWORD GetTickCount();
void Sleep(DWORD dwMilliseconds);
