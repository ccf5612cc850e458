// The program entry: one application, one main form, one message loop.
#include "shell/UnitMain.h"
#include "toolkit/Unit_ShowMessage.h"
#include "toolkit/Unit_TApplication.h"

#include <exception>

#ifndef _WIN32
#include "shell/CommandLine.h"
#include "shell/MainIcon.h"
#endif

namespace {

int RunGame() {
    try {
        Application->Initialize();
        Application->SetMainFormOnTaskBar(true);
        Application->CreateForm(Form1);
        Application->Run();
    } catch (const std::exception& e) {
        // Nothing ran yet, or the loop itself broke: say why and fail.
        ShowMessage(e.what());
        return 1;
    }
    return 0;
}

} // namespace

#ifdef _WIN32
namespace {
// Every later DLL load of the process, the system's own ones included, then
// searches the system folder only, never the program's folder or the path.
void LimitDllSearchToSystemFolder() {
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
}
} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    LimitDllSearchToSystemFolder();
    return RunGame();
}
#else
int main(int argc, char** argv) {
    if (int Status = HandleCommandLine(argc, argv, stdout, stderr); Status >= 0)
        return Status;
    RegisterMainIcon();
    return RunGame();
}
#endif
