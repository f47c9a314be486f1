// The document root's configuration-builder facet in this process, with
// the real main window and a real control center beside it.
#include <gtest/gtest.h>

#include "AbstractObjects.h"
#include "AppGlobals.h"
#include "BOMObjects.h"
#include "BOMRoutines.h"
#include "BOMUICommands.h"
#include "ConfigProgramTestSupport.h"
#include "MultiLanguages.h"
#include "StdControls.h"
#include "XMLStorage.h"
#include "extender/MessageBoxProbe.h"
#include "uConfigBuilder.h"
#include "uDetailPanelFrame.h"
#include "uModelLoadClasses.h"
#include "uVelvicWindows.h"

namespace vpw::test {
namespace {

constexpr char kCenterMapping[] = "{FBFD34BB-9B49-4F63-BB25-315BCAAFBA5B}";

class ConfigBuilderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(com_.Ok());
        RegisterBOMClasses();
        RegisterUICommandClasses();
        RegisterWindowRuleModelClasses();
        RegisterVelvicWindowsClasses();
        InstallConfigBuilder();
        ASSERT_TRUE(SelectLanguage(""));
        SetUITranslator(&Translate);
        baseline_ = TDebugInterfacedObject::LiveObjects();
        IPtr<TAbstractObject> object(CreateItem("VELVICWINDOWS"));
        root_ = Supports<IBOMObjectSlave>(object);
        ASSERT_TRUE(root_);
        root_->SetOwner(nullptr);
        builder_ = Supports<IConfigBuilder>(root_->GetInterfaceByName("CongifBuilder"));
        ASSERT_TRUE(builder_);
        builder_->ShowUI();
    }
    void TearDown() override {
        if (builder_) builder_->HideUI();
        if (TUIAction* save = root_ ? Action("toolbar/AppSave") : nullptr)
            EXPECT_FALSE(save->OnExecute || save->OnUpdate) << "the commands no longer reach the window";
        builder_ = nullptr;
        if (root_) root_->Detach();
        root_ = nullptr;
        SetUITranslator(nullptr);
        EXPECT_EQ(TDebugInterfacedObject::LiveObjects(), baseline_) << "the window and the facet let the model go";
    }

    TUIAction* Action(const std::string& path) {
        IPtr<IBOMUICommand> command = Supports<IBOMUICommand>(root_->Resolve(path));
        EXPECT_TRUE(command) << path;
        return command ? command->GetAction() : nullptr;
    }
    bool EnabledAfterUpdate(TUIAction* action) {
        action->Update();
        return action->GetEnabled();
    }

    TComInit com_;
    int baseline_ = 0;
    IPtr<IBOMObjectSlave> root_;
    IPtr<IConfigBuilder> builder_;
};

TEST_F(ConfigBuilderTest, RunAndStopFollowARealControlCenter) {
    ConfigFolder folder(true);
    folder.WriteConfig(RulesConfig({{"Rule", "SomeClass"}}));
    std::string directory = ProgramsDirectory();
    SetProgramsDirectory(folder.Dir());
    TUIAction* run = Action("menu/ToolsMenu/commands/RunCommandCenter");
    TUIAction* stop = Action("menu/ToolsMenu/commands/StopCommandCenter");
    ASSERT_TRUE(run && stop);
    ASSERT_FALSE(MappingExists(kCenterMapping)) << "another control center runs in this prefix";

    EXPECT_TRUE(EnabledAfterUpdate(run));
    EXPECT_FALSE(EnabledAfterUpdate(stop));
    EXPECT_FALSE(stop->Execute()) << "disabled, so it does not run";

    EXPECT_TRUE(run->Execute());
    ASSERT_TRUE(PumpUntil([] { return MappingExists(kCenterMapping); }, 15000)) << "started through the shell";
    EXPECT_FALSE(EnabledAfterUpdate(run));
    EXPECT_TRUE(EnabledAfterUpdate(stop));

    ASSERT_TRUE(WaitUntilServing());
    EXPECT_TRUE(stop->Execute());
    EXPECT_TRUE(PumpUntil([] { return !MappingExists(kCenterMapping); }, 15000)) << "command 3 ends it";
    EXPECT_TRUE(EnabledAfterUpdate(run));
    EXPECT_FALSE(EnabledAfterUpdate(stop));

    if (MappingExists(kCenterMapping)) SendToCenter(CMD_STOP_CONTROL_CENTER);
    SetProgramsDirectory(directory);
}

