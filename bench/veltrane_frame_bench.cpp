// The cost of one frame in the real game window at large populations: the
// control's synchronous repaint, which runs ProgramDraw and swaps the buffers
// as the form's settings ask (vertical sync on). Needs an X display.
// Also times one unpaced pass of the form's Main (one cycle, then the frame).
// Usage: veltrane_frame_bench [frames]   (default 200 per population)
#include "opengl/unit_TOpenGLControl_version_007.h"
#include "shell/UnitMain.h"
#include "shell/Unit_TProgram.h"
#include "simulation/Unit_TDisease.h"
#include "simulation/Unit_TField.h"
#include "simulation/Unit_THumanity.h"
#include "simulation/Unit_TPerson.h"
#include "simulation/Unit_TUniverseThreadLess.h"
#include "toolkit/Unit_TApplication.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <limits>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

struct TTimes {
    double mMedian;
    double mP99;
};

TTimes Measure(int ParaFrames, const std::function<void()>& ParaStep) {
    for (int k = 0; k < 10; ++k)
        ParaStep();
    std::vector<double> times;
    for (int k = 0; k < ParaFrames; ++k) {
        const auto begin = Clock::now();
        ParaStep();
        times.push_back(std::chrono::duration<double>(Clock::now() - begin).count() * 1e3);
    }
    std::sort(times.begin(), times.end());
    return {times[times.size() / 2], times[times.size() * 99 / 100]};
}

// Every other person infected, some of those dead, some quarantined: every
// colour of the drawing on screen, and nobody dies while measured.
void MidOutbreak() {
    for (std::size_t i = 0; i < Persons.size(); ++i) {
        TPerson& person = *Persons[i];
        person.mDeadAfterInfectionCycle = std::numeric_limits<std::int32_t>::max();
        if (i % 2 == 0)
            person.Infect();
        if (i % 10 == 0)
            person.mDead = true;
        if (i % 7 == 0)
            person.Quarantine();
    }
    Disease->mPatientZeroExists = true;
    Disease->mCycleTillPatientZero = 0;
}

} // namespace

int main(int argc, char** argv) {
    int frames = 200;
    if (argc == 2)
        frames = std::atoi(argv[1]);
    if (argc > 2 || frames <= 0) {
        std::fprintf(stderr, "usage: %s [frames]   (a positive number, default 200)\n", argv[0]);
        return 2;
    }
    if (std::getenv("DISPLAY") == nullptr)
        std::fprintf(stderr, "note: DISPLAY is not set\n");

    Application->Initialize();
    Application->CreateForm(Form1);
    Form1->Show();
    // Until the control has its context and the field its size.
    const auto deadline = Clock::now() + std::chrono::seconds(20);
    while ((Field == nullptr || Field->Width() <= 0) && Clock::now() < deadline)
        Application->ProcessMessages();
    if (Field == nullptr || Field->Width() <= 0) {
        std::fprintf(stderr, "the game window did not come up\n");
        return 1;
    }
    Universe->CycleThrottleForTesting().SetEnabled(false);

    std::printf("frame in a %d x %d window (median / 99th percentile of %d frames)\n",
                Field->Width(), Field->Height(), frames);
    std::printf("%10s %22s %26s\n", "persons", "repaint ms", "cycle + repaint ms");
    for (std::int32_t population : {1000, 10000}) {
        PopulationSize = population;
        Humanity->Reset();
        MidOutbreak();
        const TTimes paint = Measure(frames, [] { Form1->OpenGLControl1->Repaint(); });
        const TTimes main = Measure(frames, [] { Form1->Main(); });
        std::printf("%10d %10.3f / %-10.3f %12.3f / %-10.3f\n", population, paint.mMedian,
                    paint.mP99, main.mMedian, main.mP99);
    }

    Form1->Close();
    for (int k = 0; k < 20 && !Application->Terminated(); ++k)
        Application->ProcessMessages();
    return 0;
}
