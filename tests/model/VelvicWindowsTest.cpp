// The document root: the rule lookup, the modified flag, saving and the
// reload command, and a lookup served to another process.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <iterator>
#include <thread>

#include "AppConsts.h"
#include "AppGlobals.h"
#include "ModelTestSupport.h"
#include "ProcessesCommunication.h"
#include "WinTestSupport.h"
#include "WinFuncs.h"
#include "XMLStorage.h"
#include "uVelvicWindows.h"

using namespace vpw;
using namespace vpw::test;

namespace vpw {
void PrintTo(TSaveResult result, std::ostream* out) {
    const char* names[] = {"Saved", "WriteFailed", "NotLoadable"};
    *out << names[static_cast<int>(result)];
}
}  // namespace vpw

namespace {

LRESULT CALLBACK PlainProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcA(w, m, wp, lp); }

// A window of this process with its own class.
class TLocalWindow {
public:
    explicit TLocalWindow(const char* cls, const char* caption = "") {
        WNDCLASSA wc{};
        wc.lpfnWndProc = PlainProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = cls;
        RegisterClassA(&wc);
        handle = CreateWindowExA(0, cls, caption, WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr, nullptr,
                                 wc.hInstance, nullptr);
    }
    ~TLocalWindow() { DestroyWindow(handle); }
    HWND handle;
};

// Records the commands that reach the control center's channel.
class TFakeControlCenter {
public:
    TFakeControlCenter() : channel_(CONTROL_CENTER_CHANNEL_NAME) {
        channel_.SetTimeout(50);
        channel_.StartServer();
        thread_ = std::thread([this] {
            while (!stop_) {
                int command = 0, length = 0;
                TChannelBuffer data;
                if (channel_.WaitForCommand(command, length, data) != TProcessesCommunication::RESULT_DONE) continue;
                commands.push_back(command);
                channel_.Reply(CMD_REPLY_DONE, 0, nullptr);
            }
        });
    }
    ~TFakeControlCenter() {
        stop_ = true;
        thread_.join();
    }
    std::vector<int> commands;  // read after the object stops

private:
    TProcessesCommunication channel_;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

class VelvicWindows : public ::testing::Test {
protected:
    void SetUp() override {
        live_ = TDebugInterfacedObject::LiveObjects();
        char tmp[MAX_PATH];
        GetTempPathA(MAX_PATH, tmp);
        dir_ = std::string(tmp) + "vpw-root-" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(dir_.c_str(), nullptr);
        SetProgramsDirectory(dir_);
        SetConfigFileName(kConfigFileName);
        DeleteFileA(TVelvicWindows::ConfigFilePath().c_str());
        root_ = NewRoot();
    }
    void TearDown() override {
        rootObj_ = nullptr;
        root_->Detach();
        root_ = nullptr;
        DeleteFileA(TVelvicWindows::ConfigFilePath().c_str());
        RemoveDirectoryA(dir_.c_str());
        EXPECT_EQ(TDebugInterfacedObject::LiveObjects(), live_);
    }
    IPtr<IBOMObjectSlave> NewRoot() {
        IPtr<IBOMObjectSlave> root = NewItem("VELVICWINDOWS");
        root->SetOwner(nullptr);
        rootObj_ = dynamic_cast<TVelvicWindows*>(root.get());
        return root;
    }
    // A rule from the template whose class criterion asks for `cls`.
    IPtr<IBOMObjectSlave> AddRule(const std::string& name, const std::string& cls, bool enabled = true) {
        IPtr<IBOMObjectSlave> rule = NewRule(name);
        Set(rule.get(), "conditions/DefaultCondition/criterions/WINDOWCLASSNAMECRITERION/params/window_class_name",
            cls);
        Set(rule.get(), "params/enabled", enabled ? "yes" : "no");
        Collection(root_.get(), "window_rules")->Add(rule.get());
        return rule;
    }
    std::string Lookup(HWND window) {
        std::string text = "stale";
        FacetOf<IControlCenter>(root_.get(), "ControlCenter")->GetWindowRuleData(window, text);
        return text;
    }
    static bool FileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
    static std::string FileBytes(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    }

