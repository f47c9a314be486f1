#include "uTriggerDetailPanels.h"

#include "BOM_UI_Interfaces.h"
#include "MultiLanguages.h"

namespace vpw {

namespace {

constexpr int kRadioStrip = 20;
constexpr int kLastStrip = 23;
constexpr int kOptionIndent = 24;
const char* const kMinimizeActions[] = {"MinToTrayForMinimizeEvent", "MinToEdgeForMinimizeEvent"};
const char kAgentActionName[] = "agents/MinimizeEventAgent/params/action_name";

}  // namespace

// --- TCaptionButtonTriggerContentDetailPanel

TCaptionButtonTriggerContentDetailPanel::TCaptionButtonTriggerContentDetailPanel() : TCBDetailPanel(28) {}

void TCaptionButtonTriggerContentDetailPanel::TranslateControls() {
    SetCaption(Translate("CBTDP_Caption", "Title Buttons"));
}

void TCaptionButtonTriggerContentDetailPanel::Init(IBOMObject* object) {
    TCBDetailPanel::Init(object);
    IPtr<IBOMCollection> agents = Supports<IBOMCollection>(object ? object->Resolve("agents") : nullptr);
    if (!agents)
        throw EDetailPanelError(
            "TCaptionButtonTriggerContentDetailPanel.Init: Coudn\"t find Agents - {DFAAC280-E401-4508-84F5-2026FCA86812}");
    SetPanelHeight(EmbedEach(agents.get(), "DefaultDetailPanel", Handle()));
}

void TCaptionButtonTriggerContentDetailPanel::Layout(int width, int) { StackEmbedded(Handle(), 0, 0, width); }

// --- TCaptionButtonAgentDetailPanel_KXR

void TCaptionButtonAgentDetailPanel_KXR::Init(IBOMObject* object) {
    TActionDetailPanel::Init(object);
    std::string name;
    ReadParam("params/action_name", name);
    int height = 0;
    if (IPtr<IBOMObject> action = object ? object->Resolve("../../../../actions/" + name) : nullptr)
        if (TDetailPanelFrame* panel = Embed(action.get(), "ForCaptionButtonDetailPanel", ActionDetailPanel().Handle()))
            height = StackHeight(panel);
    SetPanelHeight(PanelHeight() + height);
}

void TCaptionButtonAgentDetailPanel_KXR::UpdateControls() {
    std::string value;
    if (ReadParam("params/enabled", value)) EnabledCheckBox().SetChecked(value == "yes");
    EnabledCheckBox().SetText("");
    std::string name;
    ReadParam("params/action_name", name);
    if (ReadParam("../../../../actions/" + name + "/params/caption", value) || ReadParam("params/name", value))
        EnabledCheckBox().SetText(value);
}

// --- TSCMinimizeMessageTriggerContentDetailPanel

TSCMinimizeMessageTriggerContentDetailPanel::TSCMinimizeMessageTriggerContentDetailPanel()
    : TCBDetailPanel(2 * kRadioStrip + kLastStrip + 4) {}

void TSCMinimizeMessageTriggerContentDetailPanel::CreateControls(HWND frame) {
    static const char* const captions[] = {"Minimize To Tray", "Minimize To Screen Edge", "Don't use minimizing options"};
    for (int tag = mcToTray; tag <= mcNone; ++tag) {
        TButtonControl& radio = RadioButton(tag);
        radio.Create(frame, BS_AUTORADIOBUTTON, captions[tag - 1], 8, 0, 200, 17);
        radio.OnClick = [this, tag] { MinToTrayRadioButtonClick(tag); };
    }
    for (TContainer& holder : holders_) holder.Create(frame, 0, 0, 100, 1);
}

void TSCMinimizeMessageTriggerContentDetailPanel::Layout(int width, int) {
    int top = 0;
    for (int i = 0; i < 3; ++i) {
        RadioButton(i + 1).SetBounds(8, top + 2, std::max(width - 16, 20), 17);
        top += i < 2 ? kRadioStrip : kLastStrip;
        if (i == 2) break;
        int height = 1;
        for (TDetailPanelFrame* panel : EmbeddedIn(holders_[i].Handle())) height = StackHeight(panel);
        holders_[i].SetBounds(0, top, width, height);
        StackEmbedded(holders_[i].Handle(), kOptionIndent, 0, std::max(width - kOptionIndent, 0));
        top += height;
    }
}

void TSCMinimizeMessageTriggerContentDetailPanel::TranslateControls() {
    SetCaption(Translate("MMTDP_Caption", "Minimizing options"));
    static const char* const names[] = {"MMTDP_MinToTrayOption", "MMTDP_MinToEdgeOption", "MMTDP_DisableOption"};
    for (int tag = mcToTray; tag <= mcNone; ++tag)
        RadioButton(tag).SetText(Translate(names[tag - 1], RadioButton(tag).GetText()));
}

void TSCMinimizeMessageTriggerContentDetailPanel::Init(IBOMObject* object) {
    TCBDetailPanel::Init(object);
    int height = PanelHeight();
    for (int i = 0; i < 2; ++i)
        if (IPtr<IBOMObject> action = object ? object->Resolve(std::string("../../actions/") + kMinimizeActions[i]) : nullptr)
            if (TDetailPanelFrame* panel = Embed(action.get(), "DefaultDetailPanel", holders_[i].Handle()))
                height += StackHeight(panel);
    SetPanelHeight(height);
    Relayout();
}

void TSCMinimizeMessageTriggerContentDetailPanel::UpdateControls() {
    std::string value;
    if (!ReadParam(kAgentActionName, value)) return;
    int chosen = value == kMinimizeActions[0] ? mcToTray : value == kMinimizeActions[1] ? mcToEdge : mcNone;
    for (int tag = mcToTray; tag <= mcNone; ++tag) RadioButton(tag).SetChecked(tag == chosen);
}

void TSCMinimizeMessageTriggerContentDetailPanel::MinToTrayRadioButtonClick(int tag) {
    for (int other = mcToTray; other <= mcNone; ++other)
        if (other != tag) RadioButton(other).SetChecked(false);
    SetMinimizeAction(tag);
}

void TSCMinimizeMessageTriggerContentDetailPanel::SetMinimizeAction(int tag) {
    if (tag < mcToTray || tag > mcNone || !ParamAt(kAgentActionName)) return;
    WriteParam(kAgentActionName, tag == mcNone ? "" : kMinimizeActions[tag - 1]);
    for (int i = 0; i < 2; ++i)
        WriteParam(std::string("../../actions/") + kMinimizeActions[i] + "/params/enabled", YesNo(tag == i + 1));
}

}  // namespace vpw
