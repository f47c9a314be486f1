// The real control center, started as a program of its own in a folder
// with a configuration file and the logging stand-in for the hook library.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "ControlCenterTestSupport.h"
#include "XMLStorage.h"
#include "extender/MessageBoxProbe.h"

using namespace vpw;
using namespace vpw::test;

namespace {

constexpr char kSingleInstanceMapping[] = "{FBFD34BB-9B49-4F63-BB25-315BCAAFBA5B}";

// Waits until the hook library's log holds `line`.
bool WaitForLog(const CenterFolder& folder, const std::string& line, DWORD ms = 5000) {
    DWORD start = GetTickCount();
    do {
        if (folder.Log().find(line) != std::string::npos) return true;
        Sleep(20);
    } while (GetTickCount() - start < ms);
    return false;
}

std::string AttachLine(const ChildProcess& owner, HWND window) {
    return "attach pid=" + std::to_string(owner.Id()) + " window=" + HexHandle(window);
}

std::string DetachLine(const ChildProcess& owner, HWND window) {
    return "detach pid=" + std::to_string(owner.Id()) + " window=" + HexHandle(window);
}

UINT TaskbarCreated() { return RegisterWindowMessageA("TaskbarCreated"); }

LRESULT SendAndWait(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutA(window, message, wParam, lParam, SMTO_NORMAL, 5000, &result);
    return static_cast<LRESULT>(result);
}

class ControlCenterProgram : public ::testing::Test {
protected:
    void TearDown() override {
        if (center_ && center_->Wait(0) == STILL_ACTIVE) {
            SendToCenter(CMD_STOP_CONTROL_CENTER);
            center_->Wait(5000);
        }
        center_.reset();
        SetTrayIconSetting(-1);
    }

    std::unique_ptr<ChildProcess> Launch() {
        return std::make_unique<ChildProcess>(folder_.Path(kCenterExe), std::vector<std::string>{}, folder_.Dir());
    }

    // Starts the control center and waits until its server answers; its
    // handler window, or nothing.
    HWND Start() {
        center_ = Launch();
        if (!center_->Started() || !WaitUntilServing()) return nullptr;
        return FindWindowA(kHandlerClass, nullptr);
    }

    CenterFolder folder_;
    std::unique_ptr<ChildProcess> center_;
};

TEST_F(ControlCenterProgram, StartsOnceHooksOtherProgramsAndEndsOnCommand3) {
    folder_.WriteConfig(RulesConfig({}));
    HWND handler = Start();
    ASSERT_NE(handler, nullptr);
    EXPECT_TRUE(TrayIconShown(handler));
    std::uint32_t hook = PublishedHookHandle();
    EXPECT_NE(hook, 0u);

    // A second start ends at once and leaves the first one alone.
    auto second = Launch();
    EXPECT_EQ(second->Wait(10000), 0u);
    EXPECT_EQ(center_->Wait(0), STILL_ACTIVE);
    EXPECT_EQ(FindWindowA(kHandlerClass, nullptr), handler);
    EXPECT_EQ(LookUp(GetDesktopWindow()).result, 0);
    EXPECT_EQ(PublishedHookHandle(), hook);

    // Another program gets the hook library, which reads the published handle.
    ChildProcess owner(ModuleDir() + WINDOW_OWNER_EXE, {"VpwCcOther", "Other"});
    ASSERT_NE(WaitForWindow("VpwCcOther", "Other"), nullptr);
    EXPECT_TRUE(WaitForLog(folder_, "load pid=" + std::to_string(owner.Id()) + " hook=" + HexHandle(hook)))
        << folder_.Log();

    Reply r = SendToCenter(CMD_STOP_CONTROL_CENTER);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.code, CMD_REPLY_DONE);
    EXPECT_EQ(r.length, 0);
    EXPECT_EQ(center_->Wait(10000), 0u);
    EXPECT_FALSE(IsWindow(handler));
    EXPECT_FALSE(TrayIconShown(handler));
    EXPECT_FALSE(MappingExists(HOOK_HANDLE_MAPPING_NAME));
    EXPECT_FALSE(MappingExists(kSingleInstanceMapping));
    // The owner's window lives on untouched.
    EXPECT_NE(FindWindowA("VpwCcOther", "Other"), nullptr);
}

