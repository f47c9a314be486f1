// Helpers of the tests that run the real configuration program: a folder of
// its own with the program and a configuration file, its controls found by
// their ids, and the controls' messages sent with buffers in its process.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "CBTestSupport.h"
#include "WinTestSupport.h"
#include "control_center/ControlCenterTestSupport.h"

namespace vpw::test {

inline constexpr char kConfigExe[] = "VelvicPlimsyWindowsConfig.exe";
inline constexpr char kConfigFile[] = "velvicplimsywindows.ini";
// Control ids of the main window.
inline constexpr int kControlBarId = 100, kMenuBarId = 101, kToolBarId = 102, kTreeId = 103, kDetailId = 105;
// Image indexes of the tool-bar commands.
inline constexpr int kSaveImage = 0, kAddImage = 1, kDeleteImage = 2;

inline bool WaitUntil(const std::function<bool()>& condition, DWORD ms = 10000) {
    DWORD start = GetTickCount();
    do {
        if (condition()) return true;
        Sleep(20);
    } while (GetTickCount() - start < ms);
    return condition();
}

// A block of memory in another process, for control messages that carry
// pointers.
class RemoteBuffer {
public:
    RemoteBuffer(HANDLE process, std::size_t size) : process_(process), size_(size) {
        address_ = VirtualAllocEx(process, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    ~RemoteBuffer() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;

    LPARAM Param(std::size_t offset = 0) const { return reinterpret_cast<LPARAM>(static_cast<char*>(address_) + offset); }
    void Write(const void* data, std::size_t size, std::size_t offset = 0) {
        WriteProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, nullptr);
    }
    void Read(void* data, std::size_t size, std::size_t offset = 0) const {
        ReadProcessMemory(process_, static_cast<char*>(address_) + offset, data, size, nullptr);
    }
    template <class T>
    T Get(std::size_t offset = 0) const {
        T value{};
        Read(&value, sizeof value, offset);
        return value;
    }
    std::string Text(std::size_t offset, std::size_t max) const {
        std::vector<char> buf(max + 1, 0);
        Read(buf.data(), max, offset);
        return buf.data();
    }

private:
    HANDLE process_;
    std::size_t size_;
    void* address_ = nullptr;
};

// Alt+F4, as a user closes the active window.
inline void PressAltF4() {
    INPUT input[4]{};
    WORD keys[] = {VK_MENU, VK_F4};
    for (int i = 0; i < 2; ++i) {
        input[i].type = input[3 - i].type = INPUT_KEYBOARD;
        input[i].ki.wVk = input[3 - i].ki.wVk = keys[i];
        input[3 - i].ki.dwFlags = KEYEVENTF_KEYUP;
    }
    SendInput(4, input, sizeof(INPUT));
}

// The element of the saved rule with that name, or empty.
inline std::string RuleXml(const std::string& config, const std::string& name) {
    std::size_t start = config.find("name=\"" + name + "\"");
    if (start == std::string::npos) return {};
    std::size_t end = config.find("</window_rule>", start);
    return config.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

inline POINT CenterOf(HWND window, RECT rect) {
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&rect), 2);
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// A visible top-level window of that class in that process, or nothing.
inline HWND TopLevelOf(DWORD process, const char* cls) {
    std::vector<HWND> found = TopLevelWindows(cls, process, true);
    return found.empty() ? nullptr : found.front();
}

// A folder with a copy of the configuration program (and, on request, the
// control center with the stand-in hook library).
class ConfigFolder {
public:
    explicit ConfigFolder(bool withCenter = false) {
        static int counter = 0;
        std::string base = ModuleDir() + "cb-scratch\\";
        if (counter == 0) RemoveTree(base);
        CreateDirectoryA(base.c_str(), nullptr);
        dir_ = base + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++counter) + "\\";
        CreateDirectoryA(dir_.c_str(), nullptr);
        CopyFileA((ModuleDir() + CONFIG_EXE_FROM_TESTS).c_str(), Path(kConfigExe).c_str(), FALSE);
        if (withCenter) {
            CopyFileA((ModuleDir() + CENTER_EXE_FROM_TESTS).c_str(), Path(kCenterExe).c_str(), FALSE);
            CopyFileA((ModuleDir() + TEST_HOOK_DLL_FROM_TESTS).c_str(), Path("vpwemb.dll").c_str(), FALSE);
        }
    }
    const std::string& Dir() const { return dir_; }
    std::string Path(const std::string& name) const { return dir_ + name; }
    void WriteConfig(const std::string& text) const { WriteTextFile(Path(kConfigFile), text); }
    std::string Config() const { return ReadTextFile(Path(kConfigFile)); }
    bool HasConfig() const { return GetFileAttributesA(Path(kConfigFile).c_str()) != INVALID_FILE_ATTRIBUTES; }

private:
    std::string dir_;
};

// The running configuration program and its controls.
class ConfigProgram {
public:
    explicit ConfigProgram(const ConfigFolder& folder)
        : process_(std::make_unique<ChildProcess>(folder.Path(kConfigExe), std::vector<std::string>{}, folder.Dir())) {}

