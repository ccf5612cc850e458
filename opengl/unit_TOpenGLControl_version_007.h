// A windowed control that owns an OpenGL rendering context for its window:
// pixel format and context at window creation, a pixel-exact projection after
// every size change, and create, resize-viewport, draw and destroy events.
#pragma once

#include "opengl/unit_TOpenGLVersion_version_011.h"
#include "toolkit/Unit_TCustomControl.h"

#include <cstdint>
#include <string>

class TOpenGLControl : public TCustomControl {
public:
    explicit TOpenGLControl(TComponent* AOwner);
    ~TOpenGLControl() override = default;

    TOpenGLVersion OptionOpenGLVersion() const { return mOptionOpenGLVersion; }
    void SetOptionOpenGLVersion(TOpenGLVersion Value) { mOptionOpenGLVersion = Value; }
    bool OptionDoubleBufferEnabled() const { return mOptionDoubleBufferEnabled; }
    void SetOptionDoubleBufferEnabled(bool Value) { mOptionDoubleBufferEnabled = Value; }
    bool OptionVerticalSyncEnabled() const { return mOptionVerticalSyncEnabled; }
    void SetOptionVerticalSyncEnabled(bool Value) { mOptionVerticalSyncEnabled = Value; }

    const TNotifyEvent& OnCreate() const { return mOnCreate; }
    void SetOnCreate(TNotifyEvent Value) { mOnCreate = std::move(Value); }
    const TNotifyEvent& OnResizeViewport() const { return mOnResizeViewport; }
    void SetOnResizeViewport(TNotifyEvent Value) { mOnResizeViewport = std::move(Value); }
    const TNotifyEvent& OnDraw() const { return mOnDraw; }
    void SetOnDraw(TNotifyEvent Value) { mOnDraw = std::move(Value); }
    const TNotifyEvent& OnDestroy() const { return mOnDestroy; }
    void SetOnDestroy(TNotifyEvent Value) { mOnDestroy = std::move(Value); }

    HGLRC RenderingContext() const { return mRenderingContext; }

    // Chooses and binds the basic entry points once the options are read.
    void Loaded() override;
    bool SetProperty(const std::string& Property, const TPropertyValue& Value) override;
    bool SetEvent(const std::string& Event, const THandler& Handler) override;

    // The window's own device context (the class has CS_OWNDC): the same on
    // every call, and never released.
    virtual HDC DeviceContext();
    void RequestResizeViewport() { mResizeViewportNeeded = true; }

protected:
    void CreateParams(TCreateParams& Params) override;
    void Paint() override;
    void Dispatch(TMessage& Message) override;

    void WMCreate(TMessage& Message);
    void WMDestroy(TMessage& Message);
    void WMSize(TMessage& Message);
    void WMEraseBkgnd(TMessage& Message);

    bool mOpenGLSupported = false;
    bool mOpenGLWindowsExtensionsSupported = false;
    TOpenGLVersion mOptionOpenGLVersion = GL_VERSION_NONE;
    bool mOptionDoubleBufferEnabled = false;
    bool mOptionVerticalSyncEnabled = false;
    bool mResizeViewportNeeded = false;
    PIXELFORMATDESCRIPTOR mPixelFormatDescriptor{};
    std::int32_t mPixelFormatNumber = 0;
    HGLRC mRenderingContext = nullptr;
    TNotifyEvent mOnCreate;
    TNotifyEvent mOnResizeViewport;
    TNotifyEvent mOnDraw;
    TNotifyEvent mOnDestroy;

private:
    void SetSwapInterval();
};

// The two boxes of a failed platform call: the text, then the error code as it
// was right after the call.
void ReportPlatformFailure(const std::string& Text);
