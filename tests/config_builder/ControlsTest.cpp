// The configuration program's own controls, driven through their own
// messages and real input.
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

#include "CBTestSupport.h"
#include "CheckGroupBox.h"
#include "FindWindow.h"
#include "KeltControls.h"
#include "WinTestSupport.h"

using namespace vpw;
using namespace vpw::test;

namespace {

void ClickButton(TButtonControl& button) {
    SendMessageA(button.Handle(), BM_CLICK, 0, 0);
    Pump();
}

}  // namespace

TEST(QuietCheckBox, CodeChangesStateQuietlyUserClickFires) {
    THostWindow host;
    TQuietCheckBox box;
    ASSERT_TRUE(box.Create(host.Get(), "Quiet", 10, 10, 100, 20));
    int clicks = 0;
    box.OnClick = [&] { ++clicks; };
    box.SetChecked(true);
    box.SetChecked(false);
    Pump();
    EXPECT_EQ(clicks, 0);
    ClickButton(box);
    EXPECT_EQ(clicks, 1);
    EXPECT_TRUE(box.GetChecked());
}

namespace {
int reportedErrors = 0;
void CountError(HWND) noexcept { ++reportedErrors; }
}  // namespace

TEST(NativeControl, AHandlersErrorGoesToTheProgramsHandler) {
    THostWindow host;
    TQuietCheckBox box;
    ASSERT_TRUE(box.Create(host.Get(), "Throws", 10, 10, 100, 20));
    box.OnClick = [] { throw std::runtime_error("refused"); };
    SetControlErrorHandler(&CountError);
    ClickButton(box);
    SetControlErrorHandler(nullptr);
    EXPECT_EQ(reportedErrors, 1);
    EXPECT_TRUE(IsWindow(box.Handle()));
}

// A box holding a label, a plain container with an edit inside it, and an
// inner check group box with its own edit.
struct GroupFixture {
    THostWindow host;
    TCheckGroupBox outer;
    TCheckGroupBox inner;
    TWindow label, container, deepEdit, innerEdit;
    int userClicks = 0;

    GroupFixture() {
        outer.Create(host.Get(), "Outer", 10, 10, 380, 250);
        outer.OnCheckBoxClick = [this](TCheckGroupBox*) { ++userClicks; };
        label.Reset(CreateWindowA("STATIC", "label", WS_CHILD | WS_VISIBLE, 10, 25, 60, 16, outer.Handle(), nullptr,
                                  nullptr, nullptr));
        container.Reset(CreateWindowA("STATIC", "", WS_CHILD | WS_VISIBLE, 10, 45, 200, 30, outer.Handle(), nullptr,
                                      nullptr, nullptr));
        deepEdit.Reset(CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 0, 0, 150, 22, container.Get(),
                                     nullptr, nullptr, nullptr));
        inner.Create(outer.Handle(), "Inner", 10, 90, 300, 100);
        innerEdit.Reset(CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER, 10, 25, 150, 22, inner.Handle(),
                                      nullptr, nullptr, nullptr));
    }
    bool Enabled(HWND w) const { return IsWindowEnabled(w) != FALSE; }
    // Everything the outer box holds, apart from its own check box.
    bool AllInside(bool enabled) {
        for (HWND w : {label.Get(), container.Get(), deepEdit.Get(), inner.Handle(), innerEdit.Get(),
                       inner.CheckBox().Handle()})
            if (Enabled(w) != enabled) return false;
        return true;
    }
};

TEST(CheckGroupBox, UserClickDisablesAndReenablesEverythingInsideNestedToo) {
    GroupFixture f;
    ASSERT_TRUE(f.AllInside(true));
    ClickButton(f.outer.CheckBox());
    EXPECT_FALSE(f.outer.GetChecked());
    EXPECT_TRUE(f.AllInside(false));
    EXPECT_TRUE(f.Enabled(f.outer.CheckBox().Handle()));
    EXPECT_EQ(f.userClicks, 1);
    ClickButton(f.outer.CheckBox());
    EXPECT_TRUE(f.AllInside(true));
    EXPECT_EQ(f.userClicks, 2);

    // The inner box keeps its own edit off while the outer one is off and on.
    ClickButton(f.inner.CheckBox());
    EXPECT_FALSE(f.Enabled(f.innerEdit.Get()));
    ClickButton(f.outer.CheckBox());
    ClickButton(f.outer.CheckBox());
    EXPECT_FALSE(f.Enabled(f.innerEdit.Get()));
    EXPECT_TRUE(f.Enabled(f.inner.CheckBox().Handle()));
}

