// The whole road across processes: the real control center runs and a test
// program's window is open; the real configuration program adds a rule for
// that window through its panels and saves; the window, never restarted,
// then shows the rule's title button and the button works.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "KeyInput.h"
#include "extender/e2e/EndToEndSupport.h"

#include <commctrl.h>

using namespace vpw;
using namespace vpw::test;

namespace {

constexpr char kConfigExe[] = "VelvicPlimsyWindowsConfig.exe";
// Typed by the test into the class field: lower case only.
constexpr char kRoadClass[] = "vpwroad";

// Another process takes the keys: give it time.
void Key(WORD vk, bool ctrl = false) {
    SendKey(vk, ctrl);
    Sleep(60);
}

void Type(const std::string& text) {
    for (char c : text) Key(static_cast<WORD>(VkKeyScanA(c) & 0xFF));
}

std::string TextOf(HWND w) {
    char text[256] = {};
    SendMessageA(w, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

struct TControlSearch {
    const char* cls;
    std::string text;  // empty: any
    DWORD style;       // all of these bits
    HWND found;
    int top;
};

BOOL CALLBACK SearchControl(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<TControlSearch*>(p);
    char cls[32] = {};
    GetClassNameA(w, cls, sizeof cls);
    if (lstrcmpiA(cls, s->cls) != 0 || !IsWindowVisible(w)) return TRUE;
    if ((GetWindowLongA(w, GWL_STYLE) & s->style) != s->style) return TRUE;
    if (!s->text.empty() && TextOf(w) != s->text) return TRUE;
    RECT r{};
    GetWindowRect(w, &r);
    if (!s->found || r.top < s->top) {
        s->found = w;
        s->top = r.top;
    }
    return TRUE;
}

// The visible control of that class (and text) nearest the top.
HWND FindControl(HWND inside, const char* cls, const std::string& text = {}, DWORD style = 0) {
    TControlSearch search{cls, text, style, nullptr, 0};
    EnumChildWindows(inside, SearchControl, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

POINT MiddleOf(HWND w) {
    RECT r{};
    GetWindowRect(w, &r);
    return Center(r);
}

// The configuration program started from the folder of the system.
struct TConfigRun {
    std::unique_ptr<ChildProcess> process;
    HWND main = nullptr;

    explicit TConfigRun(const std::string& dir) {
        process = std::make_unique<ChildProcess>(dir + kConfigExe, std::vector<std::string>{}, dir);
        WaitUntil([&] { return (main = FindWindowA("TCBAppForm", nullptr)) != nullptr && IsWindowVisible(main); },
                  15000);
    }
    ~TConfigRun() {
        if (main && IsWindow(main)) PostMessageA(main, WM_CLOSE, 0, 0);
        process->Wait(10000);
    }
    HWND Detail() const { return GetDlgItem(main, 105); }
    void Activate() const {
        SetForegroundWindow(main);
        WaitUntil([&] { return GetForegroundWindow() == main; }, 3000);
    }
};

}  // namespace

// The control center and the test program's window, open before any rule
// names it; then the configuration program, which adds a rule for it.
class RoadTest : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteRuleState("Window Rule 1");
        ASSERT_TRUE(system_.Copied());
        ASSERT_TRUE(CopyFileA((Bin() + kConfigExe).c_str(), (system_.Dir() + kConfigExe).c_str(), FALSE));
        ASSERT_TRUE(system_.StartCenter());
        target_ = StartTarget(TARGET_DIR_FROM_TESTS, {"open", kRoadClass, "Road target"});
        window_ = WaitForWindow(kRoadClass, nullptr);
        ASSERT_NE(window_, nullptr);
        SetWindowPos(window_, nullptr, 620, 80, 360, 240, SWP_NOZORDER | SWP_NOACTIVATE);
        ASSERT_TRUE(WaitUntil([&] { return QueryTarget(window_, kQueryLibraryLoaded) == 1; }, 10000));
        Sleep(500);
        ASSERT_EQ(QueryTarget(window_, kQueryAttached), 0) << "no rule names it yet";
        before_ = std::make_unique<TScreenShot>(ExpectedButton(window_));

        config_ = std::make_unique<TConfigRun>(system_.Dir());
        ASSERT_NE(config_->main, nullptr);
        SetWindowPos(config_->main, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        config_->Activate();
        Key('A', true);  // add a rule: its panel is shown
        HWND classCombo = nullptr;
        ASSERT_TRUE(WaitUntil(
            [&] { return (classCombo = FindControl(Detail(), "ComboBox", "", CBS_DROPDOWN)) != nullptr; }, 10000));
        Click(MiddleOf(classCombo));
        Type(kRoadClass);
    }
    void TearDown() override {
        config_.reset();
        if (window_ && IsWindow(window_)) PostMessageA(window_, WM_CLOSE, 0, 0);
        if (target_) target_->Wait(10000);
        DeleteRuleState("Window Rule 1");
    }

    HWND Detail() const { return config_->Detail(); }
    // Clicks a switch or choice of the panels by its caption.
    void Switch(const std::string& caption) {
        HWND button = FindControl(Detail(), "Button", caption);
        ASSERT_NE(button, nullptr) << caption;
        Click(MiddleOf(button));
        // The other process handles the click in its own time.
        EXPECT_TRUE(WaitUntil([&] { return SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED; }, 3000))
            << caption;
    }
    // Picks a tab the way a user does with the keyboard: a click on the
    // first tab, then the arrow keys.
    void ShowTab(int index) {
        HWND tabs = FindControl(Detail(), WC_TABCONTROLA);
        ASSERT_NE(tabs, nullptr);
        RECT strip{};
        GetWindowRect(tabs, &strip);
        Click(POINT{strip.left + 20, strip.top + 10});
        for (int i = 0; i < index; ++i) Key(VK_RIGHT);
        ASSERT_TRUE(WaitUntil([&] { return SendMessageA(tabs, TCM_GETCURSEL, 0, 0) == index; }, 3000));
    }
    void SaveAndWaitForTheWindow() {
        config_->Activate();
        Key('S', true);
        ASSERT_TRUE(WaitUntil([&] { return QueryTarget(window_, kQueryAttached) >= 1; }, 10000));
        Sleep(500);
        EXPECT_FALSE(TScreenShot(ExpectedButton(window_)).SameAs(*before_)) << "the button is drawn";
    }

    TSystemFolder system_{Bin(), RulesConfig({})};
    std::unique_ptr<ChildProcess> target_;
    HWND window_ = nullptr;
    std::unique_ptr<TScreenShot> before_;
    std::unique_ptr<TConfigRun> config_;
};

TEST_F(RoadTest, StayOnTopTitleButton) {
    Switch("Stay on Top");
    SaveAndWaitForTheWindow();
    RECT shot{0, 0, 1000, 480};
    TScreenShot(shot).SaveBitmap(ModuleDir() + "config-and-extended-window.bmp");

    EXPECT_FALSE(Topmost(window_));
    Click(Center(ExpectedButton(window_)));
    EXPECT_TRUE(WaitUntil([&] { return Topmost(window_); }, 5000));
}

TEST_F(RoadTest, RollupTitleButtonAndMinimizeToTray) {
    Switch("Roll up");
    ShowTab(1);  // "Minimizing options"
    Switch("Minimize To Tray");
    Switch("Permanent tray icon");
    SaveAndWaitForTheWindow();
    // The file holds what the switches wrote.
    std::ifstream file(system_.Dir() + "velvicplimsywindows.ini", std::ios::binary);
    std::string saved((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    for (const char* written : {"<param name=\"action_name\">MinToTrayForMinimizeEvent</param>",
                                "<param name=\"permanent_tray_icon\">yes</param>",
                                "<param name=\"window_class_name\">vpwroad</param>"})
        EXPECT_NE(saved.find(written), std::string::npos) << written;

    RECT open{};
    GetWindowRect(window_, &open);
    Click(Center(ExpectedButton(window_)));
    RECT rolled{};
    EXPECT_TRUE(WaitUntil(
        [&] {
            GetWindowRect(window_, &rolled);
            return rolled.bottom - rolled.top < 60;
        },
        5000))
        << "rolled up to its title bar";
    EXPECT_EQ(rolled.top, open.top);

    // The minimise button now sends the window to the tray.
    POINT minimize{};
    int y = TitleBar(window_).y;
    for (int x = rolled.right - 1; x > rolled.left && !minimize.x; --x)
        if (HitTest(window_, x, y) == HTMINBUTTON) minimize = POINT{x - 4, y};
    ASSERT_NE(minimize.x, 0);
    Click(minimize);
    EXPECT_TRUE(WaitUntil([&] { return !IsWindowVisible(window_); }, 5000)) << "hidden in the tray";
}
