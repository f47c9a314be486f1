// The command documents through the real XML store and the built-in
// language file, as the programs load them.
#include <gtest/gtest.h>

#include "BOMUICommands.h"
#include "CommandDocuments.h"
#include "MultiLanguages.h"
#include "UITestSupport.h"
#include "XMLStorage.h"

namespace vpw::test {
namespace {

IPtr<TBOMUICommands> LoadCommands(const char* name, const char* document) {
    IPtr<TBOMUICommands> commands = CreateObject<TBOMUICommands>();
    commands->SetName(name);
    IPtr<TXMLStorage> storage(new TXMLStorage);
    EXPECT_TRUE(storage->LoadFromXML(document)) << name;
    storage->LoadObject(static_cast<IPersistObject*>(commands.get()));
    commands->SetOwner(nullptr);
    return commands;
}

TUIAction* ActionAt(IBOMObject* list, const std::string& path) {
    auto* command = dynamic_cast<TBOMUICommand*>(list->Resolve(path).get());
    EXPECT_NE(command, nullptr) << path;
    return command ? command->GetAction() : nullptr;
}

TEST(UICommandsOnWindows, BuiltInDocumentsTranslateWithTheBuiltInLanguage) {
    TComInit com;
    ASSERT_TRUE(com.Ok());
    RegisterBOMClasses();
    RegisterUICommandClasses();
    int baseline = TDebugInterfacedObject::LiveObjects();
    {
        IPtr<TBOMUICommands> menu = LoadCommands("menu", kMenuCommandsDocument);
        IPtr<TBOMUICommands> toolbar = LoadCommands("toolbar", kToolBarCommandsDocument);
        EXPECT_EQ(menu->Count(), 4);
        EXPECT_EQ(toolbar->Count(), 4);

        SetTranslationMacro("appname", "Plimsy");
        ASSERT_TRUE(SelectLanguage(""));
        SetUITranslator(&Translate);
        IPtr<TFakeHost> host(new TFakeHost);
        menu->AttachUI(host.get());
        toolbar->AttachUI(host.get());
        menu->Notify(1, 0, 0);
        toolbar->Notify(1, 0, 0);

        struct Row {
            IBOMObject* list;
            const char* path;
            const char* caption;
            const char* hint;
            TShortCut shortCut;
        };
        const Row rows[] = {
            {menu.get(), "AppFilesMenu", "&File", "", scNone},
            {menu.get(), "WindowRuleMenu", "Window Rule", "", scNone},
            {menu.get(), "WindowRuleMenu/commands/WindowRuleAdd", "Add rule", "Add new rule", scCtrl | 'A'},
            {menu.get(), "ToolsMenu/commands/RunCommandCenter", "Launch Plimsy", "Launch Plimsy", scNone},
            {menu.get(), "HelpMenu/commands/HelpContent", "Contents", "Contents", 0x70},
            {toolbar.get(), "AppSave", "Save", "Save changes", scNone},
        };
        for (const Row& r : rows) {
            TUIAction* action = ActionAt(r.list, r.path);
            ASSERT_NE(action, nullptr);
            EXPECT_EQ(action->GetCaption(), r.caption) << r.path;
            EXPECT_EQ(action->GetHint(), r.hint) << r.path;
            EXPECT_EQ(action->GetShortCut(), r.shortCut) << r.path;
        }

        SetUITranslator(nullptr);
        menu->DetachUI();
        toolbar->DetachUI();
        menu->Detach();
        toolbar->Detach();
    }
    EXPECT_EQ(TDebugInterfacedObject::LiveObjects(), baseline);
}

}  // namespace
}  // namespace vpw::test