TEST(CheckGroupBox, CheckedFromCodeAppliesWithoutUserEvent) {
    GroupFixture f;
    f.outer.SetChecked(false);
    EXPECT_TRUE(f.AllInside(false));
    EXPECT_EQ(f.userClicks, 0);
    // With CheckedEnables off the children are on while the box is off.
    f.outer.SetCheckedEnables(false);
    EXPECT_TRUE(f.AllInside(true));
    f.outer.SetChecked(true);
    EXPECT_TRUE(f.AllInside(false));
    EXPECT_EQ(f.userClicks, 0);
}

TEST(CheckGroupBox, DisablingTheBoxTakesItsCheckBoxAndChildrenAlong) {
    GroupFixture f;
    EnableWindow(f.outer.Handle(), FALSE);
    EXPECT_FALSE(f.Enabled(f.outer.CheckBox().Handle()));
    EXPECT_FALSE(f.Enabled(f.label.Get()));
    EXPECT_FALSE(f.Enabled(f.innerEdit.Get()));
    EnableWindow(f.outer.Handle(), TRUE);
    EXPECT_TRUE(f.Enabled(f.outer.CheckBox().Handle()));
    EXPECT_TRUE(f.Enabled(f.label.Get()));
    EXPECT_TRUE(f.Enabled(f.innerEdit.Get()));

    // Unchecked: enabling the box brings back only its check box.
    f.outer.SetChecked(false);
    EnableWindow(f.outer.Handle(), FALSE);
    EnableWindow(f.outer.Handle(), TRUE);
    EXPECT_TRUE(f.Enabled(f.outer.CheckBox().Handle()));
    EXPECT_FALSE(f.Enabled(f.label.Get()));
}

TEST(CheckGroupBox, CaptionTooWideIsIgnored) {
    THostWindow host;
    TCheckGroupBox box;
    ASSERT_TRUE(box.Create(host.Get(), "Fits", 10, 10, 120, 60));
    EXPECT_EQ(box.GetCaption(), "Fits");
    box.SetCaption("A caption much wider than the box can show");
    EXPECT_EQ(box.GetCaption(), "Fits");
    box.SetCaption("Also fits");
    EXPECT_EQ(box.GetCaption(), "Also fits");
}

struct ComboFixture {
    THostWindow host;
    THistoryComboBox combo;
    TWindow other;
    ComboFixture() {
        combo.Create(host.Get(), 10, 10, 200, 22);
        other.Reset(CreateWindowA("EDIT", "", WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP, 10, 60, 100, 22,
                                  host.Get(), nullptr, nullptr, nullptr));
    }
};

TEST(HistoryComboBox, AddHistoryMovesTheTextFirstAndKeepsCapacity) {
    struct Case {
        std::vector<std::string> items;
        std::string text;
        int capacity;
        std::vector<std::string> expected;
    } cases[] = {
        {{"a", "b", "c"}, "a", 0, {"a", "b", "c"}},
        {{"a", "b", "c", "d"}, "d", 0, {"d", "a", "b", "c"}},
        {{"a", "b"}, "new", 2, {"new", "a"}},
        {{"a", "b"}, "", 0, {"a", "b"}},
        {{"a", "b"}, "A", 0, {"A", "a", "b"}},
    };
    ComboFixture f;
    for (const auto& c : cases) {
        f.combo.SetCapacity(0);
        f.combo.SetItems(c.items);
        f.combo.SetCapacity(c.capacity);
        f.combo.SetComboText(c.text);
        f.combo.AddHistory();
        EXPECT_EQ(f.combo.GetItems(), c.expected) << c.text;
        EXPECT_EQ(f.combo.GetText(), c.text);
    }
    f.combo.SetCapacity(0);
    f.combo.SetItems({"a", "b", "c"});
    f.combo.SetCapacity(2);
    EXPECT_EQ(f.combo.GetItems(), (std::vector<std::string>{"a", "b"}));
    f.combo.OnCanAddHistory = [](const std::string& text, bool& can) { can = text != "no"; };
    f.combo.SetComboText("no");
    f.combo.AddHistory();
    EXPECT_EQ(f.combo.GetItems(), (std::vector<std::string>{"a", "b"}));
}

TEST(HistoryComboBox, TypeAheadCompletesOnlyWhatTheUserTypes) {
    ComboFixture f;
    f.combo.AutoCompletion = true;
    f.combo.SetItems({"Other", "Notepad"});
    // Text set from code is never completed.
    f.combo.SetComboText("N");
    Pump();
    EXPECT_EQ(f.combo.GetText(), "N");
    f.combo.SetComboText("");
    SetFocus(f.combo.Handle());
    Pump(50);

    Type("n");
    ASSERT_TRUE(PumpUntil([&] { return f.combo.GetText() == "Notepad"; }, 3000)) << f.combo.GetText();
    DWORD start = 0, end = 0;
    SendMessageA(f.combo.Handle(), CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 1u);
    EXPECT_EQ(end, 7u);
    // The next character replaces the selection and is shorter: not completed.
    Type("o");
    EXPECT_EQ(f.combo.GetText(), "No");
    Type("t");
    EXPECT_EQ(f.combo.GetText(), "Notepad");
    // Deleting never completes.
    Key(VK_DELETE);
    EXPECT_EQ(f.combo.GetText(), "Not");
    Key(VK_BACK);
    EXPECT_EQ(f.combo.GetText(), "No");
}