TEST_F(ConfigBuilderTest, CommandsAreDecidedByTheRootWhateverIsSelected) {
    auto* facet = dynamic_cast<TConfigBuilder*>(builder_.get());
    ASSERT_NE(facet, nullptr);
    TWinTreeView& tree = facet->MainForm()->TreeView();
    TUIAction* add = Action("menu/WindowRuleMenu/commands/WindowRuleAdd");
    TUIAction* remove = Action("toolbar/WindowRuleDelete");
    TUIAction* save = Action("toolbar/AppSave");
    TUIAction* group = Action("menu/WindowRuleMenu");
    ASSERT_TRUE(add && remove && save && group);

    EXPECT_EQ(tree.Selected(), nullptr);
    EXPECT_FALSE(EnabledAfterUpdate(remove)) << "nothing selected: the first node, the root, decides";
    EXPECT_FALSE(EnabledAfterUpdate(save));
    EXPECT_TRUE(EnabledAfterUpdate(group));

    ASSERT_TRUE(add->Execute());
    TWinTreeNode* rule = tree.Selected();
    ASSERT_NE(rule, nullptr);
    EXPECT_EQ(rule->GetText(), "Window Rule 1");
    EXPECT_EQ(rule->GetLevel(), 1);
    EXPECT_TRUE(EnabledAfterUpdate(save));
    EXPECT_TRUE(EnabledAfterUpdate(remove));

    // The rule node answers nothing itself: the walk went on to the root.
    EXPECT_TRUE(EnabledAfterUpdate(add));
    tree.Select(dynamic_cast<TWinTreeNode*>(rule->GetParent()));
    EXPECT_FALSE(EnabledAfterUpdate(remove));
}

