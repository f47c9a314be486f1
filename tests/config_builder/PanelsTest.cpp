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
#include "uTriggerDetailPanels.h"
#include "uWindowRollupDetailPanels.h"
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
        com_ = std::make_unique<TComInit>();
        RegisterBOMClasses();
        RegisterUICommandClasses();
        RegisterWindowRuleModelClasses();
        RegisterVelvicWindowsClasses();
        RegisterDetailPanels();
        InitLanguageFromRegistry();
    }
    void TearDown() override { com_.reset(); }

private:
    std::unique_ptr<TComInit> com_;
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
    TMessageBoxWatcher() : worker_([this] { Run(); }) {}
    ~TMessageBoxWatcher() {
        stop_ = true;
        worker_.join();
    }
    int Count() const { return count_; }

private:
    void Run() {
        auto unseen = [this](HWND box) { return seen_.insert(box).second; };
        while (!stop_) {
            while (HWND box = FindMessageBox(GetCurrentProcessId(), unseen)) {
                ++count_;
                PostMessageA(box, WM_COMMAND, IDOK, 0);
            }
            Sleep(20);
        }
    }

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
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    Pump(50);
    MoveMouse(CenterOf(target));
    RECT own{};
    GetWindowRect(f.host.Get(), &own);
    MoveMouse(POINT{own.left + 300, own.bottom - 40});
    SendMouse(MOUSEEVENTF_LEFTUP);
    Pump(100);
    EXPECT_EQ(Text(classCriterion.get(), "params/window_class_name"), "");
    EXPECT_FALSE(f.root->IsModified());

    MoveMouse(CenterOf(panel->FindWindowControl().Handle()));
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    Pump(50);
    MoveMouse(CenterOf(target));
    SendMouse(MOUSEEVENTF_LEFTUP);
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

namespace {

// The rule panel with one tab chosen; its content panel.
template <class T>
T* ShowTab(DocumentFixture& f, const std::string& title) {
    auto* panel = f.Show<TMultiPurposeWindowRuleDetailPanel>(f.rule.get());
    if (!panel) return nullptr;
    TPageControl& pages = panel->PageControl();
    for (int i = 0; i < pages.PageCount(); ++i)
        if (pages.PageTitle(i) == title) {
            pages.SetActivePage(i);
            Pump(50);
            return f.Embedded<T>(pages.Page(i)->Handle());
        }
    return nullptr;
}

}  // namespace

