// Whether the cycle's helper thread may start, for the benchmarks that
// compare a cycle natively with one in the browser, which has no threads.
// Natively on Linux the switch refuses pthread_create, so that the helper
// fails to start as it does in WebAssembly and the cycle then does every walk
// in one piece, with the same results. Link HelperSwitch.cpp into the program
// itself: its pthread_create must come before the C library's.
#pragma once

// Whether RefuseThreads can work here.
bool CanRefuseThreads();
// From now on no thread starts. Call it before the first cycle: the helper,
// once started, stays for the rest of the process.
void RefuseThreads();
// The threads that have worked on cycles so far, the caller's included:
// "1", "2", or "unknown" where this cannot be known.
const char* CycleThreads();
