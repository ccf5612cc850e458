#include "shell/CommandLine.h"

#include "shell/Version.h"

#include <cstring>

int HandleCommandLine(int argc, const char* const* argv, std::FILE* ParaOut, std::FILE* ParaErr) {
    if (argc <= 1)
        return -1;
    const char* Option = argv[1];
    if (std::strcmp(Option, "--version") == 0) {
        std::fprintf(ParaOut, "%s %s\n", VELTRANE_NAME, VELTRANE_VERSION);
        return 0;
    }
    if (std::strcmp(Option, "--help") == 0) {
        std::fprintf(ParaOut,
                     "Usage: veltrane [--version | --help]\n"
                     "Starts %s in its window. Left click quarantines the persons\n"
                     "under the cursor, right click infects them.\n",
                     VELTRANE_NAME);
        return 0;
    }
    // The game takes no arguments; starting it anyway would hide a typo.
    std::fprintf(ParaErr, "veltrane: unknown argument '%s'\nTry 'veltrane --help'.\n", Option);
    return 2;
}
