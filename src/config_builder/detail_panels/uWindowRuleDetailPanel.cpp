#include "uWindowRuleDetailPanel.h"

#include "BOM_UI_Interfaces.h"
#include "MultiLanguages.h"
#include "Routines.h"
#include "uCBRoutines.h"

namespace vpw {

namespace {

constexpr int kNameStrip = 29;
constexpr int kMinPageHeight = 260;

}  // namespace

// --- TWindowRuleDetailPanel

TWindowRuleDetailPanel::TWindowRuleDetailPanel() : TCBDetailPanel(300) {}

void TWindowRuleDetailPanel::CreateControls(HWND frame) {
    groupBox_.Create(frame, " Window rule ", 0, 0, 100, 100);
    scrollBox_.Create(groupBox_.Handle(), 2, TGroupBox::ContentTop, 96, 80);
    mainPanel_.Create(scrollBox_.Handle(), 0, 0, 96, kNameStrip);
    enabledCheckBox_.Create(mainPanel_.Handle(), "", 8, 6, 17, 17);
    nameEdit_.Create(mainPanel_.Handle(), 30, 4, 60, 21);
    enabledCheckBox_.OnClick = [this] { EnabledCheckBoxClick(); };
    nameEdit_.OnExit = [this] { NameEditExit(); };
    nameEdit_.OnKeyPress = [this](char key) { NameEditKeyPress(key); };
    scrollBox_.OnResize = [this](int width, int height) {
        scrollBox_.SetContentHeight(LayOutContent(width, kNameStrip, height));
    };
}

void TWindowRuleDetailPanel::Layout(int width, int height) {
    groupBox_.SetBounds(0, 0, width, height);
    scrollBox_.SetBounds(2, TGroupBox::ContentTop, std::max(width - 4, 0), std::max(height - TGroupBox::ContentTop - 2, 0));
}

int TWindowRuleDetailPanel::LayOutContent(int width, int top, int) {
    int scrolled = -scrollBox_.GetScrollPos();
    mainPanel_.SetBounds(0, scrolled, width, kNameStrip);
    nameEdit_.SetBounds(30, 4, std::max(width - 38, 20), 21);
    return StackEmbedded(scrollBox_.Handle(), 0, top + scrolled, width) - scrolled;
}

void TWindowRuleDetailPanel::TranslateControls() {
    groupBox_.SetText(GroupCaption("WRDP_Caption", groupBox_.GetText()));
    nameEdit_.SetHint(Translate("WRDP_NameHint", nameEdit_.GetHint()));
    enabledCheckBox_.SetHint(Translate("WRDP_EnabledHint", enabledCheckBox_.GetHint()));
}

void TWindowRuleDetailPanel::Init(IBOMObject* object) {
    TCBDetailPanel::Init(object);
    if (IPtr<IBOMObject> condition = object ? object->Resolve("conditions/DefaultCondition") : nullptr)
        Embed(condition.get(), "DefaultDetailPanel", scrollBox_.Handle());
}

void TWindowRuleDetailPanel::UpdateControls() {
    std::string value;
    if (ReadParam("params/enabled", value)) enabledCheckBox_.SetChecked(value == "yes");
    nameEdit_.SetText("");
    if (ReadParam("params/name", value)) nameEdit_.SetText(value);
}

void TWindowRuleDetailPanel::EnabledCheckBoxClick() {
    WriteParam("params/enabled", YesNo(enabledCheckBox_.GetChecked()));
    UpdateControls();
}

std::string TWindowRuleDetailPanel::NameProblem(const std::string& name) {
    if (name.empty()) return "WRDP_NameEmpty";
    // They would break the rule's descriptor and its registry key.
    if (name.find_first_of("\\{}") != std::string::npos) return "WRDP_NameChars";
    IBOMObject* rule = GetBoundObject();
    if (IPtr<IBOMCollection> rules = Supports<IBOMCollection>(rule->Resolve("..")))
        if (IPtr<IBOMObject> other = rules->Item(Variant(name)); other && other.get() != rule) return "WRDP_NameTaken";
    return "";
}

void TWindowRuleDetailPanel::StoreName() {
    IBOMObject* rule = GetBoundObject();
    std::string name = nameEdit_.GetText();
    if (!rule || rule->GetName() == name) return;
    std::string problem = NameProblem(name);
    if (problem.empty()) {
        RenameObject(name);
        return;
    }
    nameEdit_.SetText(rule->GetName());
    static const char* const defaults[][2] = {
        {"WRDP_NameEmpty", "A window rule needs a name."},
        {"WRDP_NameTaken", "Another window rule already has this name."},
        {"WRDP_NameChars", "A window rule name cannot contain the characters \\ { }"},
    };
    std::string text;
    for (const auto& d : defaults)
        if (problem == d[0]) text = Translate(d[0], d[1]);
    // Not from inside the focus change that may have brought us here.
    Post([this, text] { ShowMessage(GetAncestor(Handle(), GA_ROOT), text, MB_OK | MB_ICONWARNING); });
}

void TWindowRuleDetailPanel::NameEditExit() { StoreName(); }

void TWindowRuleDetailPanel::NameEditKeyPress(char key) {
    if (key != VK_RETURN) return;
    int start = nameEdit_.GetSelStart();
    StoreName();
    nameEdit_.SetSelStart(start);
}

// --- TMultiPurposeWindowRuleDetailPanel

void TMultiPurposeWindowRuleDetailPanel::CreateControls(HWND frame) {
    TWindowRuleDetailPanel::CreateControls(frame);
    pageControl_.Create(ScrollBox().Handle(), 0, 0, 100, kMinPageHeight);
}

void TMultiPurposeWindowRuleDetailPanel::Init(IBOMObject* object) {
    TWindowRuleDetailPanel::Init(object);
    TOneArrayOfString paths;
    SplitParamString("triggers/CaptionButtons;triggers/MinimizeEvent;actions;actions/WindowRollup", paths, ';');
    for (const std::string& path : paths) {
        IPtr<IBOMObject> item = object ? object->Resolve(path) : nullptr;
        if (!item) continue;
        IPtr<IUIElement> element = Supports<IUIElement>(item->GetInterfaceByName("UIElement"));
        auto* panel = element ? dynamic_cast<TDetailPanelFrame*>(element->GetDetailPanel("ContentDetailPanel")) : nullptr;
        if (!panel || !panel->Handle()) continue;
        TContainer* page = pageControl_.AddPage(panel->GetCaption());
        if (!page) continue;
        auto box = std::make_unique<TScrollBox>();
        box->Create(page->Handle(), 0, 0, 10, 10);
        TScrollBox* shown = box.get();
        page->OnResize = [shown](int width, int height) { shown->SetBounds(0, 0, width, height); };
        shown->OnResize = [this, shown](int width, int) { LayOutPage(*shown, width); };
        Adopt(panel, shown->Handle());
        pageBoxes_.push_back(std::move(box));
        RECT r{};
        GetClientRect(page->Handle(), &r);
        shown->SetBounds(0, 0, r.right, r.bottom);
        LayOutPage(*shown, r.right);
    }
    RECT r{};
    GetClientRect(ScrollBox().Handle(), &r);
    ScrollBox().SetContentHeight(LayOutContent(r.right, kNameStrip, r.bottom));
}

void TMultiPurposeWindowRuleDetailPanel::LayOutPage(TScrollBox& box, int width) {
    int height = 0;
    for (HWND child = GetWindow(box.Handle(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (TDetailPanelFrame* panel = FrameOfWindow(child)) {
            height = StackHeight(panel);
            MoveWindow(child, 0, -box.GetScrollPos(), width, height, TRUE);
        }
    box.SetContentHeight(height);
}

int TMultiPurposeWindowRuleDetailPanel::LayOutContent(int width, int top, int visibleHeight) {
    int bottom = TWindowRuleDetailPanel::LayOutContent(width, top, visibleHeight);
    if (!pageControl_.Handle()) return bottom;
    int height = std::max(visibleHeight - bottom, kMinPageHeight);
    pageControl_.SetBounds(0, bottom - ScrollBox().GetScrollPos(), width, height);
    return bottom + height;
}

}  // namespace vpw