TEST(HistoryComboBox, EnterAndFocusLossReachTheOwnerAndTheHistory) {
    ComboFixture f;
    f.combo.AutoHistory = true;
    std::string keys;
    int exits = 0;
    f.combo.OnKeyPress = [&](char k) { keys.push_back(k); };
    f.combo.OnExit = [&] { ++exits; };
    SetFocus(f.combo.Handle());
    Pump(50);
    Type("ab");
    Key(VK_RETURN);
    EXPECT_EQ(keys, "ab\r");
    EXPECT_EQ(f.combo.GetText(), "ab");
    SetFocus(f.other.Get());
    Pump(50);
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(f.combo.GetItems(), (std::vector<std::string>{"ab"}));
}

namespace {

// The finder in a window of this process and a window of another program.
struct FinderFixture {
    THostWindow host{20, 20, 300, 200};
    TFindWindow finder;
    ChildProcess owner{WINDOW_OWNER_EXE, {"VpwFinderTarget", "Finder target"}};
    HWND target = nullptr;
    std::vector<HWND> picked;

    FinderFixture() {
        finder.Create(host.Get(), 20, 20);
        finder.SetSelectedChildWindow(false);
        finder.BeforeSelectWindow = [](HWND& window, bool& refuse) {
            DWORD pid = 0;
            GetWindowThreadProcessId(window, &pid);
            refuse = pid == GetCurrentProcessId();
        };
        finder.AfterSelectWindow = [this](HWND w) { picked.push_back(w); };
        target = WaitForWindow("VpwFinderTarget", nullptr);
        if (target) SetWindowPos(target, HWND_TOP, 450, 300, 300, 200, SWP_NOACTIVATE);
        Pump(100);
    }
    ~FinderFixture() {
        if (target) PostMessageA(target, WM_CLOSE, 0, 0);
    }
    void Press() {
        MoveMouse(CenterOf(finder.Handle()));
        SendMouse(MOUSEEVENTF_LEFTDOWN);
        Pump(50);
    }
    void Release() {
        SendMouse(MOUSEEVENTF_LEFTUP);
        Pump(100);
    }
};

}  // namespace

TEST(WindowFinder, ReleasedOverAnotherProgramsWindowPicksIt) {
    FinderFixture f;
    ASSERT_NE(f.target, nullptr);
    f.Press();
    EXPECT_TRUE(f.finder.IsPicking());
    EXPECT_EQ(GetCapture(), f.finder.Handle());
    MoveMouse(CenterOf(f.target));
    // Moving over it outlines it but picks nothing yet.
    EXPECT_EQ(f.finder.GetHighlightedWindow(), f.target);
    EXPECT_TRUE(f.picked.empty());
    f.Release();
    ASSERT_EQ(f.picked.size(), 1u);
    EXPECT_EQ(f.picked[0], f.target);
    EXPECT_FALSE(f.finder.IsPicking());
    EXPECT_EQ(f.finder.GetHighlightedWindow(), nullptr);
}

TEST(WindowFinder, ReleasedOverItsOwnProgramPicksNothing) {
    FinderFixture f;
    ASSERT_NE(f.target, nullptr);
    f.Press();
    MoveMouse(CenterOf(f.target));
    // Back over its own window: refused, so the outline stays on the target.
    RECT own{};
    GetWindowRect(f.host.Get(), &own);
    MoveMouse(POINT{own.right - 30, own.bottom - 30});
    EXPECT_EQ(f.finder.GetHighlightedWindow(), f.target);
    f.Release();
    EXPECT_TRUE(f.picked.empty());
    EXPECT_EQ(f.finder.GetHighlightedWindow(), nullptr);
}

TEST(WindowFinder, OutlineInvertedTwiceRestoresThePixels) {
    FinderFixture f;
    ASSERT_NE(f.target, nullptr);
    RECT r{};
    GetWindowRect(f.target, &r);
    TScreenShot before(r);
    InvertWindowOutline(f.target);
    TScreenShot inverted(r);
    EXPECT_NE(before.Pixel(r.left + 1, r.top + 40), inverted.Pixel(r.left + 1, r.top + 40));
    EXPECT_EQ(before.Pixel(r.left + 20, r.top + 40), inverted.Pixel(r.left + 20, r.top + 40));
    InvertWindowOutline(f.target);
    EXPECT_TRUE(TScreenShot(r).SameAs(before));
}
