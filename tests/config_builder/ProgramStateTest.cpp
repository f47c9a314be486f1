// The real configuration program: what it remembers between runs (window
// placement, tree width, tool-bar layout, language) and what its options
// dialog does to a running control center.
#include <gtest/gtest.h>

#include "ConfigProgramTestSupport.h"

namespace vpw::test {
namespace {

constexpr char kLayoutKey[] = "SOFTWARE\\Velvic Tools\\Velvic Plimsy Windows\\Velvic Windows";
constexpr char kFormKey[] = "SOFTWARE\\Velvic Tools\\Velvic Plimsy Windows\\Velvic Windows\\TCBAppForm";
constexpr char kRunKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kSettings[] = "SOFTWARE\\Velvic Tools\\Velvic Plimsy Windows";
constexpr int kSplitterId = 104;
// Options page controls.
constexpr int kLoadAtStartupId = 1001, kEnableTrayIconId = 1002, kLanguageComboId = 1004;

std::string RegText(const char* key, const char* name) {
    char buf[512] = {};
    DWORD size = sizeof buf - 1, type = 0;
    HKEY k = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_READ, &k) != ERROR_SUCCESS) return "<missing>";
    LONG rc = RegQueryValueExA(k, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(k);
    return rc == ERROR_SUCCESS && type == REG_SZ ? std::string(buf) : "<missing>";
}

void SetRegText(const char* key, const char* name, const std::string& value) {
    HKEY k = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_WRITE, nullptr, &k, nullptr);
    RegSetValueExA(k, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(k);
}

RECT RectIn(HWND window, HWND parent) {
    RECT r{};
    GetWindowRect(window, &r);
    MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

bool Same(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

bool Near(const RECT& a, const RECT& b) {
    auto close = [](LONG x, LONG y) { return x - y <= 4 && y - x <= 4; };
    return a.top == b.top && a.bottom == b.bottom && close(a.left, b.left) && close(a.right, b.right);
}

std::string Show(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

void Drag(POINT from, POINT to) {
    MoveMouse(from);
    Sleep(50);
    SendMouse(MOUSEEVENTF_LEFTDOWN);
    Sleep(50);
    MoveMouse(POINT{from.x + (to.x - from.x) / 2, from.y + (to.y - from.y) / 2});
    MoveMouse(to);
    Sleep(50);
    SendMouse(MOUSEEVENTF_LEFTUP);
    Sleep(200);
}

// What the layout looks like: the window, the tree and the two bars.
struct Layout {
    RECT window, tree, menuBar, toolBar;
};

Layout LayoutOf(ConfigProgram& program) {
    HWND bar = GetParent(program.MenuBar());
    Layout l{};
    GetWindowRect(program.Main(), &l.window);
    l.tree = RectIn(program.Tree(), program.Main());
    l.menuBar = RectIn(program.MenuBar(), bar);
    l.toolBar = RectIn(program.ToolBar(), bar);
    return l;
}

void CloseProgram(ConfigProgram& program) {
    PostMessageA(program.Main(), WM_CLOSE, 0, 0);
    EXPECT_EQ(program.Process().Wait(15000), 0u);
}

// Opens a menu-bar menu with a real click and takes its last item with
// the keyboard (another process cannot read a menu's items under Wine).
void ChooseLastMenuItem(ConfigProgram& program, const std::string& menu) {
    program.Activate();
    program.ClickButton(program.MenuBar(), program.MenuButton(menu));
    ASSERT_TRUE(WaitUntil([&] { return TopLevelOf(program.Process().Id(), "#32768") != nullptr; }));
    Sleep(200);
    Key(VK_UP);
    Key(VK_RETURN);
}

HWND WaitForOptions(ConfigProgram& program) {
    HWND dialog = nullptr;
    WaitUntil([&] { return (dialog = TopLevelOf(program.Process().Id(), "VPW_DialogForm")) != nullptr; });
    if (dialog) Sleep(200);
    return dialog;
}

struct WantedControl {
    int id;
    HWND found;
};

BOOL CALLBACK FindControl(HWND window, LPARAM param) {
    auto* want = reinterpret_cast<WantedControl*>(param);
    if (GetDlgCtrlID(window) != want->id) return TRUE;
    want->found = window;
    return FALSE;
}

// A control anywhere inside the dialog (the page's controls sit in a frame).
HWND PageControl(HWND dialog, int id) {
    WantedControl want{id, nullptr};
    EnumChildWindows(dialog, FindControl, reinterpret_cast<LPARAM>(&want));
    return want.found;
}

void ClickIn(HWND dialog, int id) {
    SetForegroundWindow(dialog);
    Click(CenterOf(PageControl(dialog, id)));
    Sleep(100);
}

bool Checked(HWND dialog, int id) { return SendMessageA(PageControl(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

class ProgramState : public ::testing::Test {
protected:
    void SetUp() override { Clean(); }
    void TearDown() override { Clean(); }
    static void Clean() {
        RegDeleteTreeA(HKEY_CURRENT_USER, kLayoutKey);
        HKEY k = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &k) == ERROR_SUCCESS) {
            RegDeleteValueA(k, "Velvic Plimsy Windows");
            RegCloseKey(k);
        }
        if (RegOpenKeyExA(HKEY_CURRENT_USER, kSettings, 0, KEY_SET_VALUE, &k) == ERROR_SUCCESS) {
            RegDeleteValueA(k, "Language");
            RegCloseKey(k);
        }
        SetTrayIconSetting(-1);
    }
};

}  // namespace

TEST_F(ProgramState, PlacementTreeWidthAndToolBarsComeBackAfterARestart) {
    ConfigFolder folder;
    folder.WriteConfig(RulesConfig({{"Window Rule 1", "ClassOne"}}));
    Layout before{};
    {
        ConfigProgram program(folder);
        ASSERT_TRUE(program.WaitForWindow());
        Layout first = LayoutOf(program);
        EXPECT_GT(first.toolBar.top, first.menuBar.top) << "two rows at first";

        SetWindowPos(program.Main(), nullptr, 40, 30, 700, 520, SWP_NOZORDER);
        program.Activate();
        // Wider tree: the splitter dragged to the right.
        HWND splitter = GetDlgItem(program.Main(), kSplitterId);
        POINT grip = CenterOf(splitter);
        Drag(grip, POINT{grip.x + 90, grip.y});
        // The tool bar dragged by its gripper up beside the menu bar.
        RECT tool{}, menu{};
        GetWindowRect(program.ToolBar(), &tool);
        GetWindowRect(program.MenuBar(), &menu);
        Drag(POINT{tool.left - 6, (tool.top + tool.bottom) / 2}, POINT{menu.right + 60, (menu.top + menu.bottom) / 2});

        before = LayoutOf(program);
        EXPECT_GT(before.tree.right - before.tree.left, first.tree.right - first.tree.left + 60);
        EXPECT_LT(before.toolBar.top, before.menuBar.bottom) << "now in the menu bar's row";
        EXPECT_GT(before.toolBar.left, before.menuBar.left);
        CloseProgram(program);
    }
    // The nine values of the layout, as decimal texts beside the placement.
    for (const char* name : {"TreeView_Width", "MenuToolBar_Height", "MenuToolBar_Left", "MenuToolBar_Top",
                             "MenuToolBar_Width", "ToolBarToolBar_Top", "ToolBarToolBar_Width",
                             "ToolBarToolBar_Left", "ToolBarToolBar_Height", "NormPos", "FormVersion"})
        EXPECT_NE(RegText(kFormKey, name), "<missing>") << name;
    EXPECT_EQ(RegText(kFormKey, "TreeView_Width"), std::to_string(before.tree.right - before.tree.left));

    ConfigProgram again(folder);
    ASSERT_TRUE(again.WaitForWindow());
    Layout after = LayoutOf(again);
    EXPECT_TRUE(Same(after.window, before.window)) << Show(after.window) << " vs " << Show(before.window);
    EXPECT_TRUE(Same(after.tree, before.tree)) << Show(after.tree) << " vs " << Show(before.tree);
    // Same rows and order; the control bar keeps every band at least as wide
    // as its bar's buttons, which may move a dragged bar by a few pixels.
    EXPECT_TRUE(Near(after.menuBar, before.menuBar)) << Show(after.menuBar) << " vs " << Show(before.menuBar);
    EXPECT_TRUE(Near(after.toolBar, before.toolBar)) << Show(after.toolBar) << " vs " << Show(before.toolBar);
    CloseProgram(again);
}

TEST_F(ProgramState, APlacementOffEveryScreenOpensCentred) {
    ConfigFolder folder;
    folder.WriteConfig(RulesConfig({}));
    SetRegText(kFormKey, "FormVersion", "0");
    SetRegText(kFormKey, "NormPos", "-5000,-5000,-4300,-4480");
    ConfigProgram program(folder);
    ASSERT_TRUE(program.WaitForWindow());
    RECT r{};
    GetWindowRect(program.Main(), &r);
    EXPECT_EQ(r.left, (GetSystemMetrics(SM_CXSCREEN) - 608) / 2);
    EXPECT_EQ(r.top, (GetSystemMetrics(SM_CYSCREEN) - 467) / 2);
    EXPECT_EQ(r.right - r.left, 608);
    CloseProgram(program);
}

TEST_F(ProgramState, OptionsSwitchTheRunningControlCentersTrayIcon) {
    ConfigFolder folder(true);
    folder.WriteConfig(RulesConfig({}));
    ChildProcess center(folder.Path(kCenterExe), {}, folder.Dir());
    HWND handler = WaitForWindow(kHandlerClass, nullptr, 15000);
    ASSERT_TRUE(handler);
    ASSERT_TRUE(WaitUntilServing());
    ASSERT_TRUE(WaitFor(TrayIconShown, handler, true));

    ConfigProgram program(folder);
    ASSERT_TRUE(program.WaitForWindow());
    ChooseLastMenuItem(program, "Actions");  // Options...
    HWND dialog = WaitForOptions(program);
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(Checked(dialog, kEnableTrayIconId));
    EXPECT_FALSE(Checked(dialog, kLoadAtStartupId));
    ClickIn(dialog, kEnableTrayIconId);
    ClickIn(dialog, kLoadAtStartupId);
    ClickIn(dialog, IDOK);
    EXPECT_TRUE(WaitFor(TrayIconShown, handler, false, 10000)) << "command 4 hides the icon";
    EXPECT_EQ(RegText(kRunKey, "Velvic Plimsy Windows"), "\"" + folder.Path(kCenterExe) + "\"");

    ChooseLastMenuItem(program, "Actions");  // Options...
    dialog = WaitForOptions(program);
    ASSERT_TRUE(dialog);
    EXPECT_TRUE(Checked(dialog, kLoadAtStartupId)) << "the quoted value counts as on";
    ClickIn(dialog, kEnableTrayIconId);
    ClickIn(dialog, kLoadAtStartupId);
    ClickIn(dialog, IDOK);
    EXPECT_TRUE(WaitFor(TrayIconShown, handler, true, 10000)) << "and shows it again";
    EXPECT_EQ(RegText(kRunKey, "Velvic Plimsy Windows"), "<missing>");

    CloseProgram(program);
    SendToCenter(CMD_STOP_CONTROL_CENTER);
    center.Wait(15000);
}

TEST_F(ProgramState, AChosenLanguageShowsAfterTheNextStart) {
    ConfigFolder folder;
    folder.WriteConfig(RulesConfig({}));
    CreateDirectoryA(folder.Path("Languages").c_str(), nullptr);
    WriteTextFile(folder.Path("Languages\\nl.lng"),
                  "<?xml version=\"1.0\"?>\r\n<language id=\"nl\" name=\"Dutch\" original_name=\"Nederlands\">"
                  "<strings><string name=\"AppRootNodeCaption\">Vensterregels</string></strings></language>\r\n");
    {
        ConfigProgram program(folder);
        ASSERT_TRUE(program.WaitForWindow());
        ChooseLastMenuItem(program, "Actions");  // Options...
        HWND dialog = WaitForOptions(program);
        ASSERT_TRUE(dialog);
        HWND combo = PageControl(dialog, kLanguageComboId);
        ClickIn(dialog, kLanguageComboId);
        Sleep(200);
        // The built-in English is no file; the list holds the one language.
        Key(VK_DOWN);
        Key(VK_RETURN);
        Sleep(100);
        EXPECT_EQ(SendMessageA(combo, CB_GETCURSEL, 0, 0), 0);
        ClickIn(dialog, IDOK);
        EXPECT_TRUE(WaitUntil([] { return RegText(kSettings, "Language") == "nl"; }));
        EXPECT_EQ(program.ItemText(program.Root()), "Window Rules") << "not before a restart";
        CloseProgram(program);
    }
    ConfigProgram again(folder);
    ASSERT_TRUE(again.WaitForWindow());
    EXPECT_EQ(again.ItemText(again.Root()), "Vensterregels");
    CloseProgram(again);
}

}  // namespace vpw::test
