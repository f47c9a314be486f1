// The real configuration program in a process of its own, driven through its
// controls' messages, real clicks and real keys.
#include <gtest/gtest.h>

#include "ConfigProgramTestSupport.h"

namespace vpw::test {
namespace {

TEST(ConfigProgram, ShowsTheRulesOfTheFileUnderTheRootNode) {
    ConfigFolder folder;
    folder.WriteConfig(RulesConfig({{"Window Rule 1", "ClassOne"}, {"Window Rule 3", "ClassThree"}}));
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

    TScreenShot shot(window);
    shot.SaveBitmap(ModuleDir() + "config-main-window.bmp");
}

}  // namespace
}  // namespace vpw::test