TEST(TriggerPanels, TitleButtonsSwitchTheAgentsAndShowTheActionOptions) {
    DocumentFixture f;
    auto* content = ShowTab<TCaptionButtonTriggerContentDetailPanel>(f, "Title buttons");
    ASSERT_NE(content, nullptr);
    std::vector<std::string> captions;
    for (HWND w = GetWindow(content->Handle(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT))
        if (auto* agent = dynamic_cast<TCaptionButtonAgentDetailPanel_KXR*>(FrameOfWindow(w))) {
            captions.push_back(agent->EnabledCheckBox().GetText());
            EXPECT_FALSE(agent->EnabledCheckBox().GetChecked());
            ClickButton(agent->EnabledCheckBox());
            EXPECT_EQ(Text(agent->GetBoundObject(), "params/enabled"), "yes");
        }
    std::sort(captions.begin(), captions.end());
    EXPECT_EQ(captions, (std::vector<std::string>{"Minimize to tray", "Roll up", "Stay on Top"}));
    // The options of the stay-on-top and tray actions sit under their switches.
    EXPECT_NE(f.Embedded<TStayOnTopActionDetailPanel>(content->Handle()), nullptr);
    EXPECT_NE(f.Embedded<TMinToTrayActionDetailPanel>(content->Handle()), nullptr);
}

TEST(TriggerPanels, MinimizingOptionsPointTheAgentAndSwitchTheActions) {
    DocumentFixture f;
    using P = TSCMinimizeMessageTriggerContentDetailPanel;
    auto* panel = ShowTab<P>(f, "Minimizing options");
    ASSERT_NE(panel, nullptr);
    EXPECT_TRUE(panel->RadioButton(P::mcNone).GetChecked());
    EXPECT_NE(f.Embedded<TMinToEdgeActionDetailPanel>(panel->Handle()), nullptr);
    IPtr<IBOMObject> agent = f.At("triggers/MinimizeEvent/agents/MinimizeEventAgent");
    IPtr<IBOMObject> tray = f.At("actions/MinToTrayForMinimizeEvent");
    IPtr<IBOMObject> edge = f.At("actions/MinToEdgeForMinimizeEvent");
    struct Case {
        int tag;
        const char* actionName;
        const char* tray;
        const char* edge;
    } cases[] = {
        {P::mcToEdge, "MinToEdgeForMinimizeEvent", "no", "yes"},
        {P::mcToTray, "MinToTrayForMinimizeEvent", "yes", "no"},
        {P::mcNone, "", "no", "no"},
    };
    for (const auto& c : cases) {
        ClickButton(panel->RadioButton(c.tag));
        EXPECT_EQ(Text(agent.get(), "params/action_name"), c.actionName);
        EXPECT_EQ(Text(tray.get(), "params/enabled"), c.tray);
        EXPECT_EQ(Text(edge.get(), "params/enabled"), c.edge);
        for (int tag = P::mcToTray; tag <= P::mcNone; ++tag)
            EXPECT_EQ(panel->RadioButton(tag).GetChecked(), tag == c.tag) << c.tag << " " << tag;
    }
    SetSilently(agent.get(), "params/action_name", "mintotrayforminimizeevent");
    panel->UpdateControls();
    EXPECT_TRUE(panel->RadioButton(P::mcNone).GetChecked());
}

TEST(RollupPanel, FreshRuleShowsTheTemplateAndTheSwitchesWriteTheTriggers) {
    DocumentFixture f;
    auto* panel = ShowTab<TWindowRollupActionDetailPanel_ZOV>(f, "Window Rollup");
    ASSERT_NE(panel, nullptr);
    using C = TWindowRollupActionContentDetailPanel;
    C& c = panel->ContentPanel();
    EXPECT_FALSE(panel->CheckGroupBox().GetChecked());
    EXPECT_FALSE(c.ManualControlRadioButton().GetEnabled());
    EXPECT_FALSE(c.ManualControlRadioButton().GetChecked());
    EXPECT_FALSE(c.AutomaticControlRadioButton().GetChecked());
    EXPECT_TRUE(c.Delay(C::dlActiveRollup).checkBox.GetChecked());
    EXPECT_EQ(c.Delay(C::dlActiveRollup).edit.GetText(), "1000");
    EXPECT_FALSE(c.Delay(C::dlActiveUnroll).checkBox.GetChecked());
    EXPECT_EQ(c.Delay(C::dlActiveUnroll).edit.GetText(), "250");
    EXPECT_FALSE(c.MouseHoverCheckBox().GetChecked());
    EXPECT_EQ(c.Delay(C::dlHoverUnroll).edit.GetText(), "500");
    EXPECT_EQ(c.Delay(C::dlHoverRollup).edit.GetText(), "500");

    IPtr<IBOMObject> action = f.At("actions/WindowRollup");
    IPtr<IBOMObject> dblTrigger = f.At("triggers/SCDefaultMessageTrigger");
    IPtr<IBOMObject> dblAgent = f.At("triggers/SCDefaultMessageTrigger/agents/WindowRollupSCDefaultAgent_JRY");
    IPtr<IBOMObject> activate = f.At("triggers/ActivateWindowMessageTrigger");
    IPtr<IBOMObject> inactivate = f.At("triggers/InActivateWindowMessageTrigger");
    IPtr<IBOMObject> hoverAgent = f.At("triggers/MouseHoverTrigger/agents/WindowRollupMouseHoverAgent_JRY");

    ClickButton(panel->CheckGroupBox().CheckBox());
    EXPECT_EQ(Text(action.get(), "params/enabled"), "yes");
    EXPECT_EQ(Text(dblTrigger.get(), "params/enabled"), "yes");
    EXPECT_EQ(Text(dblAgent.get(), "params/enabled"), "yes");
    EXPECT_TRUE(c.ManualControlRadioButton().GetChecked());
    EXPECT_TRUE(c.ManualControlRadioButton().GetEnabled());
    EXPECT_TRUE(c.Delay(C::dlActiveRollup).edit.GetEnabled());
    EXPECT_FALSE(c.Delay(C::dlActiveUnroll).edit.GetEnabled()) << "its delay is off";

    ClickButton(c.AutomaticControlRadioButton());
    EXPECT_EQ(Text(dblAgent.get(), "params/enabled"), "no");
    EXPECT_EQ(Text(activate.get(), "params/enabled"), "yes");
    EXPECT_EQ(Text(inactivate.get(), "params/enabled"), "yes");
    EXPECT_TRUE(c.AutomaticControlRadioButton().GetChecked());

    // The description of hover switches it as the box does.
    SendMessageA(c.MouseHoverLabel().Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageA(c.MouseHoverLabel().Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    Pump();
    EXPECT_EQ(Text(hoverAgent.get(), "params/enabled"), "yes");

    ClickButton(panel->CheckGroupBox().CheckBox());
    for (IBOMObject* off : {action.get(), dblTrigger.get(), dblAgent.get(), activate.get(), inactivate.get()})
        EXPECT_EQ(Text(off, "params/enabled"), "no") << off->GetName();
    EXPECT_EQ(Text(hoverAgent.get(), "params/enabled"), "yes");
    EXPECT_FALSE(c.Delay(C::dlActiveRollup).edit.GetEnabled());
}

TEST(RollupPanel, DelayFieldIsNeverRewrittenWhileTyping) {
    DocumentFixture f;
    auto* panel = ShowTab<TWindowRollupActionDetailPanel_ZOV>(f, "Window Rollup");
    ASSERT_NE(panel, nullptr);
    using C = TWindowRollupActionContentDetailPanel;
    ClickButton(panel->CheckGroupBox().CheckBox());
    C::TDelayRow& row = panel->ContentPanel().Delay(C::dlActiveRollup);
    IPtr<IBOMObject> inactivate = f.At("triggers/InActivateWindowMessageTrigger");
    SetFocus(row.edit.Handle());
    SendMessageA(row.edit.Handle(), EM_SETSEL, 0, -1);
    Key(VK_DELETE);
    EXPECT_EQ(Text(inactivate.get(), "params/lag_interval"), "0");
    EXPECT_EQ(row.edit.GetText(), "");
    std::vector<std::string> stored;
    for (char digit : std::string("1500")) {
        Type(std::string(1, digit));
        stored.push_back(Text(inactivate.get(), "params/lag_interval"));
    }
    EXPECT_EQ(stored, (std::vector<std::string>{"1", "15", "150", "1500"}));
    EXPECT_EQ(row.edit.GetText(), "1500");
    Type("a");
    EXPECT_EQ(Text(inactivate.get(), "params/lag_interval"), "0");
    EXPECT_EQ(row.edit.GetText(), "1500a");
    // Leaving the field shows what was stored.
    SetFocus(panel->ContentPanel().Delay(C::dlActiveUnroll).checkBox.Handle());
    Pump(50);
    EXPECT_EQ(row.edit.GetText(), "0");
}