TEST_F(ControlCenterProgram, ServesTheRuleOfAMatchingWindowAndAttachesItAtStart) {
    ChildProcess target(ModuleDir() + WINDOW_OWNER_EXE, {"VpwCcTarget", "Target"});
    ChildProcess other(ModuleDir() + WINDOW_OWNER_EXE, {"VpwCcOther", "Other"});
    HWND t = WaitForWindow("VpwCcTarget", "Target");
    HWND o = WaitForWindow("VpwCcOther", "Other");
    ASSERT_TRUE(t && o);
    folder_.WriteConfig(RulesConfig({{"Target Rule", "VpwCcTarget"}}));
    ASSERT_NE(Start(), nullptr);

    Reply r = LookUp(t);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.code, CMD_REPLY_DONE);
    std::string expected = TemplateRuleData("Target Rule");
    EXPECT_EQ(r.length, static_cast<int>(expected.size()));
    EXPECT_EQ(r.data, expected);

    r = LookUp(o);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.code, CMD_REPLY_DONE);
    EXPECT_EQ(r.length, 0);
    EXPECT_EQ(r.data, "");

    // The first pass told every window to detach, then asked the matching
    // one, and only that one, to attach (without waiting for either).
    EXPECT_TRUE(WaitForLog(folder_, AttachLine(target, t)));
    Sleep(200);
    std::string log = folder_.Log();
    std::size_t detach = log.find(DetachLine(target, t));
    std::size_t attach = log.find(AttachLine(target, t) + " class=VpwCcTarget");
    EXPECT_NE(detach, std::string::npos) << log;
    EXPECT_NE(attach, std::string::npos) << log;
    EXPECT_LT(detach, attach);
    EXPECT_EQ(CountOf(log, AttachLine(other, o)), 0);
}

TEST_F(ControlCenterProgram, ReloadMakesTheNextLookupSeeTheFile) {
    ChildProcess target(ModuleDir() + WINDOW_OWNER_EXE, {"VpwCcTarget", "Target"});
    ChildProcess other(ModuleDir() + WINDOW_OWNER_EXE, {"VpwCcOther", "Other"});
    HWND t = WaitForWindow("VpwCcTarget", "Target");
    HWND o = WaitForWindow("VpwCcOther", "Other");
    ASSERT_TRUE(t && o);
    folder_.WriteConfig(RulesConfig({{"Target Rule", "VpwCcTarget"}}));
    ASSERT_NE(Start(), nullptr);

    struct Step {
        const char* what;
        std::string config;
        std::string targetData, otherData;
        int targetAttaches, otherAttaches;  // new attach requests by this reload
        int otherDetaches;
    } steps[] = {
        {"the rule now matches the other window", RulesConfig({{"Other Rule", "VpwCcOther"}}), "",
         TemplateRuleData("Other Rule"), 0, 1, 1},
        {"a broken file: the rules that work stay, no window is touched", "this is not XML", "",
         TemplateRuleData("Other Rule"), 0, 0, 0},
        {"a good file again", RulesConfig({{"Target Rule", "VpwCcTarget"}, {"Other Rule", "VpwCcOther"}}),
         TemplateRuleData("Target Rule"), TemplateRuleData("Other Rule"), 1, 1, 1},
    };
    for (const auto& s : steps) {
        SCOPED_TRACE(s.what);
        std::string before = folder_.Log();
        folder_.WriteConfig(s.config);
        Reply r = SendToCenter(CMD_RELOAD_CONFIG);
        EXPECT_EQ(r.result, 0);
        EXPECT_EQ(r.code, CMD_REPLY_DONE);
        EXPECT_EQ(r.length, 0);
        // Served after the reload has finished.
        Reply rt = LookUp(t, 3000);
        Reply ro = LookUp(o, 3000);
        EXPECT_EQ(rt.result, 0);
        EXPECT_EQ(rt.code, CMD_REPLY_DONE);
        EXPECT_EQ(rt.data, s.targetData);
        EXPECT_EQ(ro.data, s.otherData);
        // The attach and detach notices are not waited for: they may still
        // be on their way. A reload that does not load sends none.
        auto added = [&](const std::string& line, int expected) {
            int was = CountOf(before, line);
            for (int i = 0; i < 100 && CountOf(folder_.Log(), line) - was < expected; ++i) Sleep(20);
            if (expected == 0) Sleep(200);
            return CountOf(folder_.Log(), line) - was;
        };
        EXPECT_EQ(added(AttachLine(target, t), s.targetAttaches), s.targetAttaches);
        EXPECT_EQ(added(AttachLine(other, o), s.otherAttaches), s.otherAttaches);
        EXPECT_EQ(added(DetachLine(other, o), s.otherDetaches), s.otherDetaches)
            << DetachLine(other, o) << "\n" << folder_.Log();
    }
}

