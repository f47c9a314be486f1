// The detail panels on a real document: shown in a window of the test,
// driven through their controls' own messages and real input, checked in
// the model.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

#include "BOMObjects.h"
#include "BOMRoutines.h"
#include "BOMUICommands.h"
#include "CBTestSupport.h"
#include "WinTestSupport.h"
#include "XMLStorage.h"
#include "uActionDetailPanels.h"
#include "uConditionDetailPanel.h"
#include "uCriterionDetailPanels.h"
#include "uDetailPanels.h"
#include "uModelLoadClasses.h"
#include "uModelRoutines.h"
#include "uVelvicWindows.h"
#include "uVelvicWindowsDetailPanel.h"
#include "uWindowRuleDetailPanel.h"

using namespace vpw;
using namespace vpw::test;

namespace {

class TPanelsEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        com_ = std::make_unique<TComInitializer>();
        RegisterBOMClasses();
        RegisterUICommandClasses();
        RegisterWindowRuleModelClasses();
        RegisterVelvicWindowsClasses();
        RegisterDetailPanels();
        InitLanguageFromRegistry();
    }
    void TearDown() override { com_.reset(); }

private:
    std::unique_ptr<TComInitializer> com_;
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new TPanelsEnvironment);

std::string Text(IBOMObject* obj, const std::string& path) {
    IPtr<IBOMParam> p = Supports<IBOMParam>(obj->Resolve(path));
    return p ? p->GetValue().AsString() : "<missing>";
}

void SetSilently(IBOMObject* obj, const std::string& path, const std::string& value) {
    if (IPtr<IBOMParam> p = Supports<IBOMParam>(obj->Resolve(path))) p->SetValueSilent(Variant(value));
}

// A document with two template rules, shown the way the main window shows
// it: attached, and one panel placed in a window.
struct DocumentFixture {
    THostWindow host{10, 10, 700, 700};
    IPtr<IBOMObjectSlave> slave = CreateBOMObject("VELVICWINDOWS", "");
    TVelvicWindows* root = dynamic_cast<TVelvicWindows*>(slave.get());
    IPtr<IBOMObject> rule, other;

    DocumentFixture() {
        slave->SetOwner(nullptr);
        rule = root->AddWindowRule();
        other = root->AddWindowRule();
        root->AttachUI(static_cast<IUI*>(root));
        root->Notify(1, 0, 0);  // texts in the program's language
        root->SetModified(false);
    }
    ~DocumentFixture() {
        root->DetachUI();
        slave->Detach();
    }
    template <class T>
    T* Show(IBOMObject* item, const std::string& kind = "DefaultDetailPanel") {
        IPtr<IUIElement> element = Supports<IUIElement>(item->GetInterfaceByName("UIElement"));
        auto* panel = dynamic_cast<T*>(element ? element->GetDetailPanel(kind) : nullptr);
        if (!panel) return nullptr;
        panel->SetAlign(TAlign::alClient);
        panel->PlaceIn(host.Get());
        Pump(50);
        return panel;
    }
    IPtr<IBOMObject> At(const std::string& path) { return rule->Resolve(path); }
    template <class T>
    T* Embedded(HWND inside) {
        for (HWND w = GetWindow(inside, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
            if (auto* panel = dynamic_cast<T*>(FrameOfWindow(w))) return panel;
            if (T* deeper = Embedded<T>(w)) return deeper;
        }
        return nullptr;
    }
};

void ClickButton(TButtonControl& button) {
    SendMessageA(button.Handle(), BM_CLICK, 0, 0);
    Pump();
}

// Closes every message box of this process and counts them.
class TMessageBoxWatcher {
public:
    TMessageBoxWatcher() : thread_(GetCurrentThreadId()), worker_([this] { Run(); }) {}
    ~TMessageBoxWatcher() {
        stop_ = true;
        worker_.join();
    }
    int Count() const { return count_; }

private:
    void Run() {
        while (!stop_) {
            EnumThreadWindows(thread_, &Found, reinterpret_cast<LPARAM>(this));
            Sleep(20);
        }
    }
    static BOOL CALLBACK Found(HWND window, LPARAM self) {
        auto* me = reinterpret_cast<TMessageBoxWatcher*>(self);
        char cls[16] = {};
        GetClassNameA(window, cls, sizeof cls);
        if (lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(window) && me->seen_.insert(window).second) {
            ++me->count_;
            PostMessageA(window, WM_COMMAND, IDOK, 0);
        }
        return TRUE;
    }

