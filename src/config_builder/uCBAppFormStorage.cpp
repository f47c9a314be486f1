#include "uCBAppFormStorage.h"

#include <commctrl.h>

#include <algorithm>
#include <array>

#include "uCBAppForm.h"

namespace vpw {

TCBAppFormStorage::TCBAppFormStorage(TCBAppForm& form) : form_(form) {
    treeView_.Props.Add(IntegerProp("Width", [this] { return form_.TreeWidth(); },
                                    [this](int width) { form_.SetTreeWidth(width); }));
    AddBarProps(menuToolBar_, kMenuBar);
    AddBarProps(toolBarToolBar_, kToolBar);
    components_.Add(&treeView_);
    components_.Add(&menuToolBar_);
    components_.Add(&toolBarToolBar_);

    storage_.SetUseRegistry(true);
    storage_.SetIniFileName(CB_FORM_STORAGE_KEY);
    storage_.SetStoredProps({"TreeView.Width", "MenuToolBar.Height", "MenuToolBar.Left", "MenuToolBar.Top",
                             "MenuToolBar.Width", "ToolBarToolBar.Top", "ToolBarToolBar.Width",
                             "ToolBarToolBar.Left", "ToolBarToolBar.Height"});
    // The bars' four values arrive one by one; they are placed together.
    storage_.OnRestorePlacement = [this](TFormPlacement*) { ApplyBarLayout(); };
    storage_.Loaded();
}

HWND TCBAppFormStorage::Handle() const { return form_.Handle(); }

void TCBAppFormStorage::FormDestroy() {
    storage_.FormDestroy();
    destroying_ = true;
}

HWND TCBAppFormStorage::Bar(int which) const {
    return which == kMenuBar ? form_.MenuToolBar().Handle() : form_.ToolBarToolBar().Handle();
}

TCBAppFormStorage::TBarRect TCBAppFormStorage::BarRect(int which) const {
    RECT r{};
    GetWindowRect(Bar(which), &r);
    MapWindowPoints(nullptr, form_.ControlBar(), reinterpret_cast<POINT*>(&r), 2);
    return {r.left, r.top, r.right - r.left, r.bottom - r.top};
}

void TCBAppFormStorage::AddBarProps(TStorableComponent& component, int which) {
    struct TField {
        const char* name;
        int TBarRect::*field;
    };
    static constexpr TField kFields[] = {{"Left", &TBarRect::left},
                                         {"Top", &TBarRect::top},
                                         {"Width", &TBarRect::width},
                                         {"Height", &TBarRect::height}};
    for (const TField& f : kFields)
        component.Props.Add(IntegerProp(
            f.name, [this, which, field = f.field] { return BarRect(which).*field; },
            [this, which, field = f.field](int value) { wanted_[which].*field = value; }));
}

namespace {

// A bar that starts below the middle of the one before opens a new row.
bool StartsRowBelow(const TCBAppFormStorage::TBarRect& before, const TCBAppFormStorage::TBarRect& after) {
    return after.top >= before.top + before.height / 2;
}

int BandIndexOf(HWND rebar, HWND child) {
    int count = static_cast<int>(SendMessageA(rebar, RB_GETBANDCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        REBARBANDINFOA band{};
        band.cbSize = sizeof band;
        band.fMask = RBBIM_CHILD;
        if (SendMessageA(rebar, RB_GETBANDINFOA, i, reinterpret_cast<LPARAM>(&band)) && band.hwndChild == child)
            return i;
    }
    return -1;
}

void SetBandBreak(HWND rebar, int index, bool newRow) {
    REBARBANDINFOA band{};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_STYLE;
    SendMessageA(rebar, RB_GETBANDINFOA, index, reinterpret_cast<LPARAM>(&band));
    band.fStyle = newRow ? band.fStyle | RBBS_BREAK : band.fStyle & ~RBBS_BREAK;
    SendMessageA(rebar, RB_SETBANDINFOA, index, reinterpret_cast<LPARAM>(&band));
}

int BandWidth(HWND rebar, int index) {
    REBARBANDINFOA band{};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_SIZE;
    SendMessageA(rebar, RB_GETBANDINFOA, index, reinterpret_cast<LPARAM>(&band));
    return static_cast<int>(band.cx);
}

void SetBandWidth(HWND rebar, int index, int width) {
    REBARBANDINFOA band{};
    band.cbSize = sizeof band;
    band.fMask = RBBIM_SIZE;
    band.cx = static_cast<UINT>(std::max(width, 0));
    SendMessageA(rebar, RB_SETBANDINFOA, index, reinterpret_cast<LPARAM>(&band));
}

}  // namespace

void TCBAppFormStorage::ApplyBarLayout() {
    HWND rebar = form_.ControlBar();
    if (!rebar) return;
    // Row by row, then left to right: the bands' order in the control bar.
    std::array<int, kBarCount> order{kMenuBar, kToolBar};
    std::sort(order.begin(), order.end(), [this](int a, int b) {
        if (StartsRowBelow(wanted_[a], wanted_[b])) return true;
        if (StartsRowBelow(wanted_[b], wanted_[a])) return false;
        return wanted_[a].left < wanted_[b].left;
    });
    for (int i = 0; i < kBarCount; ++i) {
        int from = BandIndexOf(rebar, Bar(order[i]));
        if (from >= 0 && from != i) SendMessageA(rebar, RB_MOVEBAND, from, i);
    }
    for (int i = 1; i < kBarCount; ++i)
        SetBandBreak(rebar, i, StartsRowBelow(wanted_[order[i - 1]], wanted_[order[i]]));
    // The control bar's rows may have changed its height.
    SendMessageA(form_.Handle(), WM_SIZE, 0, 0);
    // A band followed by another in its row ends where that one's bar began;
    // measured and corrected, since borders and grippers add to the band.
    for (int pass = 0; pass < 2; ++pass)
        for (int i = 0; i + 1 < kBarCount; ++i) {
            const TBarRect& next = wanted_[order[i + 1]];
            if (StartsRowBelow(wanted_[order[i]], next)) continue;
            int shift = next.left - BarRect(order[i + 1]).left;
            if (shift != 0) SetBandWidth(rebar, i, BandWidth(rebar, i) + shift);
        }
}

}  // namespace vpw