TEST_F(ControlCenterProgram, TheExampleConfigurationGivesNotepadItsCaptionButtons) {
    ChildProcess notepad(ModuleDir() + WINDOW_OWNER_EXE, {"Notepad", "Untitled - Notepad"});
    HWND n = WaitForWindow("Notepad", "Untitled - Notepad");
    ASSERT_NE(n, nullptr);
    folder_.WriteConfig(ReadTextFile(ModuleDir() + "example-velvicplimsywindows.ini"));
    ASSERT_NE(Start(), nullptr);
    Reply r = LookUp(n);
    EXPECT_EQ(r.code, CMD_REPLY_DONE);
    EXPECT_EQ(r.data.rfind("\\WINDOWRULENAME=Notepad\\", 0), 0u) << r.data;
    for (const char* agent : {"MinToTrayCaptionButton", "WindowRollupCaptionButton", "StayOnTopCaptionButton"})
        EXPECT_NE(r.data.find("\\AGENT={\\NAME=" + std::string(agent) + "\\"), std::string::npos) << agent << ": " << r.data;
}

// A file written by the store with a rule name and a caption that XML 1.0
// cannot carry (kept in the store's escaped form): the control center reads
// them exactly and serves the rule for the window with that caption.
TEST_F(ControlCenterProgram, ServesARuleWhoseTextsXmlCannotCarry) {
    const std::string caption = "Target\x1b[1m\x01", name = "Pasted\x01Rule\x0b";
    ChildProcess target(ModuleDir() + WINDOW_OWNER_EXE, {"VpwCcEscaped", "Target"});
    HWND t = WaitForWindow("VpwCcEscaped", "Target");
    ASSERT_NE(t, nullptr);
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(t, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(caption.c_str()), SMTO_NORMAL, 5000, &ignored);
    char buf[64] = {};
    ASSERT_EQ(std::string(buf, GetWindowTextA(t, buf, sizeof buf)), caption);

    {
        TComInit com;
        IPtr<TXMLStorage> doc(new TXMLStorage());
        ASSERT_TRUE(doc->New("velvic_windows"));
        IPtr<IHierStorage> rules = doc->CreateChild("window_rules");
        rules->WriteAttribute("name", "window_rules");
        IPtr<IHierStorage> rule = rules->CreateChild("content")->CreateChild("window_rule");
        rule->WriteAttribute("name", name);
        rule->WriteAttribute("type", "WINDOWRULE");
        IPtr<IHierStorage> condition = rule->CreateChild("conditions")->CreateChild("content")->CreateChild("condition");
        condition->WriteAttribute("name", "DefaultCondition");
        IPtr<IHierStorage> criterion =
            condition->CreateChild("criterions")->CreateChild("content")->CreateChild("criterion");
        criterion->WriteAttribute("name", "WINDOWCaptionCriterion");
        criterion->WriteAttribute("type", "WINDOWCaptionCriterion");
        IPtr<IHierStorage> params = criterion->CreateChild("params");
        for (const auto& [param, value] : {std::pair<std::string, std::string>{"enabled", "yes"}, {"window_caption", caption}}) {
            IPtr<IHierStorage> p = params->CreateChild("param");
            p->WriteAttribute("name", param);
            p->WriteValue(value);
        }
        ASSERT_TRUE(doc->SaveToFile(folder_.Path("velvicplimsywindows.ini")));
    }
    std::string file = ReadTextFile(folder_.Path("velvicplimsywindows.ini"));
    EXPECT_NE(file.find("name=\"Pasted%01Rule%0B\" escaped=\"name\""), std::string::npos) << file;
    EXPECT_NE(file.find("escaped=\"#text\">Target%1B[1m%01<"), std::string::npos) << file;

    ASSERT_NE(Start(), nullptr);
    Reply r = LookUp(t);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.code, CMD_REPLY_DONE);
    EXPECT_EQ(r.data, TemplateRuleData(name));
}

