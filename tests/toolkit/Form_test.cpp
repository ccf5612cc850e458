#include "ToolkitTestSupport.h"

#include "toolkit/Unit_TApplicationEvents.h"
#include "toolkit/Unit_TCustomControl.h"
#include "toolkit/Unit_TForm.h"

#include <gtest/gtest.h>

namespace {

std::vector<std::string>* gLog = nullptr;

void Note(const std::string& s) {
    if (gLog)
        gLog->push_back(s);
}

// A control that logs how the resource reaches it.
class TProbe : public TCustomControl {
public:
    explicit TProbe(TComponent* AOwner) : TCustomControl(AOwner) { Note("construct"); }
    TNotifyEvent OnPing;
    std::int32_t Level = 0;

    bool SetProperty(const std::string& Property, const TPropertyValue& Value) override {
        if (Property == "Level") {
            Level = Value.AsInteger(Property);
            Note(Name() + ".Level");
            return true;
        }
        return TCustomControl::SetProperty(Property, Value);
    }
    bool SetEvent(const std::string& Event, const THandler& Handler) override {
        if (Event == "OnPing") {
            AssignHandler(OnPing, Handler, Event);
            Note(Name() + ".OnPing");
            return true;
        }
        return TCustomControl::SetEvent(Event, Handler);
    }
    void Loaded() override {
        TCustomControl::Loaded();
        Note(Name() + ".Loaded" + (OnPing ? " wired" : ""));
    }
};

const TComponentResource& ProbeFormResource() {
    static const TComponentResource r{
        "ProbeForm",
        nullptr,
        {{"Caption", "Probe form"},
         {"ClientWidth", 320},
         {"ClientHeight", 200},
         {"Position", TIdent{"poDesktopCenter"}}},
        {{"OnCreate", "FormCreate"}},
        {{"Probe1",
          &NewComponent<TProbe>,
          {{"Level", 3}, {"Width", 10}, {"Height", 10}, {"Align", TIdent{"alClient"}}},
          {{"OnPing", "Probe1Ping"}, {"OnMouseDown", "Probe1MouseDown"}},
          {}},
         {"Events1", &NewComponent<TApplicationEvents>, {}, {{"OnIdle", "Events1Idle"}}, {}}}};
    return r;
}

class TProbeForm : public TForm {
public:
    explicit TProbeForm(TComponent* AOwner) : TForm(AOwner) {
        PublishField("Probe1", Probe1);
        PublishField("Events1", Events1);
        PublishMethod("FormCreate", TNotifyEvent([this](TObject*) {
                          Note(std::string("FormCreate") + (Probe1 ? " sees Probe1" : ""));
                      }));
        PublishMethod("Probe1Ping", TNotifyEvent([](TObject*) { Note("ping"); }));
        PublishMethod("Probe1MouseDown", TMouseEvent([](TObject*, TMouseButton, TShiftState,
                                                        std::int32_t, std::int32_t) {}));
        PublishMethod("Events1Idle", TIdleEvent([](TObject*, bool&) {}));
    }
    TProbe* Probe1 = nullptr;
    TApplicationEvents* Events1 = nullptr;
    const TComponentResource* UseResource = &ProbeFormResource();

protected:
    const TComponentResource* Resource() const override { return UseResource; }
};

class Forms : public ::testing::Test {
protected:
    Forms() : mScope(mApp) { gLog = &mLog; }
    ~Forms() override { gLog = nullptr; }
    TApplication mApp;
    TScopedApplication mScope;
    std::vector<std::string> mLog;
};

TEST_F(Forms, ResourceSetsPropertiesWiresEventsThenLoadedThenOnCreate) {
    TProbeForm* form = nullptr;
    mApp.CreateForm(form);
    std::vector<std::string> expected{"construct", "Probe1.Level", "Probe1.OnPing",
                                      "Probe1.Loaded wired", "FormCreate sees Probe1"};
    EXPECT_EQ(mLog, expected);
    ASSERT_NE(form->Probe1, nullptr);
    EXPECT_EQ(form->Probe1->Level, 3);
    EXPECT_EQ(form->Probe1->Parent(), form);
    EXPECT_EQ(form->Probe1->Align(), alClient);
    EXPECT_TRUE(form->Probe1->OnMouseDown);
    ASSERT_NE(form->Events1, nullptr);
    EXPECT_TRUE(form->Events1->OnIdle);
    EXPECT_EQ(form->Caption(), "Probe form");
    EXPECT_EQ(mApp.MainForm(), form);
    EXPECT_FALSE(form->HandleAllocated()) << "no window before the form is shown";
    EXPECT_FALSE(form->InState(csLoading));
}

TEST_F(Forms, BrokenResourcesAreReported) {
    auto expectBroken = [&](TComponentResource r, const std::string& what) {
        TProbeForm* form = new TProbeForm(&mApp);
        form->UseResource = &r;
        try {
            form->InitializeFromResource();
            ADD_FAILURE() << "accepted " << what;
        } catch (const EResourceError& e) {
            EXPECT_NE(std::string(e.what()).find(what), std::string::npos) << e.what();
        }
    };
    TComponentResource r = ProbeFormResource();
    r.Children[0].Properties.push_back({"Colour", 1});
    expectBroken(r, "Colour");

    r = ProbeFormResource();
    r.Children[0].Events[0].Handler = "NoSuchMethod";
    expectBroken(r, "NoSuchMethod");

    r = ProbeFormResource();
    r.Children[0].Events.push_back({"OnPing", "Events1Idle"}); // wrong signature
    expectBroken(r, "OnPing");

    r = ProbeFormResource();
    r.Children[0].Properties[0].Value = "three"; // text where a number belongs
    expectBroken(r, "Level");
}

TEST_F(Forms, WindowHasCaptionClientSizeAndIsCentredOnTheDesktop) {
    TProbeForm* form = nullptr;
    mApp.CreateForm(form);
    form->Show();
    Drain(mApp);
    char text[64] = {};
    GetWindowTextA(form->Handle(), text, sizeof text);
    EXPECT_STREQ(text, "Probe form");
    RECT client{};
    GetClientRect(form->Handle(), &client);
    EXPECT_EQ(client.right - client.left, 320);
    EXPECT_EQ(client.bottom - client.top, 200);
    RECT window{};
    GetWindowRect(form->Handle(), &window);
    RECT area{};
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
    EXPECT_NEAR((window.left + window.right) / 2.0, (area.left + area.right) / 2.0, 1.0);
    EXPECT_NEAR((window.top + window.bottom) / 2.0, (area.top + area.bottom) / 2.0, 1.0);

    form->SetCaption("Renamed");
    GetWindowTextA(form->Handle(), text, sizeof text);
    EXPECT_STREQ(text, "Renamed");
}

#ifndef _WIN32
// What an executable's resource script gives it on Windows.
const std::uint32_t kIconPixels[4] = {0xFF000000u, 0xFFFF0000u, 0xFF00FF00u, 0xFF0000FFu};
const win32_resource::IconImage kIconImage{2, 2, kIconPixels};
const win32_resource::Icon kProgramIcons[] = {{"MAINICON", 0, &kIconImage, 1}};
#endif

// A class of its own, so that its window class is registered here, first.
class TIconForm : public TProbeForm {
public:
    using TProbeForm::TProbeForm;
};

TEST_F(Forms, WindowClassIsNamedAfterTheFormAndCarriesTheProgramsIcon) {
#ifndef _WIN32
    win32_resource::RegisterIcons(kProgramIcons, 1);
#endif
    TIconForm* form = nullptr;
    mApp.CreateForm(form);
    form->Show();
    const std::string name = form->ClassName();
    EXPECT_EQ(name.substr(name.size() - 9), "TIconForm") << name;
    EXPECT_EQ(form->Probe1->ClassName().substr(form->Probe1->ClassName().size() - 6), "TProbe");
    WNDCLASSEXA windowClass{};
    windowClass.cbSize = sizeof windowClass;
    ASSERT_TRUE(GetClassInfoExA(GetModuleHandleA(nullptr), name.c_str(), &windowClass));
    const HICON icon = LoadIconA(GetModuleHandleA(nullptr), "MAINICON");
#ifndef _WIN32
    EXPECT_NE(icon, nullptr);
#endif
    EXPECT_EQ(windowClass.hIcon, icon);
    form->DestroyHandle();
#ifndef _WIN32
    win32_resource::RegisterIcons(nullptr, 0);
#endif
}

TEST_F(Forms, ClientAlignedControlFollowsTheFormsClientSize) {
    TProbeForm* form = nullptr;
    mApp.CreateForm(form);
    form->Show();
    Drain(mApp);
    EXPECT_EQ(form->Probe1->ClientWidth(), 320);
    EXPECT_EQ(form->Probe1->ClientHeight(), 200);

    form->SetClientWidth(500);
    form->SetClientHeight(300);
    Drain(mApp);
    EXPECT_EQ(form->ClientWidth(), 500);
    EXPECT_EQ(form->ClientHeight(), 300);
    EXPECT_EQ(form->Probe1->ClientWidth(), 500);
    EXPECT_EQ(form->Probe1->ClientHeight(), 300);

    // A resize from outside the program, as the user's drag does it.
    SetWindowPos(form->Handle(), nullptr, 0, 0, 640, 480, SWP_NOMOVE | SWP_NOZORDER);
    Drain(mApp);
    EXPECT_EQ(form->Probe1->ClientWidth(), form->ClientWidth());
    EXPECT_EQ(form->Probe1->ClientHeight(), form->ClientHeight());
    EXPECT_GT(form->ClientWidth(), 500);
}

TEST_F(Forms, ClosingTheMainFormEndsRunAndDestroysItsWindows) {
    TProbeForm* form = nullptr;
    mApp.CreateForm(form);
    int idles = 0;
    form->Events1->OnIdle = [&](TObject*, bool& done) {
        done = false;
        if (++idles == 3)
            PostMessageA(form->Handle(), WM_CLOSE, 0, 0);
        if (idles == 10000) {
            ADD_FAILURE() << "the close did not end the loop";
            mApp.Terminate();
        }
    };
    mApp.Run();
    EXPECT_GE(idles, 3);
    EXPECT_TRUE(mApp.Terminated());
    EXPECT_FALSE(form->HandleAllocated());
    EXPECT_FALSE(form->Probe1->HandleAllocated());
}

} // namespace
