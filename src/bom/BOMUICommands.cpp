#include "BOMUICommands.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace vpw {

namespace {

constexpr int kSeparatorWidth = 8;

// A decimal integer text (as loaded) or an integer value; -1 (no image)
// for anything else.
int ImageIndexOf(const Variant& value) {
    std::string text = value.AsString();
    if (text.empty()) return -1;
    errno = 0;
    char* end = nullptr;
    long n = std::strtol(text.c_str(), &end, 10);
    if (errno || *end || n < INT_MIN || n > INT_MAX) return -1;
    return static_cast<int>(n);
}

}  // namespace

void RegisterUICommandClasses() {
    RegisterItemClass(ClassOf<TBOMUICommand>(), "BOMUICOMMAND");
    RegisterItemClass(ClassOf<TBOMUICommands>(), "BOMUICOMMANDS");
}

// --- TBOMUICommand

bool TBOMUICommand::QueryInterface(const TGUID& iid, void** out) {
    *out = nullptr;
    return AnswerInterfaces<IBOMUICommand>(this, iid, out) || TBOM_UI_Object::QueryInterface(iid, out);
}

void TBOMUICommand::Initialize() {
    TBOM_UI_Object::Initialize();
    SetTypeName("BOMUICOMMAND");
    SetStorageTag("command");
    CreateParam("caption", Variant(""));
    CreateParam("hint", Variant(""));
    CreateParam("shortcut", Variant(""));
    CreateParam("type", Variant("item"));
    CreateParam("imageindex", Variant(-1));
    IPtr<TBOMUICommands> commands = CreateObject<TBOMUICommands>();
    commands->SetName("commands");
    GetAll()->Add(static_cast<IBOMCollection*>(commands.get()));
    action_ = std::make_unique<TUIAction>();
}

void TBOMUICommand::UpdateUI() {
    TBOM_UI_Object::UpdateUI();
    auto text = [this](const char* name) {
        IPtr<IBOMParam> param = GetParam(name);
        return param ? param->GetValue().AsString() : std::string();
    };
    action_->SetName(text("name"));
    action_->SetCaption(text("caption"));
    action_->SetHint(text("hint"));
    action_->SetShortCut(TextToShortCut(text("shortcut")));
    IPtr<IBOMParam> image = GetParam("imageindex");
    action_->SetImageIndex(image ? ImageIndexOf(image->GetValue()) : -1);
}

void TBOMUICommand::LanguageChanged() {
    TBOM_UI_Object::LanguageChanged();
    // Silent: translating is no change of the document.
    if (IPtr<IBOMParam> caption = GetParam("caption"))
        caption->SetValueSilent(
            Variant(UITranslate("Command_" + GetName() + "_Caption", caption->GetValue().AsString())));
    if (IPtr<IBOMParam> hint = GetParam("hint"))
        hint->SetValueSilent(Variant(UITranslate("Command_" + GetName() + "_Hint", hint->GetValue().AsString())));
    UpdateUI();
}

TUICommandType TBOMUICommand::GetCommandType() {
    IPtr<IBOMParam> type = GetParam("type");
    std::string text = type ? type->GetValue().AsString() : std::string();
    if (text == "separator") return TUICommandType::Separator;
    if (text == "group") return TUICommandType::Group;
    return TUICommandType::Item;
}

IPtr<IBOMCollection> TBOMUICommand::GetCommands() { return Supports<IBOMCollection>(Resolve("commands")); }

TUIToolButton* TBOMUICommand::CreateToolButton(TUIToolButtonOwner* owner) {
    TUIToolButton* button = owner ? owner->NewToolButton() : nullptr;
    if (!button) return nullptr;
    button->SetAction(action_.get());
    switch (GetCommandType()) {
        case TUICommandType::Separator:
            button->SetStyle(TUIToolButtonStyle::tbsSeparator);
            button->SetAutoSize(false);
            button->SetWidth(kSeparatorWidth);
            break;
        case TUICommandType::Group:
            button->SetStyle(TUIToolButtonStyle::tbsButton);
            button->SetAutoSize(true);
            if (TUIMenuItem* item = button->NewMenuItem()) {
                item->SetAction(action_.get());
                button->SetMenuItem(item);
                AddSubMenuItems(item);
            }
            break;
        case TUICommandType::Item:
            button->SetStyle(TUIToolButtonStyle::tbsButton);
            button->SetAutoSize(true);
            break;
    }
    return button;
}

TUIMenuItem* TBOMUICommand::CreateMenuItem(TUIMenuItemOwner* owner) {
    TUIMenuItem* item = owner ? owner->NewMenuItem() : nullptr;
    if (!item) return nullptr;
    item->SetAction(action_.get());
    item->SetImageIndex(action_->GetImageIndex());
    switch (GetCommandType()) {
        case TUICommandType::Separator: item->SetCaption("-"); break;
        case TUICommandType::Group: AddSubMenuItems(item); break;
        case TUICommandType::Item: break;
    }
    return item;
}

void TBOMUICommand::AddSubMenuItems(TUIMenuItem* menuItem) {
    IPtr<IBOMCollection> commands = GetCommands();
    if (!menuItem || !commands) return;
    for (int i = 0; i < commands->Count(); ++i) {
        IPtr<IBOMUICommand> command = Supports<IBOMUICommand>(commands->Item(i));
        if (!command) continue;
        if (TUIMenuItem* item = command->CreateMenuItem(menuItem)) menuItem->Add(item);
    }
}

bool TBOMUICommand::HandleShortCut(unsigned key, TShiftState shift) {
    TShortCut shortCut = ShortCut(key, shift);
    // A command without a shortcut never takes a key.
    if (shortCut != scNone && shortCut == action_->GetShortCut()) return action_->Execute();
    IPtr<IBOMCollection> commands = GetCommands();
    for (int i = 0; commands && i < commands->Count(); ++i)
        if (IPtr<IBOMUICommand> command = Supports<IBOMUICommand>(commands->Item(i)))
            if (command->HandleShortCut(key, shift)) return true;
    return false;
}

// --- TBOMUICommands

void TBOMUICommands::Initialize() {
    TBOM_UI_Collection::Initialize();
    SetTypeName("BOMUICOMMANDS");
    SetStorageTag("commands");
    SetItemTag("command");
    SetDefaultItemClass("BOMUICOMMAND");
}

}  // namespace vpw