// The text of the message box a process shows, once it shows one; empty when none comes.
std::string MessageBoxText(DWORD process, HWND& box, DWORD ms) {
    DWORD start = GetTickCount();
    do {
        std::string text;
        box = FindMessageBox(process, [&text](HWND shown) {
            for (HWND c = FindWindowExA(shown, nullptr, "Static", nullptr); c;
                 c = FindWindowExA(shown, c, "Static", nullptr)) {
                char buf[1024] = {};
                SendMessageTimeoutA(c, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf), SMTO_ABORTIFHUNG, 2000,
                                    nullptr);
                text += buf;
            }
            return !text.empty();
        });
        if (box) return text;
        Sleep(50);
    } while (GetTickCount() - start < ms);
    return {};
}

// A user's click on a button of another program.
void ClickButton(HWND button) {
    RECT r{};
    GetWindowRect(button, &r);
    SetCursorPos((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    Sleep(50);
    ClickAtCursor();
}

TEST_F(ControlCenterProgram, AFileItCannotLoadIsNamedInAMessageAndTheStartEnds) {
    struct Case {
        const char* what;
        const char* config;  // nullptr: no file
        const char* library;  // copied as vpwemb.dll; nullptr: none
        const char* named;    // the file the message names
    } cases[] = {
        {"no configuration file", nullptr, "testhook\\vpwemb.dll", "velvicplimsywindows.ini"},
        {"a configuration file that is not XML", "<velvic_windows", "testhook\\vpwemb.dll", "velvicplimsywindows.ini"},
        {"no hook library", "<velvic_windows/>", nullptr, "vpwemb.dll"},
        {"a library without the hook procedure", "<velvic_windows/>", "nohook\\vpwemb.dll", "vpwemb.dll"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CenterFolder folder(false);
        if (c.config) folder.WriteConfig(c.config);
        if (c.library) CopyFileA((ModuleDir() + c.library).c_str(), folder.Path("vpwemb.dll").c_str(), FALSE);
        ChildProcess center(folder.Path(kCenterExe), {}, folder.Dir());
        ASSERT_TRUE(center.Started());
        HWND box = nullptr;
        std::string text = MessageBoxText(center.Id(), box, 15000);
        ASSERT_FALSE(text.empty());
        EXPECT_NE(text.find(folder.Path(c.named)), std::string::npos) << text;
        EXPECT_EQ(center.Wait(300), STILL_ACTIVE) << "it waits for the user";
        HWND ok = FindWindowExA(box, nullptr, "Button", nullptr);
        ASSERT_NE(ok, nullptr);
        ClickButton(ok);
        EXPECT_EQ(center.Wait(10000), 0u);
        EXPECT_EQ(FindWindowA(kHandlerClass, nullptr), nullptr);
        EXPECT_FALSE(MappingExists(HOOK_HANDLE_MAPPING_NAME));
    }
    // Nothing was left behind that keeps the next start from running.
    folder_.WriteConfig(RulesConfig({}));
    EXPECT_NE(Start(), nullptr);
}

TEST_F(ControlCenterProgram, ServedRulesAnimateTheTrayIcon) {
    ChildProcess target(ModuleDir() + WINDOW_OWNER_EXE, {"VpwCcTarget", "Target"});
    HWND t = WaitForWindow("VpwCcTarget", "Target");
    ASSERT_NE(t, nullptr);
    folder_.WriteConfig(RulesConfig({{"Target Rule", "VpwCcTarget"}}));
    ASSERT_NE(Start(), nullptr);
    std::vector<int> seen;
    // Samples the icon for `ms`, or until `until` shows after frame 1.
    auto watch = [&](DWORD ms, int until = -2) {
        DWORD start = GetTickCount();
        do {
            int frame = TrayFrameOnScreen();
            if (seen.empty() || seen.back() != frame) seen.push_back(frame);
            if (frame == until && std::find(seen.begin(), seen.end(), 1) != seen.end()) break;
            Sleep(10);
        } while (GetTickCount() - start < ms);
    };
    // Read off the screen, where the shell draws its own tray window only
    // when no desktop provides one.
    if (TrayFrameOnScreen() < 0) GTEST_SKIP() << "no tray window of the shell's own to look at";
    watch(300);
    EXPECT_EQ(seen, std::vector<int>{0}) << "the default icon while nothing is served";

    // An empty reply does not animate.
    seen.clear();
    EXPECT_EQ(LookUp(GetDesktopWindow()).length, 0);
    watch(400);
    EXPECT_EQ(seen, std::vector<int>{0});

    // Three served rules in quick succession: each restarts at frame 1,
    // whatever frame was showing.
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        seen.clear();
        ASSERT_FALSE(LookUp(t).data.empty());
        DWORD served = GetTickCount();
        if (i < 2)
            watch(400);
        else
            watch(3000, 0);
        auto restart = std::find(seen.begin(), seen.end(), 1);
        ASSERT_NE(restart, seen.end());
        if (i == 2) {
            // After the last one: frames 1, 2 and 3, then the default icon,
            // about a second later (a busy machine may skip a sample).
            std::vector<int> run(restart, seen.end());
            EXPECT_EQ(run.back(), 0);
            EXPECT_TRUE(std::is_sorted(run.begin(), run.end() - 1)) << ::testing::PrintToString(run);
            EXPECT_LT(GetTickCount() - served, 2000u);
            EXPECT_GE(GetTickCount() - served, 700u);
        } else {
            // Still running when the next one comes.
            std::vector<int> run(restart, seen.end());
            EXPECT_TRUE(run == std::vector<int>{1} || run == (std::vector<int>{1, 2})) << run.back();
        }
    }
    seen.clear();
    watch(300);
    EXPECT_EQ(seen, std::vector<int>{0}) << "the default icon stays";
}

TEST_F(ControlCenterProgram, TrayIconFollowsTheSetting) {
    SetTrayIconSetting(0);
    folder_.WriteConfig(RulesConfig({}));
    HWND handler = Start();
    ASSERT_NE(handler, nullptr);
    EXPECT_FALSE(TrayIconShown(handler));
    // A new taskbar brings back only an icon that is enabled.
    SendAndWait(handler, TaskbarCreated());
    EXPECT_FALSE(TrayIconShown(handler));

    SetTrayIconSetting(1);
    Reply r = SendToCenter(CMD_APPLY_SETTINGS);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.code, CMD_REPLY_DONE);
    EXPECT_TRUE(WaitFor(TrayIconShown, handler, true));

    // The shell lost its icons and says so: the icon comes back.
    NOTIFYICONDATAA data{};
    data.cbSize = NOTIFYICONDATAA_V1_SIZE;
    data.hWnd = handler;
    ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
    SendAndWait(handler, TaskbarCreated());
    EXPECT_TRUE(TrayIconShown(handler));

    SetTrayIconSetting(0);
    ASSERT_EQ(SendToCenter(CMD_APPLY_SETTINGS).result, 0);
    EXPECT_TRUE(WaitFor(TrayIconShown, handler, false));

    // A value that is not a number reads as the default: shown.
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_WRITE, &key), ERROR_SUCCESS);
    RegSetValueExA(key, "trayicon", 0, REG_SZ, reinterpret_cast<const BYTE*>("0"), 2);
    RegCloseKey(key);
    ASSERT_EQ(SendToCenter(CMD_APPLY_SETTINGS).result, 0);
    EXPECT_TRUE(WaitFor(TrayIconShown, handler, true));
}

