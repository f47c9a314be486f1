#include "uWindowRollupDetailPanels.h"

#include <charconv>

#include "MultiLanguages.h"

namespace vpw {

namespace {

constexpr int kContentWidth = 360;
constexpr int kContentHeight = 250;
constexpr int kEditWidth = 49;
const char kDoubleClickAgent[] = "../../triggers/SCDefaultMessageTrigger/agents/WindowRollupSCDefaultAgent_JRY/params/enabled";
const char kDoubleClickTrigger[] = "../../triggers/SCDefaultMessageTrigger/params/enabled";
const char kActivateTrigger[] = "../../triggers/ActivateWindowMessageTrigger/params/enabled";
const char kInactivateTrigger[] = "../../triggers/InActivateWindowMessageTrigger/params/enabled";
const char kHoverAgent[] = "../../triggers/MouseHoverTrigger/agents/WindowRollupMouseHoverAgent_JRY/params/enabled";

// A signed decimal number and nothing else; 0 for any other text.
long long DelayNumber(const std::string& text) {
    long long value = 0;
    const char* first = text.data();
    const char* last = first + text.size();
    if (first != last && *first == '+') ++first;
    auto [end, error] = std::from_chars(first, last, value);
    return error == std::errc() && end == last && first != last ? value : 0;
}

}  // namespace

// --- TWindowRollupActionContentDetailPanel

TWindowRollupActionContentDetailPanel::TWindowRollupActionContentDetailPanel() : TCBDetailPanel(kContentHeight) {
    delays_[dlActiveRollup].enabledPath = "../../triggers/InActivateWindowMessageTrigger/params/lag_enabled";
    delays_[dlActiveRollup].intervalPath = "../../triggers/InActivateWindowMessageTrigger/params/lag_interval";
    delays_[dlActiveUnroll].enabledPath = "../../triggers/ActivateWindowMessageTrigger/params/lag_enabled";
    delays_[dlActiveUnroll].intervalPath = "../../triggers/ActivateWindowMessageTrigger/params/lag_interval";
    delays_[dlHoverUnroll].enabledPath = "../../triggers/MouseHoverTrigger/params/hover_lag_enabled";
    delays_[dlHoverUnroll].intervalPath = "../../triggers/MouseHoverTrigger/params/hover_lag_interval";
    delays_[dlHoverRollup].enabledPath = "../../triggers/MouseHoverTrigger/params/leave_lag_enabled";
    delays_[dlHoverRollup].intervalPath = "../../triggers/MouseHoverTrigger/params/leave_lag_interval";
}

void TWindowRollupActionContentDetailPanel::CreateControls(HWND frame) {
    selectTypeInfo_.Create(frame, "Select manual or automatic control of Window rollup:", 8, 4, 344, 16);
    manual_.Create(frame, BS_AUTORADIOBUTTON | WS_GROUP, "Manual control", 8, 22, 200, 17);
    manualInfo_.Create(frame, "Toggle window rollup\\unroll window state by double click on title bar.", 26, 40, 326, 28,
                       true);
    automatic_.Create(frame, BS_AUTORADIOBUTTON, "Automatic control", 8, 70, 200, 17);
    automaticInfo_.Create(frame,
                          "When the window becomes inactive, automatically roll it up. When it becomes active again, "
                          "unroll it.",
                          26, 88, 326, 28, true);
    mouseHover_.Create(frame, BS_AUTOCHECKBOX, "", 8, 172, 17, 17);
    mouseHoverLabel_.Create(frame,
                            "Temporarily unroll the window while the mouse cursor hovers on the window. Roll the window "
                            "up again when the mouse cursor leaves the window.",
                            26, 170, 326, 28, true);
    static const int rows[] = {118, 142, 202, 226};
    static const char* const captions[] = {"delay before rollup", "delay before unroll", "delay before unroll",
                                           "delay before rollup"};
    for (int i = 0; i < 4; ++i) {
        TDelayRow& row = delays_[i];
        row.checkBox.Create(frame, BS_AUTOCHECKBOX, captions[i], 26, rows[i], 130, 17);
        row.edit.Create(frame, 160, rows[i] - 2, kEditWidth, 21);
        row.unit.Create(frame, "milliseconds", 214, rows[i] + 1, 100, 16);
        row.checkBox.OnClick = [this, &row] { StoreDelayEnabled(row); };
        row.edit.OnChange = [this, &row] { StoreDelay(row); };
        // Typed text is shown as stored once the field is left.
        row.edit.OnExit = [this] { UpdateControls(); };
    }
    manual_.OnClick = [this] {
        automatic_.SetChecked(false);
        SetControlMode(true);
    };
    automatic_.OnClick = [this] {
        manual_.SetChecked(false);
        SetControlMode(false);
    };
    mouseHover_.OnClick = [this] { MouseHoverCheckBoxClick(); };
    mouseHoverLabel_.OnClick = [this] {
        mouseHover_.SetChecked(!mouseHover_.GetChecked());
        MouseHoverCheckBoxClick();
    };
}

void TWindowRollupActionContentDetailPanel::TranslateControls() {
    SetCaption(Translate("WRACDP_Caption", "Window Rollup"));
    selectTypeInfo_.SetText(Translate("WRACDP_SelectTypeInfo", selectTypeInfo_.GetText()));
    manual_.SetText(Translate("WRACDP_ManualControl", manual_.GetText()));
    manualInfo_.SetText(Translate("WRACDP_ManualInfo", manualInfo_.GetText()));
    automatic_.SetText(Translate("WRACDP_AutomaticControl", automatic_.GetText()));
    automaticInfo_.SetText(Translate("WRACDP_AutomaticInfo", automaticInfo_.GetText()));
    for (int i : {dlActiveRollup, dlHoverRollup})
        delays_[i].checkBox.SetText(Translate("WRACDP_DelayBeforeRollup", delays_[i].checkBox.GetText()));
    for (int i : {dlActiveUnroll, dlHoverUnroll})
        delays_[i].checkBox.SetText(Translate("WRACDP_DelayBeforeUnroll", delays_[i].checkBox.GetText()));
    for (TDelayRow& row : delays_) row.unit.SetText(Translate("WRACDP_TimeUnit", row.unit.GetText()));
    mouseHoverLabel_.SetText(Translate("WRACDP_MouseHover", mouseHoverLabel_.GetText()));
    ArrangeDelayControls();
}

void TWindowRollupActionContentDetailPanel::ArrangeDelayControls() {
    // Room for the longer caption plus the box itself.
    int width = std::max(TextExtent(delays_[dlActiveRollup].checkBox.Handle(), nullptr,
                                    delays_[dlActiveRollup].checkBox.GetText()).cx,
                         TextExtent(delays_[dlActiveUnroll].checkBox.Handle(), nullptr,
                                    delays_[dlActiveUnroll].checkBox.GetText()).cx) +
                20;
    for (TDelayRow& row : delays_) {
        RECT box = row.checkBox.BoundsInParent();
        row.checkBox.SetBounds(box.left, box.top, width, box.bottom - box.top);
        RECT edit = row.edit.BoundsInParent();
        row.edit.SetBounds(box.left + width, edit.top, kEditWidth, edit.bottom - edit.top);
        RECT unit = row.unit.BoundsInParent();
        row.unit.SetBounds(box.left + width + kEditWidth + 5, unit.top, row.unit.TextWidth() + 4, unit.bottom - unit.top);
    }
}

void TWindowRollupActionContentDetailPanel::LoadDelay(TDelayRow& row) {
    std::string value;
    row.checkBox.SetChecked(ReadParam(row.enabledPath, value) && value == "yes");
    // Never under the caret of a field being typed in.
    if (GetFocus() != row.edit.Handle()) {
        row.edit.SetText("");
        if (ReadParam(row.intervalPath, value)) row.edit.SetText(value);
    }
    row.edit.SetEnabled(row.checkBox.GetChecked() && IsWindowEnabled(Handle()));
}

void TWindowRollupActionContentDetailPanel::UpdateControls() {
    TLoadingGuard loading(*this);
    std::string value;
    manual_.SetChecked(true);
    automatic_.SetChecked(false);
    if (ReadParam(kDoubleClickAgent, value) && value == "no") {
        manual_.SetChecked(false);
        automatic_.SetChecked(true);
    }
    if (ReadParam(kActivateTrigger, value) && value == "no" && automatic_.GetChecked()) automatic_.SetChecked(false);
    LoadDelay(delays_[dlActiveRollup]);
    LoadDelay(delays_[dlActiveUnroll]);
    mouseHover_.SetChecked(ReadParam(kHoverAgent, value) && value == "yes");
    LoadDelay(delays_[dlHoverUnroll]);
    LoadDelay(delays_[dlHoverRollup]);
}

void TWindowRollupActionContentDetailPanel::SetControlMode(bool manual) {
    WriteParam(kDoubleClickAgent, YesNo(manual));
    WriteParam(kActivateTrigger, YesNo(!manual));
    WriteParam(kInactivateTrigger, YesNo(!manual));
    UpdateControls();
}

void TWindowRollupActionContentDetailPanel::StoreDelayEnabled(TDelayRow& row) {
    WriteParam(row.enabledPath, YesNo(row.checkBox.GetChecked()));
    UpdateControls();
}

void TWindowRollupActionContentDetailPanel::StoreDelay(TDelayRow& row) {
    if (IsLoading()) return;
    std::string number = std::to_string(DelayNumber(row.edit.GetText()));
    int start = row.edit.GetSelStart();
    std::string stored;
    if (ReadParam(row.intervalPath, stored) && stored != number) WriteParam(row.intervalPath, number);
    UpdateControls();
    row.edit.SetSelStart(start);
}

void TWindowRollupActionContentDetailPanel::MouseHoverCheckBoxClick() {
    WriteParam(kHoverAgent, YesNo(mouseHover_.GetChecked()));
    UpdateControls();
}

// --- TWindowRollupActionDetailPanel_ZOV

TWindowRollupActionDetailPanel_ZOV::TWindowRollupActionDetailPanel_ZOV()
    : TWithContentAbstractDetailPanel(kContentHeight + TGroupBox::ContentTop + 4),
      content_(std::make_unique<TWindowRollupActionContentDetailPanel>()) {
    SetContent(content_.get());
}

TWindowRollupActionDetailPanel_ZOV::~TWindowRollupActionDetailPanel_ZOV() {
    // The content's window goes first, while the box that holds it is there.
    SetContent(nullptr);
    content_.reset();
}

void TWindowRollupActionDetailPanel_ZOV::CreateControls(HWND frame) {
    checkGroupBox_.Create(frame, "Enable window rollup ", 0, 0, kContentWidth + 4, PanelHeight());
    checkGroupBox_.SetBoxAlignment(TBoxAlignment::RightOfText);
    checkGroupBox_.OnCheckBoxClick = [this](TCheckGroupBox*) { EnabledCheckBoxClick(); };
    if (HWND content = content_->Handle()) SetParent(content, checkGroupBox_.Handle());
    ShowWindow(content_->Handle(), SW_SHOW);
    checkGroupBox_.SetChecked(false);
}

void TWindowRollupActionDetailPanel_ZOV::Layout(int width, int height) {
    checkGroupBox_.SetBounds(0, 0, width, height);
    MoveWindow(content_->Handle(), 2, TGroupBox::ContentTop, std::max(width - 4, kContentWidth), kContentHeight, TRUE);
}

void TWindowRollupActionDetailPanel_ZOV::Init(IBOMObject* object) {
    TWithContentAbstractDetailPanel::Init(object);
    // The content stays inside the group box, below its caption.
    Relayout();
}

void TWindowRollupActionDetailPanel_ZOV::TranslateControls() {
    TWithContentAbstractDetailPanel::TranslateControls();
    checkGroupBox_.SetCaption(Translate("WRACDP_Enabled", "Enable window rollup"));
}

void TWindowRollupActionDetailPanel_ZOV::UpdateControls() {
    // The box first: it enables everything inside, and the content then
    // disables the fields of the delays that are off.
    std::string value;
    if (ReadParam("params/enabled", value)) checkGroupBox_.SetChecked(value == "yes");
    TWithContentAbstractDetailPanel::UpdateControls();
}

void TWindowRollupActionDetailPanel_ZOV::EnabledCheckBoxClick() {
    bool on = checkGroupBox_.GetChecked();
    WriteParam("params/enabled", YesNo(on));
    WriteParam(kDoubleClickTrigger, YesNo(on));
    WriteParam(kDoubleClickAgent, YesNo(on));
    if (!on) {
        WriteParam(kActivateTrigger, "no");
        WriteParam(kInactivateTrigger, "no");
    }
    UpdateControls();
}

}  // namespace vpw
