#include "uVelvicWindows.h"

#include "AppConsts.h"
#include "BOMRoutines.h"
#include "AppGlobals.h"
#include "CommandDocuments.h"
#include "ProcessesCommunication.h"
#include "WinHandles.h"
#include "XMLStorage.h"
#include "uCriterions.h"
#include "uEnabledItem.h"
#include "uRuleLookup.h"

namespace vpw {

namespace {

TConfigBuilderFactory& ConfigBuilderFactory() {
    static TConfigBuilderFactory factory;
    return factory;
}

}  // namespace

void RegisterVelvicWindowsClasses() { RegisterItemClass(ClassOf<TVelvicWindows>(), "VELVICWINDOWS"); }

void SetConfigBuilderFactory(TConfigBuilderFactory factory) { ConfigBuilderFactory() = std::move(factory); }

bool TVelvicWindows::QueryInterface(const TGUID& iid, void** out) {
    if (AnswerInterfaces<IUI, IControlCenter>(this, iid, out)) return true;
    return TBOM_UI_Object::QueryInterface(iid, out);
}

void TVelvicWindows::Initialize() {
    TBOM_UI_Object::Initialize();
    SetTypeName("VELVICWINDOWS");
    SetStorageTag("velvic_windows");
    modified_ = false;
    CreateChild("WINDOWRULES", "window_rules");
    LoadCommands();
    SetImageIndex(kImageRoot);
    SetHasChildren(true);
}

void TVelvicWindows::LoadCommands() {
    struct {
        const char* name;
        const char* document;
    } const trees[] = {{"menu", kMenuCommandsDocument}, {"toolbar", kToolBarCommandsDocument}};
    for (const auto& tree : trees) {
        IPtr<IBOMObjectSlave> commands = CreateChild("BOMUICOMMANDS", tree.name);
        IPtr<TXMLStorage> storage(new TXMLStorage);
        if (commands && storage->LoadFromXML(tree.document))
            storage->LoadObject(Supports<IPersistObject>(commands).get());
    }
}

std::string TVelvicWindows::GetDisplayText() { return UITranslate("AppRootNodeCaption", "Window Rules"); }

TAbstractDetailPanel* TVelvicWindows::CreateDetailPanel(const std::string&) {
    return CreateDetailPanelByName("VelvicWindowsDetailPanel");
}

IPtr<IUIList> TVelvicWindows::GetUIList() {
    IPtr<IBOMObject> rules = Resolve("window_rules");
    return rules ? Supports<IUIList>(rules->GetInterfaceByName("UIList")) : nullptr;
}

bool TVelvicWindows::ShouldSaveChild(IBOMObject* child) {
    std::string name = child ? child->GetName() : std::string();
    if (name == "menu" || name == "toolbar") return false;
    return TBOM_UI_Object::ShouldSaveChild(child);
}

IPtr<IInterface> TVelvicWindows::GetInterfaceByName(const std::string& name) {
    IPtr<IInterface> facet = TBOM_UI_Object::GetInterfaceByName(name);
    if (!facet && name == "ControlCenter") facet = Supports<IInterface>(static_cast<IControlCenter*>(this));
    // As stored: the name is spelt so in every file and caller.
    if (!facet && name == "CongifBuilder") facet = Supports<IInterface>(ConfigBuilder());
    return facet;
}

bool TVelvicWindows::SupportsName(const std::string& name) {
    return TBOM_UI_Object::SupportsName(name) || name == "ControlCenter" ||
           (name == "CongifBuilder" && ConfigBuilderFactory());
}

IPtr<IConfigBuilder> TVelvicWindows::ConfigBuilder() {
    if (!configBuilder_ && ConfigBuilderFactory()) configBuilder_ = ConfigBuilderFactory()(this);
    return configBuilder_;
}

std::uint8_t TVelvicWindows::UpdateCommand(TUIAction* action) {
    std::uint8_t inherited = TBOM_UI_Object::UpdateCommand(action);
    IPtr<IRootCommands> commands = Supports<IRootCommands>(configBuilder_);
    return commands ? commands->UpdateRootCommand(action, inherited) : inherited;
}

std::uint8_t TVelvicWindows::ExecuteCommand(TUIAction* action) {
    std::uint8_t inherited = TBOM_UI_Object::ExecuteCommand(action);
    IPtr<IRootCommands> commands = Supports<IRootCommands>(configBuilder_);
    return commands ? commands->ExecuteRootCommand(action, inherited) : inherited;
}

void TVelvicWindows::Detach() {
    configBuilder_ = nullptr;
    lookup_ = nullptr;
    TBOM_UI_Object::Detach();
}

IPtr<IBOMObject> TVelvicWindows::AddWindowRule() {
    IPtr<IBOMCollection> rules = Supports<IBOMCollection>(Resolve("window_rules"));
    if (!rules) return nullptr;
    int n = 1;
    while (Resolve("window_rules/Window Rule " + std::to_string(n))) ++n;
    IPtr<IBOMObjectSlave> rule = CreateBOMObject("WINDOWRULE", "Window Rule " + std::to_string(n));
    if (!rule) return nullptr;
    rule->Notify(1, 0, 0);
    rules->Add(rule.get());
    lookup_ = nullptr;
    modified_ = true;
    return IPtr<IBOMObject>(rule.get());
}

void TVelvicWindows::RemoveWindowRule(IBOMObjectSlave* rule) {
    IPtr<IBOMCollection> rules = Supports<IBOMCollection>(Resolve("window_rules"));
    if (!rule || !rules) return;
    IPtr<IBOMObjectSlave> keep(rule);
    std::string name = rule->GetName();
    rule->Detach();
    rules->Delete(Variant(name));
    lookup_ = nullptr;
    modified_ = true;
}

void TVelvicWindows::AfterChangeObject(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                                       IBOMObject* sender) {
    TBOM_UI_Object::AfterChangeObject(path, obj, senderPath, sender);
    lookup_ = nullptr;
    if (senderPath != "menu" && senderPath != "toolbar") modified_ = true;
}

void TVelvicWindows::AfterChangeObjectName(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                                           IBOMObject* sender, const std::string& oldPath) {
    TBOM_UI_Object::AfterChangeObjectName(path, obj, senderPath, sender, oldPath);
    lookup_ = nullptr;
    modified_ = true;
}

void TVelvicWindows::Notify(int code, int param1, int param2) {
    bool wasModified = modified_;
    TBOM_UI_Object::Notify(code, param1, param2);
    lookup_ = nullptr;  // descriptors hold translated texts
    if (code == 1) modified_ = wasModified;
}

void TVelvicWindows::PrepareRuleLookup() {
    lookup_ = std::make_shared<const TRuleLookup>(Supports<IBOMCollection>(Resolve("window_rules")).get());
}

void TVelvicWindows::GetWindowRuleData(HWND window, std::string& text) {
    if (lookup_) {
        text = lookup_->Find(window);
        return;
    }
    text.clear();
    IPtr<IBOMCollection> rules = Supports<IBOMCollection>(Resolve("window_rules"));
    if (!rules) return;
    TWindowTextCache texts(window);
    for (int i = 0; i < rules->Count(); ++i) {
        IPtr<IWindowRule> rule = FacetOf<IWindowRule>(rules->Item(i).get(), "WindowRule");
        if (rule && rule->IsEnabled() && rule->Matches(window)) {
            rule->GetConfigString(text);
            return;
        }
    }
}

std::string TVelvicWindows::ConfigFilePath() { return ProgramsDirectory() + ConfigFileName(); }

IPtr<IBOMObjectSlave> TVelvicWindows::LoadConfigFile(const std::string& fileName) {
    try {
        IPtr<TXMLStorage> storage(new TXMLStorage());
        if (!storage->LoadFromFile(fileName)) return nullptr;
        IPtr<TAbstractObject> object(CreateItem("VELVICWINDOWS"));
        IPtr<IBOMObjectSlave> root = Supports<IBOMObjectSlave>(object);
        if (!root) return nullptr;
        if (IPtr<IPersistObject> persist = Supports<IPersistObject>(root)) storage->LoadObject(persist.get());
        root->SetOwner(nullptr);
        return root;
    } catch (...) {
        // A file that breaks the load leaves no half-loaded model behind.
        return nullptr;
    }
}

namespace {

// The new file's data on the disk before its name replaces the old one's:
// otherwise a crash right after the move may leave an empty configuration.
bool FlushToDisk(const std::string& fileName) {
    TFileHandle file(CreateFileA(fileName.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
    return file && FlushFileBuffers(file.Get()) != FALSE;
}

// Whether the file loads as the programs load it, the control center's
// rule lookup included. A value can be written that the parser then refuses
// (3.5 million control characters, stored escaped as 10.5 million).
bool LoadsAsConfigFile(const std::string& fileName) {
    IPtr<IBOMObjectSlave> root = TVelvicWindows::LoadConfigFile(fileName);
    if (!root) return false;
    bool loaded = true;
    try {
        if (auto* rules = dynamic_cast<TVelvicWindows*>(root.get())) rules->PrepareRuleLookup();
    } catch (...) {
        loaded = false;
    }
    try {
        root->Detach();
    } catch (...) {
        // The answer stands; nothing more can be done with the copy.
    }
    return loaded;
}

}  // namespace

TSaveResult TVelvicWindows::WriteConfigFile(const std::string& fileName) {
    // Written beside the old file and moved over it, so that a failed write
    // never leaves a truncated configuration.
    std::string temp = fileName + ".new";
    bool written = false;
    try {
        IPtr<TXMLStorage> storage(new TXMLStorage);
        written = storage->New("velvic_windows") &&
                  storage->SaveObject(static_cast<IPersistObject*>(this)) && storage->SaveToFile(temp);
        storage = nullptr;
        written = written && FlushToDisk(temp);
    } catch (const std::exception&) {
        written = false;
    }
    TSaveResult result = TSaveResult::WriteFailed;
    if (written && !LoadsAsConfigFile(temp))
        result = TSaveResult::NotLoadable;
    else if (written && MoveFileExA(temp.c_str(), fileName.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return TSaveResult::Saved;
    DeleteFileA(temp.c_str());
    return result;
}

TSaveResult TVelvicWindows::Save() {
    if (!modified_) return TSaveResult::Saved;
    TSaveResult result = WriteConfigFile(ConfigFilePath());
    if (result != TSaveResult::Saved) return result;
    modified_ = false;
    TProcessesCommunication client(CONTROL_CENTER_CHANNEL_NAME);
    TChannelBuffer reply;
    int replyLength = 0, replyResult = 0;
    client.SendCommand(CMD_RELOAD_CONFIG, 0, nullptr, reply, replyLength, replyResult);
    return TSaveResult::Saved;
}

}  // namespace vpw