    DWORD thread_;
    std::atomic<bool> stop_{false};
    std::atomic<int> count_{0};
    std::set<HWND> seen_;
    std::thread worker_;
};

}  // namespace

TEST(RulePanel, ShowsTheRuleAndWritesEveryEdit) {
    DocumentFixture f;
    SetSilently(f.At("conditions/DefaultCondition/criterions/WINDOWCLASSNAMECRITERION").get(), "params/window_class_name",
                "Notepad");
    auto* panel = f.Show<TMultiPurposeWindowRuleDetailPanel>(f.rule.get());
    ASSERT_NE(panel, nullptr);
    auto* classPanel = f.Embedded<TWindowClassCriterionDetailPanel>(panel->Handle());
    auto* captionPanel = f.Embedded<TWindowCaptionCriterionDetailPanel>(panel->Handle());
    ASSERT_NE(classPanel, nullptr);
    ASSERT_NE(captionPanel, nullptr);
    EXPECT_EQ(panel->NameEdit().GetText(), "Window Rule 1");
    EXPECT_TRUE(panel->EnabledCheckBox().GetChecked());
    EXPECT_EQ(classPanel->WindowClassComboBox().GetText(), "Notepad");
    EXPECT_EQ(classPanel->WindowClassComboBox().GetItems(), (std::vector<std::string>{"Notepad"}));
    EXPECT_FALSE(f.root->IsModified());

    ClickButton(panel->EnabledCheckBox());
    EXPECT_EQ(Text(f.rule.get(), "params/enabled"), "no");
    EXPECT_TRUE(f.root->IsModified());

    // A name typed and confirmed with Enter renames the rule; the caret stays.
    SetFocus(panel->NameEdit().Handle());
    Key(VK_END);
    Type(" x");
    Key(VK_LEFT);
    Key(VK_RETURN);
    EXPECT_EQ(f.rule->GetName(), "Window Rule 1 x");
    EXPECT_EQ(panel->NameEdit().GetSelStart(), 14);

    // The class typed into the combo box is stored when the field is left.
    IPtr<IBOMObject> classCriterion = f.At("conditions/DefaultCondition/criterions/WINDOWCLASSNAMECRITERION");
    SetFocus(classPanel->WindowClassComboBox().Handle());
    Key(VK_END);
    Type("2");
    SetFocus(panel->NameEdit().Handle());
    Pump(50);
    EXPECT_EQ(Text(classCriterion.get(), "params/window_class_name"), "Notepad2");
    EXPECT_EQ(classPanel->WindowClassComboBox().GetItems()[0], "Notepad2");

    IPtr<IBOMObject> captionCriterion = f.At("conditions/DefaultCondition/criterions/WINDOWCaptionCriterion");
    SetFocus(captionPanel->WindowCaptionComboBox().Handle());
    Type("title");
    Key(VK_RETURN);
    EXPECT_EQ(Text(captionCriterion.get(), "params/window_caption"), "title");
    ClickButton(captionPanel->ExactSearchFalseRadioButton());
    EXPECT_EQ(Text(captionCriterion.get(), "params/exact_search"), "no");
    // The caption criterion starts switched off.
    EXPECT_FALSE(captionPanel->EnabledCheckBox().GetChecked());
    ClickButton(captionPanel->EnabledCheckBox());
    EXPECT_EQ(Text(captionCriterion.get(), "params/enabled"), "yes");
}

