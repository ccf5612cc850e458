#include "opengl/unit_TOpenGLControl_version_007.h"

#include "opengl/unit_opengl_api_300_routines_version_011.h"
#include "opengl/unit_opengl_api_library_version_011.h"
#include "opengl/unit_opengl_api_windows_extensions_routines_version_011.h"
#include "toolkit/Unit_ShowMessage.h"

#include <array>
#include <cstring>

namespace {

// Set when an entry point was never bound, so the report still carries a code.
constexpr DWORD kProcNotFound = 127;

constexpr std::array<const char*, OpenGLVersionCount> kVersionNames = {
    "GL_VERSION_NONE", "GL_VERSION_100", "GL_VERSION_110", "GL_VERSION_120", "GL_VERSION_130",
    "GL_VERSION_140",  "GL_VERSION_150", "GL_VERSION_200", "GL_VERSION_210", "GL_VERSION_300",
    "GL_VERSION_310",  "GL_VERSION_320", "GL_VERSION_330", "GL_VERSION_400", "GL_VERSION_410",
    "GL_VERSION_420",  "GL_VERSION_430", "GL_VERSION_440"};

TOpenGLVersion VersionFromName(const std::string& Name) {
    for (std::size_t i = 0; i < kVersionNames.size(); ++i)
        if (Name == kVersionNames[i])
            return static_cast<TOpenGLVersion>(i);
    throw EResourceError("unknown OpenGL version " + Name);
}

// The platform's own WGL, which Paint and WMDestroy call directly. Bound at run
// time from the system library rather than imported: an import makes Windows load
// opengl32.dll before the program's first instruction, from the program's own
// folder first, where anyone may have planted one.
class TPlatformWGL {
public:
    TPlatformWGL() {
        mLibrary = LoadLibraryExA("opengl32.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
        if (mLibrary == nullptr)
            return;
        Bind("wglMakeCurrent", MakeCurrent);
        Bind("wglGetCurrentContext", GetCurrentContext);
        Bind("wglGetCurrentDC", GetCurrentDC);
        Bind("wglDeleteContext", DeleteContext);
    }
    ~TPlatformWGL() {
        if (mLibrary != nullptr)
            FreeLibrary(mLibrary);
    }
    TPlatformWGL(const TPlatformWGL&) = delete;
    TPlatformWGL& operator=(const TPlatformWGL&) = delete;

    bool Bound() const {
        return MakeCurrent != nullptr && GetCurrentContext != nullptr && GetCurrentDC != nullptr &&
               DeleteContext != nullptr;
    }

    BOOL(WINAPI* MakeCurrent)(HDC, HGLRC) = nullptr;
    HGLRC(WINAPI* GetCurrentContext)() = nullptr;
    HDC(WINAPI* GetCurrentDC)() = nullptr;
    BOOL(WINAPI* DeleteContext)(HGLRC) = nullptr;

private:
    // Function pointers share one representation; copying bytes avoids a cast
    // between unrelated function types.
    template <class TFunction> void Bind(const char* Name, TFunction& Variable) {
        const FARPROC Address = GetProcAddress(mLibrary, Name);
        static_assert(sizeof Address == sizeof Variable);
        std::memcpy(&Variable, &Address, sizeof Variable);
    }

    HMODULE mLibrary = nullptr;
};

// Loaded on the first frame or teardown that needs it, held until the program ends.
const TPlatformWGL& PlatformWGL() {
    static const TPlatformWGL Instance;
    return Instance;
}

} // namespace

void ReportPlatformFailure(const std::string& Text) {
    DWORD code = GetLastError();
    ShowMessage(Text);
    ShowMessage("GetLastError: " + std::to_string(code));
}

TOpenGLControl::TOpenGLControl(TComponent* AOwner) : TCustomControl(AOwner) {
    // Paints every pixel of its client area: nothing needs to be drawn behind it.
    mControlStyle |= csOpaque;
    mOptionOpenGLVersion = GL_VERSION_110;
}

void TOpenGLControl::Loaded() {
    TCustomControl::Loaded();
    mOpenGLSupported = false;
    if (!TOpenGLAPILibrary::mLibraryLoaded)
        return;
    TOpenGLVersion highest = HighestOpenGLVersionAvailable();
    TOpenGLVersion requested = mOptionOpenGLVersion;
    if (requested == GL_VERSION_NONE) {
        ShowMessage("No OpenGLVersion available !");
        return;
    }
    // Steps 100 and 110 look their names up in the library: no context needed.
    if (requested == GL_VERSION_100) {
        if (requested <= highest && TOpenGLAPIVersion100::Initialize())
            mOpenGLSupported = true;
    } else {
        if (requested <= highest && TOpenGLAPIVersion110::Initialize())
            mOpenGLSupported = true;
    }
}

bool TOpenGLControl::SetProperty(const std::string& Property, const TPropertyValue& Value) {
    if (Property == "OptionOpenGLVersion")
        mOptionOpenGLVersion = VersionFromName(Value.AsIdent(Property));
    else if (Property == "OptionDoubleBufferEnabled")
        mOptionDoubleBufferEnabled = Value.AsBoolean(Property);
    else if (Property == "OptionVerticalSyncEnabled")
        mOptionVerticalSyncEnabled = Value.AsBoolean(Property);
    else
        return TCustomControl::SetProperty(Property, Value);
    return true;
}

bool TOpenGLControl::SetEvent(const std::string& Event, const THandler& Handler) {
    if (Event == "OnCreate")
        AssignHandler(mOnCreate, Handler, Event);
    else if (Event == "OnResizeViewport")
        AssignHandler(mOnResizeViewport, Handler, Event);
    else if (Event == "OnDraw")
        AssignHandler(mOnDraw, Handler, Event);
    else if (Event == "OnDestroy")
        AssignHandler(mOnDestroy, Handler, Event);
    else
        return TCustomControl::SetEvent(Event, Handler);
    return true;
}

void TOpenGLControl::CreateParams(TCreateParams& Params) {
    TCustomControl::CreateParams(Params);
    Params.WindowClass.style =
        (Params.WindowClass.style | CS_OWNDC) & ~static_cast<UINT>(CS_PARENTDC);
    Params.Style |= WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
}

HDC TOpenGLControl::DeviceContext() {
    if (InState(csDesigning))
        return Canvas()->Handle();
    return GetDC(Handle());
}

void TOpenGLControl::Dispatch(TMessage& Message) {
    switch (Message.Msg) {
    case WM_CREATE:
        WMCreate(Message);
        break;
    case WM_DESTROY:
        WMDestroy(Message);
        break;
    case WM_SIZE:
        WMSize(Message);
        break;
    case WM_ERASEBKGND:
        WMEraseBkgnd(Message);
        break;
    default:
        TCustomControl::Dispatch(Message);
        break;
    }
}

void TOpenGLControl::WMCreate(TMessage& Message) {
    Message.Result = 0;
    // Also when the platform sends no size message before the first paint.
    RequestResizeViewport();

    if (DeviceContext() == nullptr) {
        ReportPlatformFailure("GetDC(mWindow.Handle) failed.");
        return;
    }

    std::memset(&mPixelFormatDescriptor, 0, sizeof mPixelFormatDescriptor);
    mPixelFormatDescriptor.nSize = sizeof(PIXELFORMATDESCRIPTOR);
    mPixelFormatDescriptor.nVersion = 1;
    // Double buffered whatever the option says: the option only picks the draw buffer.
    mPixelFormatDescriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    mPixelFormatDescriptor.iPixelType = PFD_TYPE_RGBA;
    mPixelFormatDescriptor.cColorBits = 24;
    mPixelFormatDescriptor.iLayerType = PFD_MAIN_PLANE;

    mPixelFormatNumber = ChoosePixelFormat(DeviceContext(), &mPixelFormatDescriptor);
    if (mPixelFormatNumber == 0) {
        ReportPlatformFailure("ChoosePixelFormat failed.");
        return;
    }
    if (!SetPixelFormat(DeviceContext(), mPixelFormatNumber, &mPixelFormatDescriptor)) {
        ReportPlatformFailure("SetPixelFormat failed.");
        return;
    }

    // Bound by Loaded; nil when it bound nothing, which fails like the call would.
    if (!opengl_api::wglCreateContext) {
        SetLastError(kProcNotFound);
        ReportPlatformFailure("mOpenGLAPI.wglCreateContext( mDeviceContext ) failed.");
        return;
    }
    mRenderingContext = opengl_api::wglCreateContext(DeviceContext());
    if (mRenderingContext == nullptr) {
        ReportPlatformFailure("mOpenGLAPI.wglCreateContext( mDeviceContext ) failed.");
        return;
    }
    if (!opengl_api::wglMakeCurrent) {
        SetLastError(kProcNotFound);
        ReportPlatformFailure(
            "mOpenGLAPI.wglMakeCurrent( mDeviceContext, mRenderingContext ) failed.");
        return;
    }
    if (!opengl_api::wglMakeCurrent(DeviceContext(), mRenderingContext)) {
        ReportPlatformFailure(
            "mOpenGLAPI.wglMakeCurrent( mDeviceContext, mRenderingContext ) failed.");
        return;
    }

    // The steps from 1.2 up need the context current. Their result is not needed:
    // the 1.0/1.1 entry points this control draws with are bound already.
    switch (mOptionOpenGLVersion) {
    case GL_VERSION_120:
        TOpenGLAPIVersion120::Initialize();
        break;
    case GL_VERSION_130:
        TOpenGLAPIVersion130::Initialize();
        break;
    case GL_VERSION_140:
        TOpenGLAPIVersion140::Initialize();
        break;
    case GL_VERSION_150:
        TOpenGLAPIVersion150::Initialize();
        break;
    case GL_VERSION_200:
        TOpenGLAPIVersion200::Initialize();
        break;
    case GL_VERSION_210:
        TOpenGLAPIVersion210::Initialize();
        break;
    case GL_VERSION_300:
        TOpenGLAPIVersion300::Initialize();
        break;
    default:
        break;
    }

    if (TOpenGLAPIWindowsExtensions::Initialize())
        mOpenGLWindowsExtensionsSupported = true;
    SetSwapInterval();

    if (mOnCreate)
        mOnCreate(this);
}

void TOpenGLControl::SetSwapInterval() {
    if (mOpenGLWindowsExtensionsSupported)
        opengl_api::wglSwapIntervalEXT(mOptionVerticalSyncEnabled ? 1 : 0);
}

void TOpenGLControl::Paint() {
    using namespace opengl_api;
    if (!mOpenGLSupported)
        return;
    // No context (a failed creation), or 1.1 entry points that never got bound:
    // skip the frame rather than draw into nothing or call a nil entry point.
    if (mRenderingContext == nullptr || !TOpenGLAPIVersion110::IsInitialized())
        return;

    const TPlatformWGL& wgl = PlatformWGL();
    if (!wgl.Bound())
        return;
    HDC dc = DeviceContext();
    if (wgl.GetCurrentContext() != mRenderingContext || wgl.GetCurrentDC() != dc) {
        if (!wgl.MakeCurrent(dc, mRenderingContext))
            return;
    }

    glDrawBuffer(mOptionDoubleBufferEnabled ? GL_BACK : GL_FRONT);

    if (mResizeViewportNeeded) {
        std::int32_t w = ClientWidth();
        std::int32_t h = ClientHeight();
        glViewport(0, 0, w, h);
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        // One unit per pixel, origin top-left, y downwards.
        glOrtho(0.0, static_cast<double>(w), static_cast<double>(h), 0.0, -1.0, 1.0);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        if (mOnResizeViewport)
            mOnResizeViewport(this);
        mResizeViewportNeeded = false;
    }

    if (mOnDraw) {
        mOnDraw(this);
    } else {
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    glFlush();
    // Every frame, so a changed vertical-sync option applies at the next paint.
    SetSwapInterval();
    SwapBuffers(dc);
}

void TOpenGLControl::WMDestroy(TMessage& Message) {
    Message.Result = 0;
    if (mRenderingContext == nullptr)
        return;
    const TPlatformWGL& wgl = PlatformWGL();
    if (!wgl.Bound()) {
        // The context cannot be released without them; say so like a failed call.
        SetLastError(kProcNotFound);
        ReportPlatformFailure("mOpenGLAPI.wglDeleteContext( mRenderingContext ) failed.");
        return;
    }
    if (wgl.MakeCurrent(wgl.GetCurrentDC(), mRenderingContext)) {
        if (mOnDestroy)
            mOnDestroy(this);
    }
    if (wgl.GetCurrentContext() != nullptr) {
        if (!wgl.MakeCurrent(nullptr, nullptr)) {
            ReportPlatformFailure("mOpenGLAPI.wglMakeCurrent( nil, nil ) failed.");
            return;
        }
    }
    if (!wgl.DeleteContext(mRenderingContext))
        ReportPlatformFailure("mOpenGLAPI.wglDeleteContext( mRenderingContext ) failed.");
}

void TOpenGLControl::WMSize(TMessage& Message) {
    Message.Result = 0;
    RequestResizeViewport();
}

void TOpenGLControl::WMEraseBkgnd(TMessage& Message) {
    // The context paints every pixel; erasing first would only flicker.
    Message.Result = 1;
}
