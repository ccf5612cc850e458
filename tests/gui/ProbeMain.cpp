// The game as the window tests run it: the program's own start, with the
// probe attached to the main form before the loop runs.
#include "shell/UnitMain.h"
#include "tests/gui/GameProbe.h"
#include "toolkit/Unit_ShowMessage.h"
#include "toolkit/Unit_TApplication.h"

#include <exception>

#ifndef _WIN32
#include "shell/CommandLine.h"
#include "shell/MainIcon.h"
#endif

namespace {

int RunProbedGame() {
    try {
        Application->Initialize();
        Application->SetMainFormOnTaskBar(true);
        Application->CreateForm(Form1);
        StartGameProbe(*Form1);
        Application->Run();
    } catch (const std::exception& e) {
        ShowMessage(e.what());
        return 1;
    }
    return 0;
}

} // namespace

#ifdef _WIN32
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return RunProbedGame();
}
#else
int main(int argc, char** argv) {
    if (int Status = HandleCommandLine(argc, argv, stdout, stderr); Status >= 0)
        return Status;
    RegisterMainIcon();
    return RunProbedGame();
}
#endif