TEST(RulePanel, NameThatCannotWorkIsRefusedWithOneMessage) {
    DocumentFixture f;
    auto* panel = f.Show<TMultiPurposeWindowRuleDetailPanel>(f.rule.get());
    ASSERT_NE(panel, nullptr);
    HWND elsewhere = f.Embedded<TWindowClassCriterionDetailPanel>(panel->Handle())->WindowClassComboBox().Handle();
    for (const char* name : {"", "Window Rule 2", "WINDOW RULE 2", "a{b", "a}b", "a\\b"}) {
        TMessageBoxWatcher boxes;
        SetFocus(panel->NameEdit().Handle());
        panel->NameEdit().SetText(name);
        SetFocus(elsewhere);  // leaving the field stores it
        Pump(400);
        EXPECT_EQ(boxes.Count(), 1) << name;
        EXPECT_EQ(f.rule->GetName(), "Window Rule 1") << name;
        EXPECT_EQ(panel->NameEdit().GetText(), "Window Rule 1") << name;
    }
    // Enter refuses the same way; the same name changes nothing.
    TMessageBoxWatcher boxes;
    SetFocus(panel->NameEdit().Handle());
    panel->NameEdit().SetText("x{");
    Key(VK_RETURN);
    Pump(400);
    EXPECT_EQ(boxes.Count(), 1);
    f.root->SetModified(false);
    SetFocus(elsewhere);
    Pump(200);
    EXPECT_EQ(boxes.Count(), 1);
    EXPECT_FALSE(f.root->IsModified());
}

