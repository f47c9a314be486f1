#include "uConfigBuilder.h"

#include <shellapi.h>

#include <functional>

#include "AppConsts.h"
#include "AppGlobals.h"
#include "BOMUICommands.h"
#include "MultiLanguages.h"
#include "ProcessesCommunication.h"
#include "SingleAppInstance.h"
#include "uAboutForm.h"
#include "uCBRoutines.h"
#include "uDetailPanelFrame.h"
#include "uOptionsForm.h"
#include "uVelvicWindows.h"

namespace vpw {

namespace {

constexpr char kHelpFile[] = "VelvicPlimsyWindows.chm";

enum class TEnabledWhen { Always, Modified, RuleSelected, CenterStopped, CenterRunning };

struct TCommandRule {
    const char* name;
    TEnabledWhen when;
};

constexpr TCommandRule kCommandRules[] = {
    {"AppFilesMenu", TEnabledWhen::Always},       {"AppExit", TEnabledWhen::Always},
    {"HelpMenu", TEnabledWhen::Always},           {"HelpAbout", TEnabledWhen::Always},
    {"HelpContent", TEnabledWhen::Always},        {"WindowRuleMenu", TEnabledWhen::Always},
    {"WindowRuleAdd", TEnabledWhen::Always},      {"ToolsMenu", TEnabledWhen::Always},
    {"Options", TEnabledWhen::Always},            {"AppSave", TEnabledWhen::Modified},
    {"WindowRuleDelete", TEnabledWhen::RuleSelected}, {"RunCommandCenter", TEnabledWhen::CenterStopped},
    {"StopCommandCenter", TEnabledWhen::CenterRunning},
};

void SendControlCenterCommand(int command) {
    TProcessesCommunication client(CONTROL_CENTER_CHANNEL_NAME);
    TChannelBuffer reply;
    int replyLength = 0, replyResult = 0;
    client.SendCommand(command, 0, nullptr, reply, replyLength, replyResult);
}

// The command objects of a "BOMUICOMMANDS" child, in order.
std::vector<IPtr<IBOMObject>> CommandsOf(IBOMObject* tree) {
    std::vector<IPtr<IBOMObject>> commands;
    IPtr<IBOMCollection> list = Supports<IBOMCollection>(tree);
    for (int i = 0; list && i < list->Count(); ++i) commands.push_back(list->Item(i));
    return commands;
}

// Every command of a command list and of its sub-lists, depth first.
void VisitCommands(IBOMObject* commands, const std::function<void(IBOMUICommand*)>& visit) {
    for (const IPtr<IBOMObject>& object : CommandsOf(commands)) {
        if (IPtr<IBOMUICommand> command = Supports<IBOMUICommand>(object)) visit(command.get());
        VisitCommands(object->Resolve("commands").get(), visit);
    }
}

// The menu's commands, then the tool bar's.
void ForEachCommand(TVelvicWindows* root, const std::function<void(IBOMUICommand*)>& visit) {
    VisitCommands(root->Resolve("menu").get(), visit);
    VisitCommands(root->Resolve("toolbar").get(), visit);
}

}  // namespace

void InstallConfigBuilder() {
    SetConfigBuilderFactory(
        [](TVelvicWindows* root) { return IPtr<IConfigBuilder>(new TConfigBuilder(root)); });
}

TConfigBuilder::TConfigBuilder(TVelvicWindows* root) : root_(root) {}

TConfigBuilder::~TConfigBuilder() {
    try {
        if (form_) HideUI();
    } catch (...) {
    }
}

bool TConfigBuilder::QueryInterface(const TGUID& iid, void** out) {
    *out = nullptr;
    return AnswerInterfaces<IConfigBuilder, IRootCommands>(this, iid, out) ||
           TDebugInterfacedObject::QueryInterface(iid, out);
}

// --- building and tearing down

void TConfigBuilder::ShowUI() {
    if (form_) return;
    form_ = std::make_unique<TCBAppForm>();
    form_->SetCaption(Translate("AppCBTitle", "%appname%"));
    form_->OnCloseQuery = [this](bool& canClose) { MainFormCloseQuery(canClose); };
    form_->OnShortCut = [this](unsigned key, TShiftState shift) { return MainFormShortCut(key, shift); };
    form_->OnIdle = [this] { UpdateAllCommands(); };
    TWinTreeView& tree = form_->TreeView();
    tree.OnDeletion = [this](TWinTreeNode* node) { TreeViewDeletion(node); };
    tree.OnExpanding = [this](TWinTreeNode* node) { TreeViewExpanding(node); };
    tree.OnChange = [this](TWinTreeNode* node) { TreeViewChange(node); };
    tree.OnMouseDown = [this](TMouseButton button, TShiftState shift, int x, int y) {
        TreeViewMouseDown(button, shift, x, y);
    };

    root_->AttachUI(static_cast<IUI*>(root_));
    rootNode_ = tree.AddRoot("");
    if (rootNode_) {
        IPtr<IUIElement> element = UIElementOf(static_cast<IBOMObject*>(root_));
        SetTreeNodeElement(rootNode_, element.get());
        element->SetTreeNode(rootNode_);
        tree.Expand(rootNode_);
    }
    BuildMenuAndToolBar();
    BindCommands(true);
    root_->Notify(1, 0, 0);
    form_->LayoutBars();
}

void TConfigBuilder::HideUI() {
    if (!form_) return;
    ClearDetailArea();
    if (rootNode_) form_->TreeView().Delete(rootNode_);
    rootNode_ = nullptr;
    root_->DetachUI();
    // The commands outlive this window: their handlers must not call into it.
    BindCommands(false);
    form_.reset();
}

int TConfigBuilder::ShowModal() { return form_ ? form_->ShowModal() : mrCancel; }

void TConfigBuilder::BuildMenuAndToolBar() {
    struct {
        const char* tree;
        TWinToolBar* bar;
    } const bars[] = {{"menu", &form_->MenuToolBar()}, {"toolbar", &form_->ToolBarToolBar()}};
    for (const auto& b : bars) {
        std::vector<IPtr<IBOMObject>> commands = CommandsOf(root_->Resolve(b.tree).get());
        // From the last to the first, each placed before the others.
        for (auto it = commands.rbegin(); it != commands.rend(); ++it) {
            IPtr<IBOMUICommand> command = Supports<IBOMUICommand>(*it);
            if (!command) continue;
            auto* button = dynamic_cast<TWinToolButton*>(command->CreateToolButton(b.bar));
            if (!button) continue;
            b.bar->PlaceFirst(button);
            if (b.bar == &form_->MenuToolBar() && button->GetMenuItem())
                button->GetMenuItem()->SetImages(form_->ToolBarImages());
        }
    }
}

void TConfigBuilder::BindCommands(bool bind) {
    ForEachCommand(root_, [this, bind](IBOMUICommand* command) {
        TUIAction* action = command->GetAction();
        action->OnExecute = nullptr;
        action->OnUpdate = nullptr;
        if (!bind) return;
        action->OnExecute = [this](TUIAction* sender) { CommandActionExecute(sender); };
        action->OnUpdate = [this](TUIAction* sender) { CommandActionUpdate(sender); };
    });
}

void TConfigBuilder::UpdateAllCommands() {
    ForEachCommand(root_, [](IBOMUICommand* command) { command->GetAction()->Update(); });
}

// --- events

void TConfigBuilder::MainFormCloseQuery(bool& canClose) {
    CommitEdits();
    canClose = true;
    if (!root_->IsModified()) return;
    int answer = ShowMessage(form_->Handle(), Translate("VW_SaveConfig", "Save changes?"),
                             MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDCANCEL)
        canClose = false;
    else if (answer == IDYES)
        canClose = Save();  // a failed save keeps the window and the changes
}

bool TConfigBuilder::ShortCutOf(const char* tree, unsigned key, TShiftState shift) {
    std::vector<IPtr<IBOMObject>> commands = CommandsOf(root_->Resolve(tree).get());
    for (auto it = commands.rbegin(); it != commands.rend(); ++it)
        if (IPtr<IBOMUICommand> command = Supports<IBOMUICommand>(*it))
            if (command->HandleShortCut(key, shift)) return true;
    return false;
}

bool TConfigBuilder::MainFormShortCut(unsigned key, TShiftState shift) {
    // A command key may be coming: what is typed in a field counts first,
    // also for the command's enabled state (Ctrl+S right after typing).
    if ((shift & (ssCtrl | ssAlt)) || (key >= VK_F1 && key <= VK_F24)) CommitEdits();
    return ShortCutOf("menu", key, shift) || ShortCutOf("toolbar", key, shift);
}

TDetailPanelFrame* TConfigBuilder::ShownPanel() const {
    if (!form_) return nullptr;
    for (HWND child = GetWindow(form_->DetailPanel(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (TDetailPanelFrame* frame = FrameOfWindow(child))
            if (IsWindowVisible(child)) return frame;
    return nullptr;
}

void TConfigBuilder::CommitEdits() {
    if (TDetailPanelFrame* panel = ShownPanel()) panel->CommitEdits();
}

void TConfigBuilder::ClearDetailArea() {
    if (!form_) return;
    HWND area = form_->DetailPanel();
    // From the last to the first; the panels stay with their objects.
    std::vector<HWND> children;
    for (HWND child = GetWindow(area, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) children.push_back(child);
    for (auto it = children.rbegin(); it != children.rend(); ++it) {
        if (TDetailPanelFrame* frame = FrameOfWindow(*it)) {
            frame->Park();
        } else {
            ShowWindow(*it, SW_HIDE);
            SetParent(*it, PanelParkingWindow());
        }
    }
}

void TConfigBuilder::TreeViewChange(TWinTreeNode* node) {
    if (!form_) return;
    LockWindowUpdate(form_->Handle());
    try {
        ClearDetailArea();
        if (IUIElement* element = TreeNodeElement(node)) {
            auto* frame = dynamic_cast<TDetailPanelFrame*>(element->GetDetailPanel("DefaultDetailPanel"));
            if (frame) {
                frame->SetAlign(TAlign::alClient);
                frame->PlaceIn(form_->DetailPanel());
            }
        }
    } catch (...) {
        LockWindowUpdate(nullptr);
        throw;
    }
    LockWindowUpdate(nullptr);
}

void TConfigBuilder::TreeViewDeletion(TWinTreeNode* node) {
    if (node == rootNode_) rootNode_ = nullptr;
    ReleaseTreeNodeData(node);
}

void TConfigBuilder::TreeViewExpanding(TWinTreeNode* node) {
    if (IPtr<IUIElement> element = TreeNodeElement(node)) element->ExpandTreeNode(node);
}

void TConfigBuilder::TreeViewMouseDown(TMouseButton button, TShiftState shift, int x, int y) {
    TWinTreeNode* node = form_ ? form_->TreeView().NodeAt(x, y) : nullptr;
    if (IPtr<IUIElement> element = TreeNodeElement(node)) element->TreeNodeMouseDown(node, button, shift, x, y);
}

// --- the command walk

void TConfigBuilder::CommandActionExecute(TUIAction* sender) {
    if (!sender || !form_) return;
    CommitEdits();
    TTreeNode* node = form_->TreeView().Selected();
    if (!node) node = form_->TreeView().First();
    while (node) {
        IPtr<IUIElement> element = TreeNodeElement(node);
        if (!element) return;  // a node without data ends the walk
        if (element->ExecuteCommand(sender) == kCommandHandled) return;
        node = node->GetParent();
    }
}

void TConfigBuilder::CommandActionUpdate(TUIAction* sender) {
    if (!sender || !form_) return;
    TTreeNode* node = form_->TreeView().Selected();
    if (!node) node = form_->TreeView().First();
    while (node) {
        IPtr<IUIElement> element = TreeNodeElement(node);
        if (!element) break;
        if (element->UpdateCommand(sender) == kCommandHandled) return;
        node = node->GetParent();
    }
    sender->SetEnabled(false);
}

bool TConfigBuilder::ControlCenterRunning() {
    TSingleAppInstance guard(CC_SINGLE_INSTANCE_MAPPING);
    return guard.IsAnotherInstanceRunning();
}

std::uint8_t TConfigBuilder::UpdateRootCommand(TUIAction* action, std::uint8_t inherited) {
    if (!action) return inherited;
    for (const TCommandRule& rule : kCommandRules) {
        if (action->GetName() != rule.name) continue;
        bool enabled = true;
        switch (rule.when) {
            case TEnabledWhen::Always: break;
            case TEnabledWhen::Modified: enabled = root_->IsModified(); break;
            case TEnabledWhen::RuleSelected: {
                TWinTreeNode* selected = form_ ? form_->TreeView().Selected() : nullptr;
                enabled = selected && selected->GetLevel() == 1;
                break;
            }
            case TEnabledWhen::CenterStopped: enabled = !ControlCenterRunning(); break;
            case TEnabledWhen::CenterRunning: enabled = ControlCenterRunning(); break;
        }
        action->SetEnabled(enabled);
        return kCommandHandled;
    }
    return inherited;
}

std::uint8_t TConfigBuilder::ExecuteRootCommand(TUIAction* action, std::uint8_t inherited) {
    if (!action) return inherited;
    const std::string& name = action->GetName();
    if (name == "AppExit") {
        if (form_) form_->Close();
    } else if (name == "AppSave") {
        Save();
    } else if (name == "WindowRuleAdd") {
        AddWindowRule();
    } else if (name == "WindowRuleDelete") {
        DeleteWindowRule();
    } else if (name == "RunCommandCenter") {
        RunControlCenter();
    } else if (name == "StopCommandCenter") {
        StopControlCenter();
    } else if (name == "HelpAbout") {
        ShowAbout();
    } else if (name == "HelpContent") {
        ShowHelp();
    } else if (name == "Options") {
        ShowOptions();
    } else {
        return inherited;
    }
    return kCommandHandled;
}

// --- command operations

bool TConfigBuilder::Save() {
    TSaveResult result = root_->Save();
    if (result == TSaveResult::Saved) return true;
    std::string text =
        result == TSaveResult::NotLoadable
            ? Translate("VW_SaveNotLoadable",
                        "The configuration was not saved: the new file could not be read back, so the old one was kept")
            : Translate("VW_SaveFailed", "The configuration could not be saved to the file");
    text += " \"" + TVelvicWindows::ConfigFilePath() + "\".";
    ShowMessage(form_ ? form_->Handle() : nullptr, text, MB_OK | MB_ICONERROR);
    return false;
}

void TConfigBuilder::AddWindowRule() {
    IPtr<IBOMObject> rule = root_->AddWindowRule();
    if (!rule || !rootNode_ || !form_) return;
    IPtr<IUIElement> element = UIElementOf(rule.get());
    if (!element) return;
    TWinTreeNode* node = form_->TreeView().AddChild(rootNode_, "");
    if (!node) return;
    SetTreeNodeElement(node, element.get());
    element->SetTreeNode(node);
    form_->TreeView().Select(node);
}

void TConfigBuilder::DeleteWindowRule() {
    if (!rootNode_ || !form_) return;
    TWinTreeNode* node = form_->TreeView().Selected();
    IPtr<IUIElement> element = TreeNodeElement(node);
    IPtr<IBOMObjectSlave> rule = Supports<IBOMObjectSlave>(element);
    if (!rule || rule->GetTypeName() != "WINDOWRULE") return;
    std::string question = Translate("VW_DeleteWindowRule", "Are you sure you want to remove window rule") + " \"" +
                           rule->GetName() + "\"?";
    if (ShowMessage(form_->Handle(), question, MB_YESNO | MB_ICONQUESTION) != IDYES) return;
    TWinTreeView& tree = form_->TreeView();
    if (TWinTreeNode* previous = tree.PreviousVisible(node)) tree.Select(previous);
    tree.Delete(node);
    element->DetachUI();
    element = nullptr;
    root_->RemoveWindowRule(rule.get());
}

void TConfigBuilder::OpenInProgramsDirectory(const char* fileName) {
    std::string directory = ProgramsDirectory();
    ShellExecuteA(form_ ? form_->Handle() : nullptr, nullptr, (directory + fileName).c_str(), nullptr,
                  directory.c_str(), SW_SHOWNORMAL);
}

void TConfigBuilder::RunControlCenter() { OpenInProgramsDirectory(CC_PROGRAM_NAME); }

void TConfigBuilder::StopControlCenter() { SendControlCenterCommand(CMD_STOP_CONTROL_CENTER); }

void TConfigBuilder::ShowHelp() {
    std::string path = ProgramsDirectory() + kHelpFile;
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        ShowMessage(form_ ? form_->Handle() : nullptr,
                    Translate("Error_HelpFileMissing", "The help file does not exist:") + "\n" + path,
                    MB_OK | MB_ICONINFORMATION);
        return;
    }
    OpenInProgramsDirectory(kHelpFile);
}

void TConfigBuilder::ShowOptions() {
    if (ShowOptionsForm(form_ ? form_->Handle() : nullptr) == mrOk) SendControlCenterCommand(CMD_APPLY_SETTINGS);
}

void TConfigBuilder::ShowAbout() { ShowAboutForm(form_ ? form_->Handle() : nullptr); }

}  // namespace vpw