TEST_F(ControlCenterProgram, AHungWindowHoldsUpNeitherServingNorStopping) {
    ChildProcess hung(ModuleDir() + HUNG_WINDOW_EXE, {"VpwCcHung", "Hung"});
    HWND h = WaitForWindow("VpwCcHung", "Hung");
    ASSERT_NE(h, nullptr);
    folder_.WriteConfig(RulesConfig({{"Hung Rule", "VpwCcHung"}}));

    // The first pass asks the hung window to attach; the server still comes up.
    ASSERT_NE(Start(), nullptr);
    Reply r = LookUp(h);
    EXPECT_EQ(r.result, 0);
    EXPECT_EQ(r.data, TemplateRuleData("Hung Rule"));

    // So does a reload, which asks it again.
    ASSERT_EQ(SendToCenter(CMD_RELOAD_CONFIG).result, 0);
    DWORD t0 = GetTickCount();
    EXPECT_EQ(LookUp(h, 5000).result, 0);
    EXPECT_LT(GetTickCount() - t0, 5000u);

    // Its end waits for the windows to take the detach notice, for a hung
    // one no longer than the time a window gets before the system takes it
    // as hung (5 s).
    DWORD stop = GetTickCount();
    ASSERT_EQ(SendToCenter(CMD_STOP_CONTROL_CENTER, {}, 5000).result, 0);
    EXPECT_EQ(center_->Wait(10000), 0u);
    EXPECT_LT(GetTickCount() - stop, 5000u + 1500u);
}