TEST(ActionPanels, WindowsActionsTabListsItsActionsAndWritesTheirSwitches) {
    DocumentFixture f;
    auto* panel = f.Show<TMultiPurposeWindowRuleDetailPanel>(f.rule.get());
    ASSERT_NE(panel, nullptr);
    TPageControl& pages = panel->PageControl();
    int tab = -1;
    for (int i = 0; i < pages.PageCount(); ++i)
        if (pages.PageTitle(i) == "Window actions") tab = i;
    ASSERT_GE(tab, 0);
    pages.SetActivePage(tab);
    auto* content = f.Embedded<TActionsContentDetailPanel>(pages.Page(tab)->Handle());
    ASSERT_NE(content, nullptr);

    std::vector<std::string> listed;
    for (HWND w = GetWindow(content->Handle(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
        if (auto* action = dynamic_cast<TActionDetailPanel*>(FrameOfWindow(w))) {
            listed.push_back(action->GetBoundObject()->GetName());
            std::string path = "params/enabled";
            std::string before = Text(action->GetBoundObject(), path);
            ClickButton(action->EnabledCheckBox());
            EXPECT_EQ(Text(action->GetBoundObject(), path), before == "yes" ? "no" : "yes") << listed.back();
            EXPECT_FALSE(action->EnabledCheckBox().GetText().empty());
        }
    std::sort(listed.begin(), listed.end());
    EXPECT_EQ(listed, (std::vector<std::string>{"CloseQuery", "CloseWindowForCreateMessage", "RunModeForCreateMessage",
                                                "SaveSizePos", "StayOnTop_JRX"}));
    EXPECT_TRUE(f.root->IsModified());

    // The run mode: an unknown stored value shows the first entry; the
    // user's choice stores the mode's name.
    IPtr<IBOMObject> runMode = f.At("actions/RunModeForCreateMessage");
    auto* runPanel = f.Embedded<TRunModeActionDetailPanel>(content->Handle());
    ASSERT_NE(runPanel, nullptr);
    Supports<IBOMParam>(runMode->Resolve("params/run_mode"))->SetValue(Variant("Maximize"));
    EXPECT_EQ(runPanel->RunAsComboBox().GetItemIndex(), 0);
    EXPECT_EQ(runPanel->RunAsComboBox().GetText(), "Normal Window");
    SetFocus(runPanel->RunAsComboBox().Handle());
    Key(VK_DOWN);
    EXPECT_EQ(Text(runMode.get(), "params/run_mode"), "minimize");
    Key(VK_DOWN);
    EXPECT_EQ(Text(runMode.get(), "params/run_mode"), "maximize");
}

TEST(ActionPanels, OptionPanelsWriteTheirParameter) {
    struct Case {
        const char* action;
        const char* kind;
        const char* param;
    } cases[] = {
        {"StayOnTopForCaptionButton", "ForCaptionButtonDetailPanel", "params/save_current_operation"},
        {"MinToTrayForCaptionButton", "ForCaptionButtonDetailPanel", "params/permanent_tray_icon"},
        {"MinToTrayForMinimizeEvent", "DefaultDetailPanel", "params/permanent_tray_icon"},
        {"MinToEdgeForMinimizeEvent", "DefaultDetailPanel", "params/use_large_icon"},
    };
    DocumentFixture f;
    for (const auto& c : cases) {
        IPtr<IBOMObject> action = f.At(std::string("actions/") + c.action);
        ASSERT_TRUE(action) << c.action;
        // A stored "Yes" is not "yes": it shows unchecked.
        SetSilently(action.get(), c.param, "Yes");
        auto* panel = f.Show<TActionOptionDetailPanel>(action.get(), c.kind);
        ASSERT_NE(panel, nullptr) << c.action;
        panel->UpdateControls();
        EXPECT_FALSE(panel->CheckBox().GetChecked()) << c.action;
        ClickButton(panel->CheckBox());
        EXPECT_EQ(Text(action.get(), c.param), "yes") << c.action;
        ClickButton(panel->CheckBox());
        EXPECT_EQ(Text(action.get(), c.param), "no") << c.action;
        panel->Park();
    }
}

TEST(ConditionPanel, FinderDroppedOnAnotherProgramFillsBothCriteria) {
    DocumentFixture f;
    ChildProcess owner(WINDOW_OWNER_EXE, {"VpwPanelTarget", "Panel target"});
    HWND target = WaitForWindow("VpwPanelTarget", nullptr);
    ASSERT_NE(target, nullptr);
    SetWindowPos(target, HWND_TOP, 720, 100, 250, 200, SWP_NOACTIVATE);
    auto* panel = f.Show<TConditionDetailPanel>(f.At("conditions/DefaultCondition").get());
    ASSERT_NE(panel, nullptr);
    auto* classPanel = f.Embedded<TWindowClassCriterionDetailPanel>(panel->Handle());
    auto* captionPanel = f.Embedded<TWindowCaptionCriterionDetailPanel>(panel->Handle());
    IPtr<IBOMObject> classCriterion = f.At("conditions/DefaultCondition/criterions/WINDOWCLASSNAMECRITERION");
    IPtr<IBOMObject> captionCriterion = f.At("conditions/DefaultCondition/criterions/WINDOWCaptionCriterion");

    // Released over the program's own window: nothing changes.
    MoveMouse(CenterOf(panel->FindWindowControl().Handle()));
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    Pump(50);
    MoveMouse(CenterOf(target));
    RECT own{};
    GetWindowRect(f.host.Get(), &own);
    MoveMouse(POINT{own.left + 300, own.bottom - 40});
    MouseButton(MOUSEEVENTF_LEFTUP);
    Pump(100);
    EXPECT_EQ(Text(classCriterion.get(), "params/window_class_name"), "");
    EXPECT_FALSE(f.root->IsModified());

    MoveMouse(CenterOf(panel->FindWindowControl().Handle()));
    MouseButton(MOUSEEVENTF_LEFTDOWN);
    Pump(50);
    MoveMouse(CenterOf(target));
    MouseButton(MOUSEEVENTF_LEFTUP);
    Pump(100);
    EXPECT_EQ(Text(classCriterion.get(), "params/window_class_name"), "VpwPanelTarget");
    EXPECT_EQ(Text(captionCriterion.get(), "params/window_caption"), "Panel target");
    EXPECT_EQ(classPanel->WindowClassComboBox().GetText(), "VpwPanelTarget");
    EXPECT_EQ(captionPanel->WindowCaptionComboBox().GetItems(), (std::vector<std::string>{"Panel target"}));
    EXPECT_TRUE(f.root->IsModified());
    PostMessageA(target, WM_CLOSE, 0, 0);
}

TEST(RootPanel, ShowsTheHelpText) {
    DocumentFixture f;
    auto* panel = f.Show<TVelvicWindowsDetailPanel>(f.root);
    ASSERT_NE(panel, nullptr);
    EXPECT_NE(panel->Memo().GetText().find("window rule"), std::string::npos);
}
