// The detail panels inside the real configuration program: what a user
// types into them reaches the tree and the saved file.
#include <gtest/gtest.h>

#include "ConfigProgramTestSupport.h"

namespace vpw::test {
namespace {

struct TFoundControls {
    HWND nameEdit = nullptr;
    HWND classCombo = nullptr;
};

struct TWalk {
    TFoundControls* found;
    std::string cls;
};

BOOL CALLBACK VisitControl(HWND w, LPARAM p) {
    auto* walk = reinterpret_cast<TWalk*>(p);
    char cls[32] = {}, parent[32] = {}, text[256] = {};
    GetClassNameA(w, cls, sizeof cls);
    GetClassNameA(GetParent(w), parent, sizeof parent);
    SendMessageA(w, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    if (!IsWindowVisible(w)) return TRUE;
    if (lstrcmpiA(cls, "Edit") == 0 && lstrcmpiA(parent, "ComboBox") != 0 && !walk->found->nameEdit)
        walk->found->nameEdit = w;
    if (lstrcmpiA(cls, "ComboBox") == 0 && walk->cls == text) walk->found->classCombo = w;
    return TRUE;
}

// The rule's name field (an edit of its own) and the combo box that shows
// the class.
TFoundControls FindRuleControls(HWND detailArea, const std::string& className) {
    TFoundControls found;
    TWalk walk{&found, className};
    EnumChildWindows(detailArea, VisitControl, reinterpret_cast<LPARAM>(&walk));
    return found;
}

std::string WindowText(HWND w) {
    // Another process's controls: their text only through the message.
    char text[256] = {};
    SendMessageA(w, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    return text;
}

TEST(RulePanelInProgram, TypedClassIsSavedByCtrlSAndRenameShowsInTheTree) {
    ConfigFolder folder;
    folder.WriteConfig(RulesConfig({{"Window Rule 1", "ClassOne"}}));
    ConfigProgram program(folder);
    ASSERT_TRUE(program.WaitForWindow());
    program.Activate();
    ASSERT_TRUE(WaitUntil([&] { return program.RuleItem("Window Rule 1") != nullptr; }));
    program.ClickItem(program.RuleItem("Window Rule 1"));
    HWND detail = GetDlgItem(program.Main(), kDetailId);
    TFoundControls controls;
    bool ok = WaitUntil([&] {
        controls = FindRuleControls(detail, "ClassOne");
        return controls.nameEdit && controls.classCombo;
    });
    ASSERT_TRUE(ok);
    EXPECT_EQ(WindowText(controls.nameEdit), "Window Rule 1");

    // Ctrl+A in the field selects its text: no rule is added.
    Click(CenterOf(controls.classCombo));
    Key('A', true);
    Type("newclass");
    EXPECT_EQ(WindowText(controls.classCombo), "newclass");
    EXPECT_EQ(program.RuleNames(), (std::vector<std::string>{"Window Rule 1"}));
    // Saved without leaving the field.
    Key('S', true);
    ASSERT_TRUE(WaitUntil([&] { return folder.Config().find("newclass") != std::string::npos; }, 5000));

    Click(CenterOf(controls.nameEdit));
    Key('A', true);
    Type("renamed");
    Key(VK_RETURN);
    EXPECT_TRUE(WaitUntil([&] { return program.RuleNames() == std::vector<std::string>{"renamed"}; }, 3000));
    EXPECT_EQ(program.RuleNames(), (std::vector<std::string>{"renamed"}));
}

}  // namespace
}  // namespace vpw::test
