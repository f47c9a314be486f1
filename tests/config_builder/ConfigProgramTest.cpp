// The real configuration program in a process of its own, driven through its
// controls' messages, real clicks and real keys.
#include <gtest/gtest.h>

#include "ConfigProgramTestSupport.h"

namespace vpw::test {
namespace {

const std::string kTwoRules = RulesConfig({{"Window Rule 1", "ClassOne"}, {"Window Rule 3", "ClassThree"}});

// The text of the rule's own "enabled" parameter in a saved file.
std::string SavedEnabled(const std::string& config, const std::string& rule) {
    std::string xml = RuleXml(config, rule);
    const std::string tag = "<param name=\"enabled\">";
    std::size_t at = xml.find(tag);
    if (at == std::string::npos) return "(none)";
    at += tag.size();
    return xml.substr(at, xml.find('<', at) - at);
}

TEST(ConfigProgram, ShowsTheRulesOfTheFileUnderTheRootNode) {
    ConfigFolder folder;
    folder.WriteConfig(kTwoRules);
    ConfigProgram program(folder);
    ASSERT_TRUE(program.WaitForWindow());

    EXPECT_EQ(program.ItemText(program.Root()), "Window Rules");
    EXPECT_EQ(program.RuleNames(), (std::vector<std::string>{"Window Rule 1", "Window Rule 3"}));
    RECT window{};
    GetWindowRect(program.Main(), &window);
    EXPECT_EQ(window.right - window.left, 608);
    EXPECT_EQ(window.bottom - window.top, 467);
    EXPECT_EQ(program.ButtonText(program.MenuBar(), program.MenuButton("Window Rule")), "Window Rule")
        << "captions are translated after the buttons exist";
    EXPECT_FALSE(program.ToolEnabled(kSaveImage)) << "nothing changed yet";
    EXPECT_TRUE(program.ToolEnabled(kAddImage));

    // The picture of the README: a rule selected, its panel beside the tree.
    program.Activate();
    program.ClickItem(program.RuleItem("Window Rule 1"));
    ASSERT_TRUE(WaitUntil([&] { return program.Selected() == program.RuleItem("Window Rule 1"); }));
    Sleep(500);
    TScreenShot shot(window);
    shot.SaveBitmap(ModuleDir() + "config-main-window.bmp");
}

TEST(ConfigProgram, AddFillsTheFirstGapAndDeleteAsksFirst) {
    ConfigFolder folder;
    folder.WriteConfig(kTwoRules);
    ConfigProgram program(folder);
    ASSERT_TRUE(program.Start());

    program.ClickItem(program.Root());
    ASSERT_TRUE(WaitUntil([&] { return program.Selected() == program.Root(); }));
    EXPECT_TRUE(WaitUntil([&] { return !program.ToolEnabled(kDeleteImage); })) << "the root is no rule";

    program.ClickTool(kAddImage);
    ASSERT_TRUE(WaitUntil([&] { return program.RuleNames().size() == 3; }));
    EXPECT_EQ(program.RuleNames(), (std::vector<std::string>{"Window Rule 1", "Window Rule 3", "Window Rule 2"}));
    EXPECT_EQ(program.Selected(), program.RuleItem("Window Rule 2"));
    EXPECT_TRUE(WaitUntil([&] { return program.ToolEnabled(kSaveImage); }));
    EXPECT_TRUE(WaitUntil([&] { return program.ToolEnabled(kDeleteImage); }));

    program.ClickTool(kDeleteImage);
    HWND question = program.WaitForMessageBox();
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(program.MessageText(question), "Are you sure you want to delete the Window Rule \"Window Rule 2\"?");
    ConfigProgram::Answer(question, IDNO);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(question); }));
    EXPECT_EQ(program.RuleNames().size(), 3u) << "No keeps the rule";

    program.ClickTool(kDeleteImage);
    question = program.WaitForMessageBox();
    ASSERT_NE(question, nullptr);
    ConfigProgram::Answer(question, IDYES);
    EXPECT_TRUE(WaitUntil([&] { return program.RuleNames().size() == 2; }));
    EXPECT_EQ(program.Selected(), program.RuleItem("Window Rule 3")) << "the node above is selected";
    EXPECT_EQ(folder.Config(), kTwoRules) << "nothing is written before saving";
}

