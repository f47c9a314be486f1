#include "UIToolkit.h"

#include "Routines.h"

namespace vpw {

namespace {

struct TKeyName {
    unsigned key;
    const char* name;
};

// Named keys by Windows virtual-key code; letters, digits and F-keys are
// built by rule.
constexpr TKeyName kKeyNames[] = {
    {0x08, "BkSp"}, {0x09, "Tab"},   {0x0D, "Enter"}, {0x1B, "Esc"},   {0x20, "Space"},
    {0x21, "PgUp"}, {0x22, "PgDn"},  {0x23, "End"},   {0x24, "Home"},  {0x25, "Left"},
    {0x26, "Up"},   {0x27, "Right"}, {0x28, "Down"},  {0x2D, "Ins"},   {0x2E, "Del"},
};

constexpr unsigned kVkF1 = 0x70;
constexpr int kFunctionKeys = 24;

// Strips `prefix` from the front of `text` when it stands there (any case).
bool TakePrefix(std::string& text, const char* prefix) {
    std::string p = prefix;
    if (text.size() < p.size() || CompareTextAscii(text.substr(0, p.size()), p) != 0) return false;
    text.erase(0, p.size());
    return true;
}

// 0 for an unknown name.
unsigned KeyOfName(const std::string& name) {
    if (name.size() == 1) {
        char c = name[0];
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')) return static_cast<unsigned char>(c);
    }
    for (const TKeyName& k : kKeyNames)
        if (CompareTextAscii(name, k.name) == 0) return k.key;
    // "F1" to "F24", without leading zeros.
    if (name.size() < 2 || name.size() > 3 || (name[0] != 'F' && name[0] != 'f') || name[1] == '0') return 0;
    int n = 0;
    for (std::size_t i = 1; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return 0;
        n = n * 10 + (name[i] - '0');
    }
    return n <= kFunctionKeys ? kVkF1 + n - 1 : 0;
}

}  // namespace

TShortCut ShortCut(unsigned key, TShiftState shift) {
    if (key > 0xFF) return scNone;
    TShortCut result = static_cast<TShortCut>(key);
    if (shift & ssShift) result |= scShift;
    if (shift & ssCtrl) result |= scCtrl;
    if (shift & ssAlt) result |= scAlt;
    return result;
}

TShortCut TextToShortCut(const std::string& text) {
    std::string rest = text;
    TShortCut modifiers = scNone;
    for (bool found = true; found;) {
        found = true;
        if (TakePrefix(rest, "Shift+"))
            modifiers |= scShift;
        else if (TakePrefix(rest, "Ctrl+"))
            modifiers |= scCtrl;
        else if (TakePrefix(rest, "Alt+"))
            modifiers |= scAlt;
        else
            found = false;
    }
    unsigned key = KeyOfName(rest);
    return key ? static_cast<TShortCut>(key | modifiers) : scNone;
}

int TUIAction::AddChangeListener(TChangeListener listener) {
    if (!listener) return 0;
    listeners_.emplace_back(nextListener_, std::move(listener));
    return nextListener_++;
}

void TUIAction::RemoveChangeListener(int id) {
    for (auto it = listeners_.begin(); it != listeners_.end(); ++it)
        if (it->first == id) {
            listeners_.erase(it);
            return;
        }
}

void TUIAction::Changed() {
    // By id: a listener may add or remove listeners, and one removed on the
    // way must not be called.
    std::vector<int> ids;
    for (const auto& listener : listeners_) ids.push_back(listener.first);
    for (int id : ids)
        for (const auto& listener : listeners_)
            if (listener.first == id) {
                TChangeListener call = listener.second;
                call(this);
                break;
            }
}

std::string ShortCutToText(TShortCut shortCut) {
    unsigned key = shortCut & 0xFF;
    std::string name;
    if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9'))
        name = std::string(1, static_cast<char>(key));
    else if (key >= kVkF1 && key < kVkF1 + kFunctionKeys)
        name = "F" + std::to_string(key - kVkF1 + 1);
    else
        for (const TKeyName& k : kKeyNames)
            if (k.key == key) name = k.name;
    if (name.empty()) return {};
    std::string text;
    if (shortCut & scShift) text += "Shift+";
    if (shortCut & scCtrl) text += "Ctrl+";
    if (shortCut & scAlt) text += "Alt+";
    return text + name;
}

bool TUIAction::Update() {
    if (!OnUpdate) return false;
    OnUpdate(this);
    return true;
}

bool TUIAction::Execute() {
    Update();
    if (!enabled_ || !OnExecute) return false;
    OnExecute(this);
    return true;
}

}  // namespace vpw
