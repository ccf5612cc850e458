// The Linux program's few options, answered before any window or display.
#pragma once

#include <cstdio>

// Returns -1 when the game is to start, else the status to exit with having
// printed the answer (--version, --help) or the complaint to ParaOut/ParaErr.
int HandleCommandLine(int argc, const char* const* argv, std::FILE* ParaOut, std::FILE* ParaErr);