TEST(ConfigProgram, SaveWritesTheFileAndCtrlSSavesToo) {
    ConfigFolder folder;
    folder.WriteConfig(kTwoRules);
    ConfigProgram program(folder);
    ASSERT_TRUE(program.Start());

    ASSERT_TRUE(program.AddRule());
    program.ClickTool(kSaveImage);
    EXPECT_TRUE(WaitUntil([&] { return !program.ToolEnabled(kSaveImage); }));
    std::string saved = folder.Config();
    EXPECT_NE(RuleXml(saved, "Window Rule 2"), "");
    EXPECT_EQ(saved.find("<menu"), std::string::npos) << "the commands are not written";

    ASSERT_TRUE(program.AddRule());
    program.PressCtrlS();
    EXPECT_TRUE(WaitUntil([&] { return !program.ToolEnabled(kSaveImage); }));
    EXPECT_NE(RuleXml(folder.Config(), "Window Rule 4"), "");
}

TEST(ConfigProgram, ClosingWithChangesAsks) {
    ConfigFolder folder;
    folder.WriteConfig(kTwoRules);
    ConfigProgram program(folder);
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.AddRule());

    HWND question = program.AskToClose();
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(program.MessageText(question), "Save changes?");
    ConfigProgram::Answer(question, IDCANCEL);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(question); }));
    EXPECT_FALSE(program.Exited(500)) << "Cancel keeps the window";
    EXPECT_TRUE(IsWindowVisible(program.Main()));
    EXPECT_EQ(program.RuleNames().size(), 3u) << "and the changes";

    question = program.AskToClose();
    ASSERT_NE(question, nullptr);
    ConfigProgram::Answer(question, IDNO);
    EXPECT_TRUE(program.Exited());
    EXPECT_EQ(folder.Config(), kTwoRules) << "No closes without writing";
}

TEST(ConfigProgram, AFailedSaveIsToldAndKeepsTheWindowAndTheChanges) {
    ConfigFolder folder;
    folder.WriteConfig(kTwoRules);
    // The file is written beside the old one first; a folder in that place
    // makes the write fail.
    CreateDirectoryA(folder.Path(std::string(kConfigFile) + ".new").c_str(), nullptr);
    ConfigProgram program(folder);
    ASSERT_TRUE(program.Start());
    ASSERT_TRUE(program.AddRule());

    program.ClickTool(kSaveImage);
    HWND message = program.WaitForMessageBox();
    ASSERT_NE(message, nullptr);
    EXPECT_NE(program.MessageText(message).find(folder.Path(kConfigFile)), std::string::npos)
        << program.MessageText(message);
    ConfigProgram::Answer(message, IDOK);
    ASSERT_TRUE(WaitUntil([&] { return !IsWindow(message); }));
    EXPECT_TRUE(program.ToolEnabled(kSaveImage)) << "still modified";
    EXPECT_EQ(folder.Config(), kTwoRules);

    // Yes to the close question saves, fails again, and the window stays.
    HWND question = program.AskToClose();
    ASSERT_NE(question, nullptr);
    ConfigProgram::Answer(question, IDYES);
    message = nullptr;
    ASSERT_TRUE(WaitUntil([&] {
        HWND box = program.WaitForMessageBox(100);
        if (box && box != question) message = box;
        return message != nullptr;
    }));
    ConfigProgram::Answer(message, IDOK);
    EXPECT_FALSE(program.Exited(1000));
    EXPECT_TRUE(IsWindowVisible(program.Main()));

    // Closing again asks again.
    question = program.AskToClose();
    ASSERT_NE(question, nullptr);
    EXPECT_EQ(program.MessageText(question), "Save changes?");
    ConfigProgram::Answer(question, IDNO);
    EXPECT_TRUE(program.Exited());
}

