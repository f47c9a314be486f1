#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "BOMUICommands.h"
#include "CommandDocuments.h"
#include "UITestSupport.h"
#include "XmlTextStorage.h"

namespace vpw::test {
namespace {

// A document root in miniature: "menu" and "toolbar" made by type name,
// counting every change notice that reaches it.
class TCommandRoot : public TBOM_UI_Object {
public:
    void Initialize() override {
        TBOM_UI_Object::Initialize();
        CreateChild("BOMUICOMMANDS", "menu");
        CreateChild("BOMUICOMMANDS", "toolbar");
    }
    bool IsRoot() override { return true; }
    void AfterChangeObject(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                           IBOMObject* sender) override {
        ++notices;
        TBOM_UI_Object::AfterChangeObject(path, obj, senderPath, sender);
    }
    int notices = 0;
};

class UICommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterBOMClasses();
        RegisterUICommandClasses();
        baseline_ = TDebugInterfacedObject::LiveObjects();
        root = CreateObject<TCommandRoot>();
        Load("menu", kMenuCommandsDocument);
        Load("toolbar", kToolBarCommandsDocument);
        root->SetOwner(nullptr);
        host = IPtr<TFakeHost>(new TFakeHost);
    }
    void TearDown() override {
        SetUITranslator(nullptr);
        root->DetachUI();
        root->Detach();
        root = nullptr;
        host = nullptr;
        EXPECT_EQ(TDebugInterfacedObject::LiveObjects(), baseline_);
    }

    void Load(const std::string& child, const char* document) {
        IPtr<IPersistObject> persist = Supports<IPersistObject>(root->Resolve(child));
        ASSERT_TRUE(persist) << child;
        persist->Load(ParseXmlStorage(document).get());
    }
    IPtr<IBOMCollection> List(const std::string& path) { return Supports<IBOMCollection>(root->Resolve(path)); }
    TBOMUICommand* Command(const std::string& path) {
        TBOMUICommand* command = dynamic_cast<TBOMUICommand*>(root->Resolve(path).get());
        EXPECT_NE(command, nullptr) << path;
        return command;
    }
    std::string Param(const std::string& path, const std::string& name) {
        IPtr<IBOMParam> param = Supports<IBOMParam>(root->Resolve(path + "/params/" + name));
        return param ? param->GetValue().AsString() : "<missing>";
    }

    // Every action records "<list>:<command>" when it runs.
    void BindAll(IBOMCollection* list, const std::string& origin) {
        for (int i = 0; list && i < list->Count(); ++i) {
            TBOMUICommand* command = dynamic_cast<TBOMUICommand*>(list->Item(i).get());
            ASSERT_NE(command, nullptr);
            command->GetAction()->OnExecute = [this, origin](TUIAction* a) { ran.push_back(origin + ":" + a->GetName()); };
            BindAll(command->GetCommands().get(), origin);
        }
    }
    // As the main window does: the menu commands first, then the tool bar's.
    bool Offer(unsigned key, TShiftState shift) {
        for (const char* list : {"menu", "toolbar"}) {
            IPtr<IBOMCollection> commands = List(list);
            for (int i = 0; i < commands->Count(); ++i)
                if (Supports<IBOMUICommand>(commands->Item(i))->HandleShortCut(key, shift)) return true;
        }
        return false;
    }

    IPtr<TCommandRoot> root;
    IPtr<TFakeHost> host;
    std::vector<std::string> ran;

private:
    int baseline_ = 0;
};

