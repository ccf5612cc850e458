// The application object: owns the forms and runs the message loop, one
// message or one idle step per pass, with the hooks of its events components.
#pragma once

#include "toolkit/Unit_TComponent.h"

#include <exception>
#include <string>
#include <vector>

class TApplicationEvents;
class TForm;

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;

    void Initialize() {}
    bool MainFormOnTaskBar() const { return mMainFormOnTaskBar; }
    void SetMainFormOnTaskBar(bool Value) { mMainFormOnTaskBar = Value; }
    const std::string& Title() const { return mTitle; }
    void SetTitle(std::string Value) { mTitle = std::move(Value); }
    TForm* MainForm() const { return mMainForm; }
    bool Terminated() const { return mTerminated; }

    // Creates a form owned by the application; the first one becomes the main
    // form. Reference is set before the form reads its resource, as its
    // handlers may use it.
    template <class T> void CreateForm(T*& Reference) {
        T* form = new T(this);
        Reference = form;
        InitializeForm(form);
    }

    // Shows the main form and runs passes until a quit message arrives; then
    // destroys the windows that are left, while every object is still alive.
    void Run();
    // One pass: one message, or an idle step when the queue is empty.
    void HandleMessage();
    // Handles the queued messages without idle steps; false once quit arrived.
    bool ProcessMessages();
    void Terminate();

    // The default handling of an error that escaped a hook or a handler: a
    // message box with its text. The loop goes on.
    void HandleException(std::exception_ptr Error);
    std::function<void(TObject* Sender, std::exception_ptr Error)> OnException;

    void AddEvents(TApplicationEvents* Events);
    void RemoveEvents(TApplicationEvents* Events);

protected:
    // Blocks until a message is queued (the idle hooks left Done true).
    virtual void WaitForMessage();

private:
    void InitializeForm(TForm* Form);
    bool ProcessMessage();
    void Idle();

    bool mMainFormOnTaskBar = false;
    bool mTerminated = false;
    std::string mTitle;
    TForm* mMainForm = nullptr;
    std::vector<TApplicationEvents*> mEvents;
    // A message taken by the wait, handled by the next pass.
    bool mHavePending = false;
    MSG mPending{};
};

// The process's application. Tests may point it at an instance of their own.
extern TApplication* Application;