TEST_F(ControlCenterProgram, EndsOnlyWhenTheSessionReallyEnds) {
    folder_.WriteConfig(RulesConfig({}));
    HWND handler = Start();
    ASSERT_NE(handler, nullptr);

    EXPECT_EQ(SendAndWait(handler, WM_QUERYENDSESSION), TRUE);
    SendAndWait(handler, WM_ENDSESSION, FALSE);
    // A cancelled session end changes nothing.
    EXPECT_EQ(center_->Wait(300), STILL_ACTIVE);
    EXPECT_EQ(LookUp(GetDesktopWindow()).result, 0);
    EXPECT_TRUE(TrayIconShown(handler));
    EXPECT_NE(PublishedHookHandle(), 0u);

    SendAndWait(handler, WM_ENDSESSION, TRUE);
    EXPECT_EQ(center_->Wait(10000), 0u);
    EXPECT_FALSE(TrayIconShown(handler));
    EXPECT_FALSE(MappingExists(HOOK_HANDLE_MAPPING_NAME));
}

TEST_F(ControlCenterProgram, MenuCommandsStartTheConfigurationProgramAndClose) {
    // A stand-in for the configuration program: a window of class "VpwTestWindow".
    ASSERT_TRUE(CopyFileA((ModuleDir() + WINDOW_OWNER_EXE).c_str(), folder_.Path("VelvicPlimsyWindowsConfig.exe").c_str(),
                          FALSE));
    folder_.WriteConfig(RulesConfig({}));
    HWND handler = Start();
    ASSERT_NE(handler, nullptr);

    struct Case {
        const char* what;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    } cases[] = {
        {"menu Configure...", WM_COMMAND, 1002, 0},
        {"double click on the icon", WM_TRAYICONNOTIFY, 0, WM_LBUTTONDBLCLK},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        PostMessageA(handler, c.message, c.wParam, c.lParam);
        HWND config = WaitForWindow("VpwTestWindow", nullptr);
        ASSERT_NE(config, nullptr);
        DWORD pid = 0;
        GetWindowThreadProcessId(config, &pid);
        EXPECT_NE(pid, center_->Id());
        PostMessageA(config, WM_CLOSE, 0, 0);
        for (int i = 0; i < 250 && IsWindow(config); ++i) Sleep(20);
        EXPECT_FALSE(IsWindow(config));
    }

    PostMessageA(handler, WM_COMMAND, 1000, 0);
    EXPECT_EQ(center_->Wait(10000), 0u);
}

TEST_F(ControlCenterProgram, HelpWithoutItsFileSaysSoAndNamesTheFile) {
    folder_.WriteConfig(RulesConfig({}));
    HWND handler = Start();
    ASSERT_NE(handler, nullptr);
    ASSERT_EQ(GetFileAttributesA(folder_.Path("VelvicPlimsyWindows.chm").c_str()), INVALID_FILE_ATTRIBUTES);

    PostMessageA(handler, WM_COMMAND, 1003, 0);
    HWND box = nullptr;
    for (int i = 0; i < 250 && !box; ++i) {
        for (HWND w : TopLevelWindows("#32770", center_->Id(), true)) box = w;
        if (!box) Sleep(20);
    }
    ASSERT_NE(box, nullptr) << "the Help command did nothing";
    TMessageBoxView view = ReadMessageBox(box);
    EXPECT_NE(view.text.find("The help file does not exist:"), std::string::npos) << view.text;
    EXPECT_NE(view.text.find("VelvicPlimsyWindows.chm"), std::string::npos) << view.text;
    // The handler window keeps answering while the message is up.
    DWORD_PTR result = 0;
    EXPECT_NE(SendMessageTimeoutA(handler, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &result), 0);
    PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));

    PostMessageA(handler, WM_COMMAND, 1000, 0);
    EXPECT_EQ(center_->Wait(10000), 0u);
}

}  // namespace
