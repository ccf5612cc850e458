// A stand-in for opengl32.dll, so that the loader can meet incomplete drivers.
// Like the real library it exports the WGL core functions, wglGetProcAddress and
// the GL 1.0 and 1.1 functions; its wglGetProcAddress offers the later entry
// points and the swap-control extension only while its "context" is current.
// Variants leave out exports at build time; tests withhold offers at run time.
#include "ExpectedEntryPoints.h"

#include <map>
#include <set>
#include <string>

#ifdef _WIN32
#define FAKE_EXPORT extern "C" __declspec(dllexport)
#define FAKE_CALL __stdcall
#else
#define FAKE_EXPORT extern "C" __attribute__((visibility("default")))
#define FAKE_CALL
#endif

using TProc = long long (*)();
using TTrace = void (*)(const char* ParaName);

namespace {

void* CurrentContext = nullptr;
void* CurrentDC = nullptr;
int ContextToken = 0;
TTrace Trace = nullptr;

std::set<std::string>& Withheld() {
    static std::set<std::string> Names;
    return Names;
}

// Names answered with a placeholder value instead of nil, as some Windows drivers do.
std::map<std::string, long long>& Placeholders() {
    static std::map<std::string, long long> Answers;
    return Answers;
}

#define FAKE_NAME_STRING(ParaName) #ParaName,
const std::set<std::string> Offered = {
    "wglSwapIntervalEXT", "wglGetSwapIntervalEXT",
    EXPECTED_VERSION_120_NAMES(FAKE_NAME_STRING) EXPECTED_VERSION_130_NAMES(FAKE_NAME_STRING)
        EXPECTED_VERSION_140_NAMES(FAKE_NAME_STRING) EXPECTED_VERSION_150_NAMES(FAKE_NAME_STRING)
            EXPECTED_VERSION_200_NAMES(FAKE_NAME_STRING)
                EXPECTED_VERSION_210_NAMES(FAKE_NAME_STRING)
                    EXPECTED_VERSION_300_NAMES(FAKE_NAME_STRING)};

long long FAKE_CALL OfferedEntryPoint() {
    return 0;
}

} // namespace

// Never called: the loader only needs the names to exist.
#ifdef FAKE_WITHOUT_GLBITMAP
#define glBitmap glBitmap_left_out
#endif
#define FAKE_EXPORT_STUB(ParaName)                                                                 \
    FAKE_EXPORT void FAKE_CALL ParaName() {}
EXPECTED_VERSION_100_NAMES(FAKE_EXPORT_STUB)
EXPECTED_VERSION_110_NAMES(FAKE_EXPORT_STUB)

FAKE_EXPORT void* FAKE_CALL wglCreateContext(void* ParaDC) {
    return ParaDC != nullptr ? &ContextToken : nullptr;
}

FAKE_EXPORT int FAKE_CALL wglMakeCurrent(void* ParaDC, void* ParaContext) {
    CurrentDC = ParaContext != nullptr ? ParaDC : nullptr;
    CurrentContext = ParaContext;
    return 1;
}

FAKE_EXPORT void* FAKE_CALL wglGetCurrentContext() {
    return CurrentContext;
}
FAKE_EXPORT void* FAKE_CALL wglGetCurrentDC() {
    return CurrentDC;
}
FAKE_EXPORT int FAKE_CALL wglDeleteContext(void* ParaContext) {
    return ParaContext != nullptr;
}

FAKE_EXPORT TProc FAKE_CALL wglGetProcAddress(const char* ParaName) {
    if (Trace != nullptr) {
        Trace(ParaName);
    }
    if (CurrentContext == nullptr || Withheld().count(ParaName) != 0 ||
        Offered.count(ParaName) == 0) {
        return nullptr;
    }
    if (const auto Placeholder = Placeholders().find(ParaName);
        Placeholder != Placeholders().end()) {
        return reinterpret_cast<TProc>(Placeholder->second);
    }
    return &OfferedEntryPoint;
}

// Controls for the tests.
FAKE_EXPORT void FakeOpenGL32Withhold(const char* ParaName) {
    Withheld().insert(ParaName);
}
FAKE_EXPORT void FakeOpenGL32AnswerWith(const char* ParaName, long long ParaValue) {
    Placeholders()[ParaName] = ParaValue;
}
FAKE_EXPORT void FakeOpenGL32SetTrace(TTrace ParaTrace) {
    Trace = ParaTrace;
}