TEST_F(UICommandsTest, DocumentsLoadEveryCommand) {
    struct Row {
        const char* path;
        int position;
        const char* type;
        const char* image;
        const char* shortcut;
        const char* caption;
        int subCommands;
    };
    const Row rows[] = {
        {"menu/AppFilesMenu", 0, "group", "-1", "", "&File", 3},
        {"menu/AppFilesMenu/commands/AppSave", 0, "item", "0", "Ctrl+S", "Save", 0},
        {"menu/AppFilesMenu/commands/Separator1", 1, "separator", "-1", "", "", 0},
        {"menu/AppFilesMenu/commands/AppExit", 2, "item", "-1", "", "Exit", 0},
        {"menu/WindowRuleMenu", 1, "group", "-1", "", "&Rule", 2},
        {"menu/WindowRuleMenu/commands/WindowRuleAdd", 0, "item", "1", "Ctrl+A", "Add rule", 0},
        {"menu/WindowRuleMenu/commands/WindowRuleDelete", 1, "item", "2", "Ctrl+D", "Delete rule", 0},
        {"menu/ToolsMenu", 2, "group", "-1", "", "&Tools", 4},
        {"menu/ToolsMenu/commands/RunCommandCenter", 0, "item", "4", "", "Launch Tarnwick", 0},
        {"menu/ToolsMenu/commands/StopCommandCenter", 1, "item", "-1", "", "Stop Tarnwick", 0},
        {"menu/ToolsMenu/commands/Separator1", 2, "separator", "-1", "", "", 0},
        {"menu/ToolsMenu/commands/Options", 3, "item", "-1", "", "Options...", 0},
        {"menu/HelpMenu", 3, "group", "-1", "", "&Help", 3},
        {"menu/HelpMenu/commands/HelpContent", 0, "item", "3", "F1", "Content...", 0},
        {"menu/HelpMenu/commands/Separator2", 1, "separator", "-1", "", "", 0},
        {"menu/HelpMenu/commands/HelpAbout", 2, "item", "-1", "", "About...", 0},
        {"toolbar/AppSave", 0, "item", "0", "", "Save", 0},
        {"toolbar/Separator1", 1, "separator", "-1", "", "", 0},
        {"toolbar/WindowRuleAdd", 2, "item", "1", "Ctrl+A", "Add rule", 0},
        {"toolbar/WindowRuleDelete", 3, "item", "2", "Ctrl+D", "Delete rule", 0},
    };
    EXPECT_EQ(List("menu")->Count(), 4);
    EXPECT_EQ(List("toolbar")->Count(), 4);
    for (const Row& r : rows) {
        std::string path = r.path;
        std::string name = path.substr(path.rfind('/') + 1);
        SCOPED_TRACE(path);
        ASSERT_TRUE(Command(path));
        EXPECT_EQ(List(path + "/..")->IndexOf(name), r.position);
        EXPECT_EQ(Param(path, "name"), name);
        EXPECT_EQ(Param(path, "type"), r.type);
        EXPECT_EQ(Param(path, "imageindex"), r.image);
        EXPECT_EQ(Param(path, "shortcut"), r.shortcut);
        EXPECT_EQ(Param(path, "caption"), r.caption);
        EXPECT_EQ(Param(path, "hint"), "");
        EXPECT_EQ(List(path + "/commands")->Count(), r.subCommands);
    }
}

TEST_F(UICommandsTest, TheActionFollowsTheParameters) {
    struct Row {
        const char* path;
        const char* caption;
        TShortCut shortCut;
        int image;
        TUICommandType type;
    };
    const Row rows[] = {
        {"menu/AppFilesMenu/commands/AppSave", "Save", scCtrl | 'S', 0, TUICommandType::Item},
        {"menu/AppFilesMenu/commands/AppExit", "Exit", scNone, -1, TUICommandType::Item},
        {"menu/AppFilesMenu/commands/Separator1", "", scNone, -1, TUICommandType::Separator},
        {"menu/HelpMenu/commands/HelpContent", "Content...", 0x70, 3, TUICommandType::Item},
        {"menu/WindowRuleMenu", "&Rule", scNone, -1, TUICommandType::Group},
    };
    root->AttachUI(host.get());
    for (const Row& r : rows) {
        SCOPED_TRACE(r.path);
        TBOMUICommand* command = Command(r.path);
        ASSERT_TRUE(command);
        TUIAction* action = command->GetAction();
        EXPECT_EQ(action->GetName(), command->GetName());
        EXPECT_EQ(action->GetCaption(), r.caption);
        EXPECT_EQ(action->GetShortCut(), r.shortCut);
        EXPECT_EQ(action->GetImageIndex(), r.image);
        EXPECT_EQ(command->GetCommandType(), r.type);
    }

    TBOMUICommand* save = Command("menu/AppFilesMenu/commands/AppSave");
    save->GetParam("caption")->SetValue(Variant("Store"));
    save->GetParam("imageindex")->SetValue(Variant("not a number"));
    EXPECT_EQ(save->GetAction()->GetCaption(), "Store");
    EXPECT_EQ(save->GetAction()->GetImageIndex(), -1);
    save->GetParam("type")->SetValue(Variant("weird"));
    EXPECT_EQ(save->GetCommandType(), TUICommandType::Item);
}