    int live_ = 0;
    std::string dir_;
    IPtr<IBOMObjectSlave> root_;
    TVelvicWindows* rootObj_ = nullptr;
};

}  // namespace

TEST_F(VelvicWindows, FirstEnabledMatchingRuleWins) {
    TLocalWindow a("VpwRootTestA"), b("VpwRootTestB"), other("VpwRootTestOther");
    AddRule("Off", "VpwRootTestA", false);
    AddRule("First", "VpwRootTestA");
    AddRule("Second", "VpwRootTestA");
    AddRule("ForB", "VpwRootTestB");
    EXPECT_EQ(Lookup(a.handle), TemplateRuleData("First"));
    EXPECT_EQ(Lookup(b.handle), TemplateRuleData("ForB"));
    EXPECT_EQ(Lookup(other.handle), "");
    EXPECT_EQ(Lookup(nullptr), "");
}

// The lookup prepared once answers as the walk over the rules does, until a
// change of the document drops it.
TEST_F(VelvicWindows, APreparedLookupAnswersAsTheWalk) {
    TLocalWindow a("VpwPrepA", "Alpha caption"), b("VpwPrepB", "Beta"), c("VpwPrepC", "Gamma");
    const std::string caption = "conditions/DefaultCondition/criterions/WINDOWCaptionCriterion/params/";
    AddRule("Off", "VpwPrepA", false);
    IPtr<IBOMObjectSlave> classAndCaption = AddRule("ClassAndCaption", "VpwPrepA");
    Set(classAndCaption.get(), caption + "enabled", "yes");
    Set(classAndCaption.get(), caption + "exact_search", "no");
    Set(classAndCaption.get(), caption + "window_caption", "caption");
    IPtr<IBOMObjectSlave> captionOnly = AddRule("CaptionOnly", "");
    Set(captionOnly.get(), caption + "enabled", "yes");
    Set(captionOnly.get(), caption + "window_caption", "Beta");
    IPtr<IBOMObjectSlave> conditionOff = AddRule("ConditionOff", "VpwPrepC");
    Set(conditionOff.get(), "conditions/DefaultCondition/params/enabled", "no");
    AddRule("ForC", "VpwPrepC");
    AddRule("ForBLater", "VpwPrepB");
    IPtr<IBOMObjectSlave> anyAlpha = AddRule("AnyAlpha", "");
    Set(anyAlpha.get(), caption + "enabled", "yes");
    Set(anyAlpha.get(), caption + "exact_search", "no");
    Set(anyAlpha.get(), caption + "window_caption", "Alpha");
    // Either of two conditions, each for its own class.
    IPtr<IBOMObjectSlave> twoConditions = AddRule("TwoConditions", "VpwPrepNone");
    IPtr<IBOMObjectSlave> second = NewItem("CONDITION", "Second");
    Set(second.get(), "criterions/WINDOWCLASSNAMECRITERION/params/window_class_name", "VpwPrepE");
    Collection(twoConditions.get(), "conditions")->Add(second.get());
    TLocalWindow d("VpwPrepD", "Alpha too"), e("VpwPrepE", "Epsilon");

    const std::pair<HWND, std::string> cases[] = {
        {a.handle, TemplateRuleData("ClassAndCaption")}, {b.handle, TemplateRuleData("CaptionOnly")},
        {c.handle, TemplateRuleData("ForC")},            {d.handle, TemplateRuleData("AnyAlpha")},
        {e.handle, TemplateRuleData("TwoConditions")},   {nullptr, ""}};
    for (const auto& [window, expected] : cases) EXPECT_EQ(Lookup(window), expected);
    rootObj_->PrepareRuleLookup();
    for (const auto& [window, expected] : cases) EXPECT_EQ(Lookup(window), expected);

    Param(classAndCaption.get(), "params/enabled")->SetValue(Variant("no"));
    EXPECT_EQ(Lookup(a.handle), TemplateRuleData("AnyAlpha"));
}

int g_getTextCalls = 0;
LRESULT CALLBACK CountingProc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
    if (m == WM_GETTEXT) ++g_getTextCalls;
    return DefWindowProcA(w, m, wp, lp);
}