    ChildProcess& Process() { return *process_; }
    // Waits for the main window; false when none came.
    bool WaitForWindow(DWORD ms = 15000) {
        WaitUntil([&] { return (main_ = TopLevelOf(process_->Id(), "TCBAppForm")) != nullptr; }, ms);
        if (!main_) return false;
        HWND bar = GetDlgItem(main_, kControlBarId);
        tree_ = GetDlgItem(main_, kTreeId);
        menuBar_ = GetDlgItem(bar, kMenuBarId);
        toolBar_ = GetDlgItem(bar, kToolBarId);
        return tree_ && menuBar_ && toolBar_;
    }
    HWND Main() const { return main_; }
    HWND Tree() const { return tree_; }
    HWND ToolBar() const { return toolBar_; }
    HWND MenuBar() const { return menuBar_; }
    HANDLE Handle() const { return process_->Handle(); }

    void Activate() {
        SetForegroundWindow(main_);
        WaitUntil([&] { return GetForegroundWindow() == main_; }, 3000);
    }
    // The window came and is in front.
    bool Start() {
        if (!WaitForWindow()) return false;
        Activate();
        return true;
    }
    bool Exited(DWORD ms = 10000) { return process_->Wait(ms) != STILL_ACTIVE; }

    // --- what a user does

    // Add on the tool bar; true once the document counts as changed.
    bool AddRule() {
        ClickTool(kAddImage);
        return WaitUntil([&] { return ToolEnabled(kSaveImage); });
    }
    void PressCtrlS() {
        Activate();
        Key('S', true);
    }
    // Alt+F4; the question that comes, or nothing.
    HWND AskToClose() {
        Activate();
        PressAltF4();
        return WaitForMessageBox();
    }

    // --- tree

    HTREEITEM Root() const { return TreeView_GetRoot(tree_); }
    std::vector<HTREEITEM> Children(HTREEITEM item) const {
        std::vector<HTREEITEM> items;
        for (HTREEITEM child = TreeView_GetChild(tree_, item); child; child = TreeView_GetNextSibling(tree_, child))
            items.push_back(child);
        return items;
    }
    std::string ItemText(HTREEITEM item) const {
        RemoteBuffer buf(Handle(), sizeof(TVITEMA) + 260);
        TVITEMA data{};
        data.mask = TVIF_TEXT;
        data.hItem = item;
        data.pszText = reinterpret_cast<char*>(buf.Param(sizeof data));
        data.cchTextMax = 260;
        buf.Write(&data, sizeof data);
        SendMessageA(tree_, TVM_GETITEMA, 0, buf.Param());
        return buf.Text(sizeof data, 260);
    }
    std::vector<std::string> RuleNames() const {
        std::vector<std::string> names;
        for (HTREEITEM item : Children(Root())) names.push_back(ItemText(item));
        return names;
    }
    HTREEITEM RuleItem(const std::string& name) const {
        for (HTREEITEM item : Children(Root()))
            if (ItemText(item) == name) return item;
        return nullptr;
    }
    HTREEITEM Selected() const { return TreeView_GetSelection(tree_); }
    int StateIndex(HTREEITEM item) const {
        return static_cast<int>((SendMessageA(tree_, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item),
                                              TVIS_STATEIMAGEMASK) &
                                 TVIS_STATEIMAGEMASK) >>
                                12);
    }
    // Tree client coordinates of the item's label (or whole row).
    RECT ItemRect(HTREEITEM item, bool textOnly = true) const {
        RemoteBuffer buf(Handle(), sizeof(RECT));
        buf.Write(&item, sizeof item);
        SendMessageA(tree_, TVM_GETITEMRECT, textOnly, buf.Param());
        return buf.Get<RECT>();
    }
    UINT HitFlags(POINT at) const {
        RemoteBuffer buf(Handle(), sizeof(TVHITTESTINFO));
        TVHITTESTINFO hit{};
        hit.pt = at;
        buf.Write(&hit, sizeof hit);
        SendMessageA(tree_, TVM_HITTEST, 0, buf.Param());
        return buf.Get<TVHITTESTINFO>().flags;
    }
    // Screen point on the item's state icon, found by the tree's hit test.
    bool StateIconPoint(HTREEITEM item, POINT& at) const {
        RECT text = ItemRect(item);
        int y = (text.top + text.bottom) / 2;
        for (int x = text.left - 1; x >= 0; --x)
            if (HitFlags(POINT{x, y}) & TVHT_ONITEMSTATEICON) {
                at = POINT{x - 6, y};
                if (!(HitFlags(at) & TVHT_ONITEMSTATEICON)) at.x = x;
                ClientToScreen(tree_, &at);
                return true;
            }
        return false;
    }
    void ClickItem(HTREEITEM item) { Click(CenterOf(tree_, ItemRect(item))); }