TEST(UIShortCut, TextToShortCut) {
    struct Case {
        const char* text;
        TShortCut expected;
    };
    const Case cases[] = {
        {"F1", 0x70},          {"f12", 0x7B},         {"F24", 0x87},           {"F25", 0},
        {"F0", 0},             {"F01", 0},            {"Ctrl+S", 0x4053},      {"ctrl+s", 0x4053},
        {"Ctrl+D", 0x4044},    {"Shift+Ctrl+A", 0x6041}, {"Alt+F4", 0x8073},   {"Ctrl+Del", 0x402E},
        {"Shift+Enter", 0x200D}, {"0", 0x30},         {"", 0},                 {"Ctrl+", 0},
        {"Shift+", 0},         {"Alt+", 0},           {"Ctrl+Foo", 0},         {"Ctrl S", 0},
        {"S+Ctrl", 0},
    };
    for (const Case& c : cases) EXPECT_EQ(TextToShortCut(c.text), c.expected) << c.text;

    EXPECT_EQ(ShortCut('S', ssCtrl), TextToShortCut("Ctrl+S"));
    EXPECT_EQ(ShortCut('A', ssCtrl | ssShift | ssLeft), 0x6041) << "mouse buttons are no modifiers";
    EXPECT_EQ(ShortCut(0x100, ssCtrl), 0);
}

TEST(UIAction, ExecuteUpdatesFirstAndRunsOnlyWhenEnabled) {
    TUIAction action;
    EXPECT_FALSE(action.Execute()) << "nothing to run";

    int runs = 0, updates = 0;
    action.OnExecute = [&](TUIAction*) { ++runs; };
    EXPECT_TRUE(action.Execute());
    EXPECT_EQ(runs, 1);

    action.OnUpdate = [&](TUIAction* a) {
        ++updates;
        a->SetEnabled(false);
    };
    EXPECT_FALSE(action.Execute());
    EXPECT_EQ(updates, 1);
    EXPECT_EQ(runs, 1);
}

TEST_F(UICommandsTest, ShortCutsGoToTheMenuFirst) {
    root->AttachUI(host.get());
    BindAll(List("menu").get(), "menu");
    BindAll(List("toolbar").get(), "toolbar");
    struct Case {
        unsigned key;
        TShiftState shift;
        bool taken;
        const char* ran;
    };
    const Case cases[] = {
        {'A', ssCtrl, true, "menu:WindowRuleAdd"},
        {'D', ssCtrl, true, "menu:WindowRuleDelete"},
        {'S', ssCtrl, true, "menu:AppSave"},
        {0x70, 0, true, "menu:HelpContent"},
        {'A', ssCtrl | ssShift, false, nullptr},
        {'Q', ssCtrl, false, nullptr},
        {0, 0, false, nullptr},  // commands without a shortcut take no key
    };
    for (const Case& c : cases) {
        ran.clear();
        EXPECT_EQ(Offer(c.key, c.shift), c.taken) << c.key;
        EXPECT_EQ(ran, c.ran ? std::vector<std::string>{c.ran} : std::vector<std::string>{}) << c.key;
    }

    // A disabled menu command does not take its key; the tool bar's does.
    Command("menu/WindowRuleMenu/commands/WindowRuleAdd")->GetAction()->OnUpdate = [](TUIAction* a) {
        a->SetEnabled(false);
    };
    ran.clear();
    EXPECT_TRUE(Offer('A', ssCtrl));
    EXPECT_EQ(ran, std::vector<std::string>{"toolbar:WindowRuleAdd"});
}

TEST_F(UICommandsTest, LanguageChangeTranslatesSilently) {
    root->AttachUI(host.get());
    root->notices = 0;
    root->Notify(1, 0, 0);  // the neutral translator keeps every text
    EXPECT_EQ(Command("menu/WindowRuleMenu")->GetAction()->GetCaption(), "&Rule");

    const std::map<std::string, std::string> strings = {
        {"Command_WindowRuleMenu_Caption", "Window Rule"},
        {"Command_WindowRuleMenu_Hint", ""},
        {"Command_RunCommandCenter_Caption", "Launch %appname%"},
        {"Command_AppSave_Hint", "Save changes"},
    };
    SetUITranslator([&](const std::string& name, const std::string& defaultValue) {
        auto found = strings.find(name);
        std::string text = found == strings.end() ? defaultValue : found->second;
        for (std::size_t p; (p = text.find("%appname%")) != std::string::npos;) text.replace(p, 9, "Plimsy");
        return text;
    });
    root->Notify(1, 0, 0);

    struct Row {
        const char* path;
        const char* caption;
        const char* hint;
    };
    const Row rows[] = {
        {"menu/WindowRuleMenu", "Window Rule", ""},
        {"menu/ToolsMenu/commands/RunCommandCenter", "Launch Plimsy", ""},
        {"menu/AppFilesMenu/commands/AppSave", "Save", "Save changes"},
        {"toolbar/AppSave", "Save", "Save changes"},
        {"menu/HelpMenu/commands/HelpAbout", "About...", ""},  // no entry: unchanged
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.path);
        TUIAction* action = Command(r.path)->GetAction();
        EXPECT_EQ(action->GetCaption(), r.caption);
        EXPECT_EQ(action->GetHint(), r.hint);
        EXPECT_EQ(Param(r.path, "caption"), r.caption);
    }
    EXPECT_EQ(root->notices, 0) << "translating is no change of the document";
}