TEST(ConfigProgram, StateIconClickTogglesTheRule) {
    ConfigFolder folder;
    folder.WriteConfig(kTwoRules);
    ConfigProgram program(folder);
    ASSERT_TRUE(program.Start());
    HTREEITEM rule = program.RuleItem("Window Rule 3");
    ASSERT_NE(rule, nullptr);
    EXPECT_EQ(program.StateIndex(rule), 2) << "enabled";

    POINT icon{};
    ASSERT_TRUE(program.StateIconPoint(rule, icon));
    Click(icon);
    EXPECT_TRUE(WaitUntil([&] { return program.StateIndex(rule) == 1; }));
    program.PressCtrlS();
    ASSERT_TRUE(WaitUntil([&] { return SavedEnabled(folder.Config(), "Window Rule 3") == "no"; }));
    EXPECT_NE(SavedEnabled(folder.Config(), "Window Rule 1"), "no");

    Click(icon);
    EXPECT_TRUE(WaitUntil([&] { return program.StateIndex(rule) == 2; }));
}

TEST(ConfigProgram, ASecondInstanceEndsAndTheFirstComesToTheFront) {
    ConfigFolder folder;
    folder.WriteConfig(kTwoRules);
    ConfigProgram first(folder);
    ASSERT_TRUE(first.WaitForWindow());
    // Something else in front.
    THostWindow other(20, 20, 200, 150);
    Click(CenterOf(other.Get()));
    ASSERT_TRUE(PumpUntil([&] { return GetForegroundWindow() == other.Get(); }, 3000));

    ConfigProgram second(folder);
    EXPECT_TRUE(second.Exited());
    EXPECT_EQ(TopLevelOf(second.Process().Id(), "TCBAppForm"), nullptr);
    EXPECT_TRUE(WaitUntil([&] { return GetForegroundWindow() == first.Main(); }, 5000));
}

TEST(ConfigProgram, AMissingFileStartsEmptyAndTheFirstSaveCreatesIt) {
    ConfigFolder folder;
    ASSERT_FALSE(folder.HasConfig());
    ConfigProgram program(folder);
    ASSERT_TRUE(program.Start());
    EXPECT_TRUE(program.RuleNames().empty());
    ASSERT_TRUE(program.AddRule());
    program.PressCtrlS();
    ASSERT_TRUE(WaitUntil([&] { return folder.HasConfig(); }));
    EXPECT_NE(RuleXml(folder.Config(), "Window Rule 1"), "");
}

TEST(ConfigProgram, AnUnreadableFileIsToldAndLeftAsItWas) {
    ConfigFolder folder;
    const std::string broken = "<velvic_windows><window_rules>not closed";
    folder.WriteConfig(broken);
    ConfigProgram program(folder);
    HWND message = program.WaitForMessageBox();
    ASSERT_NE(message, nullptr);
    EXPECT_NE(program.MessageText(message).find(folder.Path(kConfigFile)), std::string::npos);
    EXPECT_EQ(TopLevelOf(program.Process().Id(), "TCBAppForm"), nullptr);
    ConfigProgram::Answer(message, IDOK);
    EXPECT_TRUE(program.Exited());
    EXPECT_EQ(folder.Config(), broken);
}

// Drops the menu-bar button's menu down and picks the n-th item by keys.
void ChooseFromMenu(ConfigProgram& program, const std::string& menu, int item) {
    program.Activate();
    program.ClickButton(program.MenuBar(), program.MenuButton(menu));
    ASSERT_TRUE(WaitUntil([&] { return TopLevelOf(program.Process().Id(), "#32768") != nullptr; }));
    for (int i = 0; i < item; ++i) Key(VK_DOWN);
    Key(VK_RETURN);
    ASSERT_TRUE(WaitUntil([&] { return TopLevelOf(program.Process().Id(), "#32768") == nullptr; }));
}

TEST(ConfigProgram, MenuBarGroupsDropTheirCommandsDown) {
    ConfigFolder folder(true);
    folder.WriteConfig(kTwoRules);
    ConfigProgram program(folder);
    ASSERT_TRUE(program.WaitForWindow());
    ASSERT_FALSE(MappingExists("{FBFD34BB-9B49-4F63-BB25-315BCAAFBA5B}")) << "a control center runs already";

    ChooseFromMenu(program, "Window Rule", 1);  // Add rule
    EXPECT_TRUE(WaitUntil([&] { return program.RuleNames().size() == 3; }));

    ChooseFromMenu(program, "Actions", 1);  // Launch
    EXPECT_TRUE(WaitUntilServing()) << "the control center was started beside the program";
    ChooseFromMenu(program, "Actions", 2);  // Stop
    EXPECT_TRUE(WaitUntil([] { return !MappingExists("{FBFD34BB-9B49-4F63-BB25-315BCAAFBA5B}"); }, 15000));
}