// A save whose new file would not load again (a rule name of 3.5 million
// control characters, past the parser's limit once stored escaped) is told
// in the save's message and keeps the old file and the changes.
TEST_F(ConfigBuilderTest, ASaveWhoseFileWouldNotLoadIsToldAndKeepsTheFile) {
    ConfigFolder folder;
    const std::string config = RulesConfig({{"Rule", "SomeClass"}});
    folder.WriteConfig(config);
    const std::string directory = ProgramsDirectory(), fileName = ConfigFileName();
    SetProgramsDirectory(folder.Dir());
    SetConfigFileName(kConfigFile);
    auto* facet = dynamic_cast<TConfigBuilder*>(builder_.get());
    auto* rules = dynamic_cast<TVelvicWindows*>(root_.get());
    ASSERT_TRUE(facet && rules);
    IPtr<IBOMObjectSlave> pasted = CreateBOMObject("WINDOWRULE", std::string(3'500'000, '\x01'));
    Supports<IBOMCollection>(root_->Resolve("window_rules"))->Add(pasted.get());
    rules->SetModified(true);
    TUIAction* save = Action("toolbar/AppSave");
    ASSERT_TRUE(save && EnabledAfterUpdate(save));

    TBoxAnswerer answerer(facet->MainForm()->Handle(), IDOK);
    EXPECT_TRUE(save->Execute());
    TMessageBoxView box = answerer.Stop();
    EXPECT_EQ(box.text, "The configuration was not saved: the new file could not be read back, so the old one was "
                        "kept \"" + folder.Path(kConfigFile) + "\".");
    EXPECT_EQ(folder.Config(), config);
    EXPECT_EQ(GetFileAttributesA(folder.Path(std::string(kConfigFile) + ".new").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(rules->IsModified());
    EXPECT_TRUE(EnabledAfterUpdate(save));
    SetProgramsDirectory(directory);
    SetConfigFileName(fileName);
}

// A panel that writes its object's "enabled" back whenever it is shown, as
// controls do that fire their change handlers on showing.
class TShowWritingPanel : public TDetailPanelFrame {
protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM, LRESULT&) override {
        if (message == WM_SHOWWINDOW && wParam) SetParamValue("enabled", Variant("yes"));
        return false;
    }
};

TEST_F(ConfigBuilderTest, TheSelectedNodeShowsItsPanelInTheDetailArea) {
    RegisterDetailPanelClass(DetailPanelClassOf<TShowWritingPanel>(), "VelvicWindowsDetailPanel");
    RegisterDetailPanelClass(DetailPanelClassOf<TShowWritingPanel>(), "WindowRuleDetailPanel");
    auto* facet = dynamic_cast<TConfigBuilder*>(builder_.get());
    TCBAppForm& form = *facet->MainForm();
    TWinTreeView& tree = form.TreeView();
    ShowWindow(form.Handle(), SW_SHOW);
    auto* root = dynamic_cast<TVelvicWindows*>(root_.get());
    ASSERT_NE(root, nullptr);

    Action("toolbar/WindowRuleAdd")->Execute();
    TWinTreeNode* ruleNode = tree.Selected();
    TDetailPanelFrame* rulePanel = facet->ShownPanel();
    ASSERT_NE(rulePanel, nullptr);
    EXPECT_EQ(GetParent(rulePanel->Handle()), form.DetailPanel());
    root->SetModified(false);

    tree.Select(tree.First());
    TDetailPanelFrame* rootPanel = facet->ShownPanel();
    ASSERT_NE(rootPanel, nullptr);
    EXPECT_NE(rootPanel, rulePanel);
    EXPECT_FALSE(IsWindowVisible(rulePanel->Handle())) << "parked";
    EXPECT_FALSE(root->IsModified()) << "showing a panel is no edit";

    // The panel fills the detail area as the window is resized.
    SetWindowPos(form.Handle(), nullptr, 0, 0, 700, 500, SWP_NOMOVE | SWP_NOZORDER);
    RECT area{}, panel{};
    GetClientRect(form.DetailPanel(), &area);
    GetClientRect(rootPanel->Handle(), &panel);
    EXPECT_EQ(panel.right, area.right);
    EXPECT_EQ(panel.bottom, area.bottom);

    // The rule has the parameter that its panel writes on showing.
    tree.Select(ruleNode);
    EXPECT_EQ(facet->ShownPanel(), rulePanel);
    EXPECT_FALSE(root->IsModified()) << "showing a panel is no edit";

    tree.Select(nullptr);
    EXPECT_EQ(facet->ShownPanel(), nullptr) << "no node, no panel";
}

// A panel with one text field that records what its change handler saw.
class TEditPanel : public TDetailPanelFrame {
public:
    HWND edit = nullptr;
    int edits = 0;      // changes while not loading
    int loads = 0;      // changes while loading
    int commits = 0;    // focus losses of the field

protected:
    void CreateControls(HWND frame) override {
        field_.Create(frame, 4, 4, 80, 20);
        field_.OnChange = [this] { ++(IsLoading() ? loads : edits); };
        field_.OnExit = [this] { ++commits; };
        edit = field_.Handle();
    }

private:
    TEdit field_;
};

TEST(DetailPanelFrame, TextSetFromTheModelIsNoEditAndCommitKeepsTheFocus) {
    THostWindow host;
    TEditPanel panel;
    panel.PlaceIn(host.Get());
    ASSERT_NE(panel.edit, nullptr);
    RECT client{}, frame{};
    GetClientRect(host.Get(), &client);
    GetClientRect(panel.Handle(), &frame);
    EXPECT_EQ(frame.right, client.right) << "fills its parent";
    EXPECT_EQ(frame.bottom, client.bottom);

    panel.SetControlText(panel.edit, "from the model");
    EXPECT_EQ(panel.loads, 1);
    EXPECT_EQ(panel.edits, 0);
    SetFocus(panel.edit);
    // At the end of the text: 64-bit Wine's edit control crashes on a
    // character typed in front of the first one (its insertion loop counts
    // down an unsigned position past zero).
    SendMessageA(panel.edit, EM_SETSEL, 14, 14);
    Type("x");
    EXPECT_EQ(panel.edits, 1) << "typing is an edit";

    panel.CommitEdits();
    EXPECT_EQ(panel.commits, 1);
    EXPECT_EQ(GetFocus(), panel.edit);

    panel.Park();
    EXPECT_FALSE(panel.IsPlaced());
    EXPECT_FALSE(IsWindowVisible(panel.Handle()));
}

TEST(MainWindowKeys, ATextFieldKeepsItsEditingKeys) {
    THostWindow host;
    TWindow edit(CreateWindowExA(0, "EDIT", "", WS_CHILD | WS_VISIBLE, 4, 4, 80, 20, host.Get(), nullptr, nullptr,
                                 nullptr));
    TWindow button(CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE, 4, 30, 80, 20, host.Get(), nullptr,
                                   nullptr, nullptr));
    struct Case {
        HWND focus;
        unsigned key;
        TShiftState shift;
        bool kept;
    } const cases[] = {
        {edit.Get(), 'A', ssCtrl, true},    {edit.Get(), 'V', ssCtrl, true},  {edit.Get(), VK_DELETE, 0, true},
        {edit.Get(), 'S', ssCtrl, false},   {edit.Get(), 'D', ssCtrl, false}, {edit.Get(), VK_F1, 0, false},
        {button.Get(), 'A', ssCtrl, false}, {nullptr, 'A', ssCtrl, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KeepsEditingKey(c.focus, c.key, c.shift), c.kept) << c.key << " " << c.shift;
}

}  // namespace
}  // namespace vpw::test