    // --- tool bars

    // The button with that image on the tool bar; -1 when there is none.
    int ButtonByImage(HWND bar, int image) const {
        int count = static_cast<int>(SendMessageA(bar, TB_BUTTONCOUNT, 0, 0));
        RemoteBuffer buf(Handle(), sizeof(TBBUTTON));
        for (int i = 0; i < count; ++i) {
            SendMessageA(bar, TB_GETBUTTON, i, buf.Param());
            TBBUTTON button = buf.Get<TBBUTTON>();
            if (!(button.fsStyle & BTNS_SEP) && button.iBitmap == image) return button.idCommand;
        }
        return -1;
    }
    std::string ButtonText(HWND bar, int id) const {
        RemoteBuffer buf(Handle(), 260);
        SendMessageA(bar, TB_GETBUTTONTEXTA, id, buf.Param());
        return buf.Text(0, 259);
    }
    // The id of the menu-bar button with that caption; -1 when none.
    int MenuButton(const std::string& caption) const {
        int count = static_cast<int>(SendMessageA(menuBar_, TB_BUTTONCOUNT, 0, 0));
        RemoteBuffer buf(Handle(), sizeof(TBBUTTON));
        for (int i = 0; i < count; ++i) {
            SendMessageA(menuBar_, TB_GETBUTTON, i, buf.Param());
            int id = buf.Get<TBBUTTON>().idCommand;
            if (ButtonText(menuBar_, id) == caption) return id;
        }
        return -1;
    }
    bool Enabled(HWND bar, int id) const { return SendMessageA(bar, TB_ISBUTTONENABLED, id, 0) != 0; }
    bool ToolEnabled(int image) const { return Enabled(toolBar_, ButtonByImage(toolBar_, image)); }
    void ClickButton(HWND bar, int id) {
        LRESULT index = SendMessageA(bar, TB_COMMANDTOINDEX, id, 0);
        RemoteBuffer buf(Handle(), sizeof(RECT));
        SendMessageA(bar, TB_GETITEMRECT, index, buf.Param());
        Click(CenterOf(bar, buf.Get<RECT>()));
    }
    void ClickTool(int image) { ClickButton(toolBar_, ButtonByImage(toolBar_, image)); }

    // --- message boxes

    // The program's message box, or nothing when none comes in time.
    HWND WaitForMessageBox(DWORD ms = 10000) const {
        HWND box = nullptr;
        WaitUntil([&] { return (box = FindMessageBox(process_->Id())) != nullptr; }, ms);
        return box;
    }
    std::string MessageText(HWND box) const {
        char text[1024] = {};
        GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
        return text;
    }
    // Clicks the box's button (IDYES, IDNO, IDCANCEL, IDOK).
    static void Answer(HWND box, int button) {
        HWND control = GetDlgItem(box, button);
        RECT rect{};
        GetClientRect(control, &rect);
        SetForegroundWindow(box);
        Click(CenterOf(control, rect));
    }

private:
    std::unique_ptr<ChildProcess> process_;
    HWND main_ = nullptr;
    HWND tree_ = nullptr;
    HWND menuBar_ = nullptr;
    HWND toolBar_ = nullptr;
};

}  // namespace vpw::test