TEST_F(VelvicWindows, ALookupReadsTheWindowCaptionOnce) {
    WNDCLASSA wc{};
    wc.lpfnWndProc = CountingProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "VpwRootCounting";
    RegisterClassA(&wc);
    HWND window = CreateWindowExA(0, wc.lpszClassName, "Counted caption", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100,
                                  nullptr, nullptr, wc.hInstance, nullptr);
    const char* criterion = "conditions/DefaultCondition/criterions/WINDOWCaptionCriterion/params/";
    for (const char* name : {"One", "Two", "Three"}) {
        IPtr<IBOMObjectSlave> rule = AddRule(name, "VpwRootCounting");
        Set(rule.get(), std::string(criterion) + "enabled", "yes");
        Set(rule.get(), std::string(criterion) + "exact_search", "no");
        Set(rule.get(), std::string(criterion) + "window_caption", name == std::string("Three") ? "caption" : "none");
    }
    g_getTextCalls = 0;
    EXPECT_EQ(Lookup(window), TemplateRuleData("Three"));
    EXPECT_EQ(g_getTextCalls, 1);
    rootObj_->PrepareRuleLookup();
    g_getTextCalls = 0;
    EXPECT_EQ(Lookup(window), TemplateRuleData("Three"));
    EXPECT_EQ(g_getTextCalls, 1);
    DestroyWindow(window);
}

TEST_F(VelvicWindows, ModifiedFlagFollowsChangesButNotTranslation) {
    EXPECT_FALSE(rootObj_->IsModified());
    IPtr<IBOMObjectSlave> rule = AddRule("R", "X");
    EXPECT_FALSE(rootObj_->IsModified());  // adding tells nobody
    Param(rule.get(), "params/enabled")->SetValue(Variant("no"));
    EXPECT_TRUE(rootObj_->IsModified());
    rootObj_->SetModified(false);
    root_->Notify(1, 0, 0);
    EXPECT_FALSE(rootObj_->IsModified());
    IPtr<IBOMParam> caption = Param(root_.get(), "menu/AppFilesMenu/commands/AppSave/params/caption");
    ASSERT_TRUE(caption);
    caption->SetValue(Variant("x"));
    EXPECT_FALSE(rootObj_->IsModified());
    Supports<IBOMObjectOwner>(Collection(root_.get(), "window_rules"))->RenameChild(rule.get(), "Renamed");
    EXPECT_TRUE(rootObj_->IsModified());
    rootObj_->SetModified(true);
    root_->Notify(1, 0, 0);
    EXPECT_TRUE(rootObj_->IsModified());
}

TEST_F(VelvicWindows, SaveWritesTheRulesAndAsksForAReload) {
    std::vector<int> commands;
    {
        TFakeControlCenter center;
        EXPECT_EQ(rootObj_->Save(), TSaveResult::Saved);  // nothing changed: no file, no command
        EXPECT_FALSE(FileExists(TVelvicWindows::ConfigFilePath()));
        AddRule("Window Rule 1", "Notepad ");
        Param(root_.get(), "window_rules/Window Rule 1/params/enabled")->SetValue(Variant("yes"));
        EXPECT_EQ(rootObj_->Save(), TSaveResult::Saved);
        EXPECT_FALSE(rootObj_->IsModified());
        EXPECT_FALSE(FileExists(TVelvicWindows::ConfigFilePath() + ".new"));
        Sleep(200);
        commands = center.commands;
    }
    EXPECT_EQ(commands, std::vector<int>{CMD_RELOAD_CONFIG});
    ASSERT_TRUE(FileExists(TVelvicWindows::ConfigFilePath()));

    IPtr<TXMLStorage> file(new TXMLStorage);
    ASSERT_TRUE(file->LoadFromFile(TVelvicWindows::ConfigFilePath()));
    EXPECT_EQ(file->ChildCount("menu"), 0);
    EXPECT_EQ(file->ChildCount("toolbar"), 0);
    EXPECT_EQ(file->ChildCount("window_rules"), 1);

    IPtr<IBOMObjectSlave> loaded = NewItem("VELVICWINDOWS");
    file->LoadObject(Supports<IPersistObject>(loaded).get());
    loaded->SetOwner(nullptr);
    EXPECT_EQ(ItemNames(Collection(loaded.get(), "window_rules").get()), std::vector<std::string>{"Window Rule 1"});
    EXPECT_EQ(Text(loaded.get(),
                   "window_rules/Window Rule 1/conditions/DefaultCondition/criterions/WINDOWCLASSNAMECRITERION/params/"
                   "window_class_name"),
              "Notepad ");
    EXPECT_EQ(Collection(loaded.get(), "menu")->Count(), 4);
    EXPECT_EQ(RuleData(Collection(loaded.get(), "window_rules")->Item(0).get()), kNewRuleData);
    loaded->Detach();
}