TEST(ConfigProgram, HelpWithoutItsFileSaysSoAndNamesTheFile) {
    ConfigFolder folder;
    folder.WriteConfig(kTwoRules);
    ConfigProgram program(folder);
    ASSERT_TRUE(program.Start());
    const std::string help = folder.Path("VelvicPlimsyWindows.chm");
    ASSERT_EQ(GetFileAttributesA(help.c_str()), INVALID_FILE_ATTRIBUTES);
    struct Case {
        const char* what;
        bool byKey;
    } cases[] = {{"F1", true}, {"Help, Contents", false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (c.byKey) {
            program.Activate();
            Key(VK_F1);
        } else {
            ChooseFromMenu(program, "&Help", 1);
        }
        HWND message = program.WaitForMessageBox(5000);
        EXPECT_NE(message, nullptr) << "the Help command did nothing";
        if (!message) continue;
        EXPECT_NE(program.MessageText(message).find("The help file does not exist:"), std::string::npos);
        EXPECT_NE(program.MessageText(message).find(help), std::string::npos) << program.MessageText(message);
        ConfigProgram::Answer(message, IDOK);
        ASSERT_TRUE(WaitUntil([&] { return !IsWindow(message); }));
    }
}

// A window of this process with its own class, for the control center to
// look rules up for.
class ClassWindow {
public:
    explicit ClassWindow(const char* cls) {
        WNDCLASSA wc{};
        wc.lpfnWndProc = DefWindowProcA;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = cls;
        RegisterClassA(&wc);
        window_.Reset(CreateWindowExA(0, cls, cls, WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr, nullptr,
                                      wc.hInstance, nullptr));
    }
    HWND Get() const { return window_.Get(); }

private:
    TWindow window_;
};

TEST(ConfigProgram, ARuleTurnedOffAndSavedStopsApplyingInTheRunningControlCenter) {
    ConfigFolder folder(true);
    folder.WriteConfig(RulesConfig({{"Rule A", "VPW_CB_ClassA"}, {"Rule B", "VPW_CB_ClassB"}}));
    ClassWindow a("VPW_CB_ClassA"), b("VPW_CB_ClassB");
    ChildProcess center(folder.Path(kCenterExe), {}, folder.Dir());
    ASSERT_TRUE(WaitUntilServing());
    // It asks this process's windows to attach, so the waits pump.
    auto answer = [](HWND window) {
        Reply reply = LookUp(window);
        return reply.result == 0 ? reply.data : std::string("(no answer)");
    };
    ASSERT_TRUE(PumpUntil([&] { return answer(a.Get()).find("Rule A") != std::string::npos; }, 5000));
    ASSERT_TRUE(PumpUntil([&] { return answer(b.Get()).find("Rule B") != std::string::npos; }, 5000));

    ConfigProgram program(folder);
    ASSERT_TRUE(program.Start());
    HTREEITEM rule = program.RuleItem("Rule A");
    POINT icon{};
    ASSERT_TRUE(program.StateIconPoint(rule, icon));
    Click(icon);
    ASSERT_TRUE(WaitUntil([&] { return program.StateIndex(rule) == 1; }));
    program.PressCtrlS();

    // The control center reloads and answers for the other window as before.
    EXPECT_TRUE(PumpUntil([&] { return answer(a.Get()).empty(); }, 15000));
    EXPECT_TRUE(PumpUntil([&] { return answer(b.Get()).find("Rule B") != std::string::npos; }, 5000));
    SendToCenter(CMD_STOP_CONTROL_CENTER);
    EXPECT_NE(center.Wait(10000), static_cast<DWORD>(STILL_ACTIVE));
}

}  // namespace
}  // namespace vpw::test
