// The pieces of the GUI toolkit that commands work with: actions, shortcuts,
// and the menu items and tool buttons that the configuration program builds.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "BOM_UI_Interfaces.h"

namespace vpw {

// A Windows virtual-key code in the low byte, modifiers in the high bits.
using TShortCut = std::uint16_t;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;

// 0 for a key code that does not fit in a byte.
TShortCut ShortCut(unsigned key, TShiftState shift);
// "F1", "Ctrl+S", "Shift+Alt+Del" (any letter case); 0 for an empty or
// unknown text.
TShortCut TextToShortCut(const std::string& text);
// The reverse, as menus show it ("Ctrl+S", "F1"); empty for none.
std::string ShortCutToText(TShortCut shortCut);

class TUIAction {
public:
    using TEvent = std::function<void(TUIAction* sender)>;

    TUIAction() = default;
    TUIAction(const TUIAction&) = delete;
    TUIAction& operator=(const TUIAction&) = delete;

    const std::string& GetName() const { return name_; }
    void SetName(const std::string& name) { Change(name_, name); }
    const std::string& GetCaption() const { return caption_; }
    void SetCaption(const std::string& caption) { Change(caption_, caption); }
    const std::string& GetHint() const { return hint_; }
    void SetHint(const std::string& hint) { Change(hint_, hint); }
    TShortCut GetShortCut() const { return shortCut_; }
    void SetShortCut(TShortCut shortCut) { Change(shortCut_, shortCut); }
    int GetImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index) { Change(imageIndex_, index); }
    bool GetEnabled() const { return enabled_; }
    void SetEnabled(bool enabled) { Change(enabled_, enabled); }

    // The controls that show the action hear of every change of what they
    // show (captions are translated after the controls exist). The id
    // removes the listener; a control removes itself before it goes.
    using TChangeListener = std::function<void(TUIAction* sender)>;
    int AddChangeListener(TChangeListener listener);
    void RemoveChangeListener(int id);

    // True when an update handler ran.
    bool Update();
    // Updates first; runs the execute handler only when enabled. True when
    // it ran.
    bool Execute();

    TEvent OnExecute;
    TEvent OnUpdate;

private:
    template <class T>
    void Change(T& field, const T& value) {
        if (field == value) return;
        field = value;
        Changed();
    }
    void Changed();

    std::vector<std::pair<int, TChangeListener>> listeners_;
    int nextListener_ = 1;
    std::string name_;
    std::string caption_;
    std::string hint_;
    TShortCut shortCut_ = scNone;
    int imageIndex_ = -1;
    bool enabled_ = true;
};

class TUIMenuItem;
class TUIToolButton;

// Something that owns menu items: what it creates it also frees.
class TUIMenuItemOwner {
public:
    virtual ~TUIMenuItemOwner() = default;
    virtual TUIMenuItem* NewMenuItem() = 0;
};

// Something that owns tool buttons (a tool bar).
class TUIToolButtonOwner {
public:
    virtual ~TUIToolButtonOwner() = default;
    virtual TUIToolButton* NewToolButton() = 0;
};

class TUIMenuItem : public TUIMenuItemOwner {
public:
    // Shows the action's caption, hint, shortcut and image, and runs it.
    virtual void SetAction(TUIAction* action) = 0;
    // "-" makes a separator line.
    virtual void SetCaption(const std::string& caption) = 0;
    virtual void SetImageIndex(int index) = 0;
    // Appends a sub-item.
    virtual void Add(TUIMenuItem* item) = 0;
};

enum class TUIToolButtonStyle { tbsButton, tbsSeparator };

class TUIToolButton : public TUIMenuItemOwner {
public:
    virtual void SetAction(TUIAction* action) = 0;
    virtual void SetStyle(TUIToolButtonStyle style) = 0;
    // Sized to its content when on.
    virtual void SetAutoSize(bool autoSize) = 0;
    virtual void SetWidth(int width) = 0;
    // The item that the button's own popup menu holds and drops down.
    virtual void SetMenuItem(TUIMenuItem* item) = 0;
};

}  // namespace vpw