// Controls of an imaginary configuration program; owners free what they make.
struct TFakeMenuItem : TUIMenuItem {
    TUIMenuItem* NewMenuItem() override {
        owned.push_back(std::make_unique<TFakeMenuItem>());
        return owned.back().get();
    }
    void SetAction(TUIAction* a) override { action = a; }
    void SetCaption(const std::string& c) override { caption = c; }
    void SetImageIndex(int i) override { image = i; }
    void Add(TUIMenuItem* item) override { items.push_back(static_cast<TFakeMenuItem*>(item)); }

    TUIAction* action = nullptr;
    std::string caption = "<unset>";
    int image = -2;
    std::vector<TFakeMenuItem*> items;
    std::vector<std::unique_ptr<TFakeMenuItem>> owned;
};

struct TFakeToolButton : TUIToolButton {
    TUIMenuItem* NewMenuItem() override {
        owned.push_back(std::make_unique<TFakeMenuItem>());
        return owned.back().get();
    }
    void SetAction(TUIAction* a) override { action = a; }
    void SetStyle(TUIToolButtonStyle s) override { style = s; }
    void SetAutoSize(bool on) override { autoSize = on; }
    void SetWidth(int w) override { width = w; }
    void SetMenuItem(TUIMenuItem* item) override { menuItem = static_cast<TFakeMenuItem*>(item); }

    TUIAction* action = nullptr;
    TUIToolButtonStyle style = TUIToolButtonStyle::tbsButton;
    int autoSize = -1;
    int width = -1;
    TFakeMenuItem* menuItem = nullptr;
    std::vector<std::unique_ptr<TFakeMenuItem>> owned;
};

struct TFakeToolBar : TUIToolButtonOwner {
    TUIToolButton* NewToolButton() override {
        owned.push_back(std::make_unique<TFakeToolButton>());
        return owned.back().get();
    }
    std::vector<std::unique_ptr<TFakeToolButton>> owned;
};

TEST_F(UICommandsTest, ToolButtonsAndMenuItems) {
    root->AttachUI(host.get());
    TFakeToolBar bar;
    auto button = [&](const std::string& path) {
        return static_cast<TFakeToolButton*>(Command(path)->CreateToolButton(&bar));
    };

    TFakeToolButton* item = button("toolbar/AppSave");
    EXPECT_EQ(item->action, Command("toolbar/AppSave")->GetAction());
    EXPECT_EQ(item->style, TUIToolButtonStyle::tbsButton);
    EXPECT_EQ(item->autoSize, 1);
    EXPECT_EQ(item->menuItem, nullptr);

    TFakeToolButton* separator = button("toolbar/Separator1");
    EXPECT_EQ(separator->style, TUIToolButtonStyle::tbsSeparator);
    EXPECT_EQ(separator->autoSize, 0);
    EXPECT_EQ(separator->width, 8);

    // A group drops its sub-commands down from a menu item of its own.
    TFakeToolButton* group = button("menu/AppFilesMenu");
    EXPECT_EQ(group->style, TUIToolButtonStyle::tbsButton);
    EXPECT_EQ(group->autoSize, 1);
    ASSERT_NE(group->menuItem, nullptr);
    EXPECT_EQ(group->owned.size(), 1u);
    EXPECT_EQ(group->menuItem->action, Command("menu/AppFilesMenu")->GetAction());
    ASSERT_EQ(group->menuItem->items.size(), 3u);
    EXPECT_EQ(group->menuItem->owned.size(), 3u);
    const TFakeMenuItem& save = *group->menuItem->items[0];
    EXPECT_EQ(save.action, Command("menu/AppFilesMenu/commands/AppSave")->GetAction());
    EXPECT_EQ(save.image, 0);
    EXPECT_EQ(save.caption, "<unset>") << "the action gives the caption";
    EXPECT_EQ(group->menuItem->items[1]->caption, "-");
    EXPECT_EQ(group->menuItem->items[2]->image, -1);

    TFakeMenuItem owner;
    auto* help = static_cast<TFakeMenuItem*>(Command("menu/HelpMenu")->CreateMenuItem(&owner));
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->items.size(), 3u);

    EXPECT_EQ(Command("toolbar/AppSave")->CreateToolButton(nullptr), nullptr);
    EXPECT_EQ(Command("toolbar/AppSave")->CreateMenuItem(nullptr), nullptr);
}

}  // namespace
}  // namespace vpw::test