TEST_F(VelvicWindows, FailedSaveKeepsTheOldFileAndTheFlag) {
    std::vector<int> commands;
    {
        TFakeControlCenter center;
        // A first good save, then one into a folder that is gone.
        AddRule("Keep", "X");
        rootObj_->SetModified(true);
        ASSERT_EQ(rootObj_->Save(), TSaveResult::Saved);
        std::string good = TVelvicWindows::ConfigFilePath();
        SetProgramsDirectory(dir_ + "missing\\");
        rootObj_->SetModified(true);
        EXPECT_EQ(rootObj_->Save(), TSaveResult::WriteFailed);
        EXPECT_TRUE(rootObj_->IsModified());
        SetProgramsDirectory(dir_);
        // The old file is held open, so the new one cannot replace it.
        HANDLE lock = CreateFileA(good.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(lock, INVALID_HANDLE_VALUE);
        EXPECT_EQ(rootObj_->Save(), TSaveResult::WriteFailed);
        EXPECT_TRUE(rootObj_->IsModified());
        CloseHandle(lock);
        EXPECT_FALSE(FileExists(good + ".new"));
        Sleep(200);
        commands = center.commands;
    }
    EXPECT_EQ(commands, std::vector<int>{CMD_RELOAD_CONFIG});  // only the good save
    IPtr<TXMLStorage> file(new TXMLStorage);
    EXPECT_TRUE(file->LoadFromFile(TVelvicWindows::ConfigFilePath()));
}

// A value can be written that the parser then refuses: a rule name of 3.5
// million control characters is stored escaped as 10.5 million characters
// (the rule's attribute and its name parameter), past the parser's limit for
// one value. Such a file never takes the good one's place; without the value
// the next save goes through.
TEST_F(VelvicWindows, AFileThatDoesNotLoadNeverReplacesTheOldOne) {
    const std::string path = TVelvicWindows::ConfigFilePath();
    std::vector<int> commands;
    {
        TFakeControlCenter center;
        AddRule("Keep", "X");
        rootObj_->SetModified(true);
        ASSERT_EQ(rootObj_->Save(), TSaveResult::Saved);
        const std::string good = FileBytes(path);

        IPtr<IBOMObjectSlave> pasted = AddRule(std::string(3'500'000, '\x01'), "Y");
        rootObj_->SetModified(true);
        EXPECT_EQ(rootObj_->Save(), TSaveResult::NotLoadable);
        EXPECT_TRUE(rootObj_->IsModified());
        EXPECT_TRUE(FileBytes(path) == good) << "the old file was replaced";
        EXPECT_FALSE(FileExists(path + ".new"));

        rootObj_->RemoveWindowRule(pasted.get());
        EXPECT_EQ(rootObj_->Save(), TSaveResult::Saved);
        EXPECT_FALSE(rootObj_->IsModified());
        EXPECT_FALSE(FileExists(path + ".new"));
        Sleep(200);
        commands = center.commands;
    }
    // Only the saves that replaced the file ask for a reload.
    EXPECT_EQ(commands, (std::vector<int>{CMD_RELOAD_CONFIG, CMD_RELOAD_CONFIG}));
    IPtr<IBOMObjectSlave> loaded = TVelvicWindows::LoadConfigFile(path);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(ItemNames(Collection(loaded.get(), "window_rules").get()), std::vector<std::string>{"Keep"});
    loaded->Detach();
}

// A caption with a character that XML 1.0 cannot carry, as the window
// finder copies it into a criterion, and a rule name pasted with one: both
// come back exactly from the saved file, and the rule still matches.
TEST_F(VelvicWindows, ValuesXmlCannotCarryComeBackAndTheRuleStillMatches) {
    const std::string caption = "Untitled\x1b[0m - Notepad\x01", name = "Rule\x01One\x1f";
    TLocalWindow window("VpwRootEscaped", caption.c_str());
    ASSERT_EQ(GetWindowCaption(window.handle), caption);
    const std::string criterion = "conditions/DefaultCondition/criterions/WINDOWCaptionCriterion/params/";
    IPtr<IBOMObjectSlave> rule = AddRule(name, "");
    Set(rule.get(), criterion + "enabled", "yes");
    Set(rule.get(), criterion + "window_caption", caption);
    AddRule("Plain 50%", "VpwRootOther");
    ASSERT_EQ(Lookup(window.handle), TemplateRuleData(name));
    {
        TFakeControlCenter center;
        rootObj_->SetModified(true);
        ASSERT_EQ(rootObj_->Save(), TSaveResult::Saved);
    }
    std::ifstream in(TVelvicWindows::ConfigFilePath(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(bytes.find("<window_rule name=\"Rule%01One%1F\" escaped=\"name\" type=\"WINDOWRULE\">"),
              std::string::npos);
    EXPECT_NE(bytes.find("<param name=\"window_caption\" escaped=\"#text\">Untitled%1B[0m - Notepad%01</param>"),
              std::string::npos);
    EXPECT_NE(bytes.find("<window_rule name=\"Plain 50%\" type=\"WINDOWRULE\">"), std::string::npos);

    // The programs' load path.
    IPtr<TXMLStorage> file(new TXMLStorage);
    ASSERT_TRUE(file->LoadFromFile(TVelvicWindows::ConfigFilePath()));
    IPtr<IBOMObjectSlave> loaded = NewItem("VELVICWINDOWS");
    file->LoadObject(Supports<IPersistObject>(loaded).get());
    loaded->SetOwner(nullptr);
    EXPECT_EQ(ItemNames(Collection(loaded.get(), "window_rules").get()),
              (std::vector<std::string>{name, "Plain 50%"}));
    IPtr<IBOMObject> back = Collection(loaded.get(), "window_rules")->Item(0);
    EXPECT_EQ(Text(back.get(), "params/name"), name);
    EXPECT_EQ(Text(back.get(), criterion + "window_caption"), caption);
    std::string text = "stale";
    FacetOf<IControlCenter>(loaded.get(), "ControlCenter")->GetWindowRuleData(window.handle, text);
    EXPECT_EQ(text, TemplateRuleData(name));
    loaded->Detach();
}

TEST_F(VelvicWindows, AnotherProcessGetsTheRuleOfAWindow) {
    TLocalWindow window("VpwRootServedClass", "Served");
    TLocalWindow other("VpwRootUnservedClass");
    AddRule("Window Rule 1", "VpwRootServedClass");
    rootObj_->SetModified(true);
    ASSERT_EQ(rootObj_->Save(), TSaveResult::Saved);

    // The server runs from the folder of the configuration file.
    std::string server = dir_ + "rule_server.exe";
    ASSERT_TRUE(CopyFileA((ModuleDir() + RULE_SERVER_EXE).c_str(), server.c_str(), FALSE));
    {
        ChildProcess peer(server);
        ASSERT_TRUE(peer.Started());
        TProcessesCommunication client(CONTROL_CENTER_CHANNEL_NAME);
        auto ask = [&](HWND w, std::string& text) {
            TChannelBuffer reply;
            int length = 0, result = 0, sent = 1;
            for (int i = 0; i < 40 && sent == 1; ++i)
                sent = client.SendCommand(CMD_GET_WINDOW_RULE, 4, &w, reply, length, result);
            text.assign(reply.begin(), reply.end());
            return sent == 0 && result == CMD_REPLY_DONE && length == static_cast<int>(text.size());
        };
        std::string text;
        ASSERT_TRUE(ask(window.handle, text));
        EXPECT_EQ(text, kNewRuleData);
        ASSERT_TRUE(ask(other.handle, text));
        EXPECT_EQ(text, "");
        TChannelBuffer reply;
        int length = 0, result = 0;
        client.SendCommand(CMD_STOP_CONTROL_CENTER, 0, nullptr, reply, length, result);
        EXPECT_EQ(peer.Wait(10000), 0u);
    }
    DeleteFileA(server.c_str());
}
