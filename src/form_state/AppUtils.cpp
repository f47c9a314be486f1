#include "AppUtils.h"

#include <cstdio>
#include <vector>

#include "AppGlobals.h"
#include "RegistryRoutines.h"
#include "StrUtils.h"

namespace vpw {

namespace {

constexpr char kWordDelims[] = " ,";

std::string ProgramFileName() {
    std::string path = ExecutablePath();
    return path.substr(path.find_last_of("\\/") + 1);
}

std::string FourNumbers(int a, int b, int c, int d) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%d,%d,%d,%d", a, b, c, d);
    return buf;
}

WINDOWPLACEMENT PlacementOf(HWND wnd) {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    GetWindowPlacement(wnd, &wp);
    return wp;
}

TWindowState StateOfShowCmd(int showCmd) {
    switch (showCmd) {
        case SW_SHOWNORMAL:
        case SW_SHOW:
        case SW_RESTORE:
            return TWindowState::wsNormal;
        case SW_SHOWMINIMIZED:
        case SW_MINIMIZE:
        case SW_SHOWMINNOACTIVE:
            return TWindowState::wsMinimized;
        case SW_SHOWMAXIMIZED:
            return TWindowState::wsMaximized;
        default:
            return TWindowState::wsNormal;
    }
}

// Workspace coordinates differ from the screen's only by a task bar at the
// top or left, which does not decide whether any of the window is visible.
bool OnSomeMonitor(const RECT& rect) { return MonitorFromRect(&rect, MONITOR_DEFAULTTONULL) != nullptr; }

}  // namespace

void TPlacementForm::SetWindowState(TWindowState state) {
    HWND wnd = Handle();
    if (wnd && IsWindowVisible(wnd)) {
        ShowWindow(wnd, state == TWindowState::wsMaximized   ? SW_SHOWMAXIMIZED
                        : state == TWindowState::wsMinimized ? SW_SHOWMINIMIZED
                                                             : SW_SHOWNORMAL);
    } else {
        pendingState_ = state;
    }
}

int TPlacementForm::InitialShowCommand() const {
    switch (pendingState_) {
        case TWindowState::wsMaximized:
            return SW_SHOWMAXIMIZED;
        case TWindowState::wsMinimized:
            return SW_SHOWMINIMIZED;
        default:
            return SW_SHOWNORMAL;
    }
}

// ---- stores ----

TRegistryStore::TRegistryStore(HKEY root, std::string key, bool readOnly) : root_(root), key_(std::move(key)) {
    if (root == HKEY_CURRENT_USER || !readOnly) OpenRegKeyForWrite(root_, key_);
}

std::string TRegistryStore::Path(const std::string& section) const {
    return section.empty() ? key_ : key_ + "\\" + section;
}

std::string TRegistryStore::ReadString(const std::string& section, const std::string& ident, const std::string& def) {
    std::string value;
    return ReadRegString(root_, Path(section), ident, value) ? value : def;
}

void TRegistryStore::WriteString(const std::string& section, const std::string& ident, const std::string& value) {
    WriteRegString(root_, Path(section), ident, value);
}

std::string TIniFileStore::ReadString(const std::string& section, const std::string& ident, const std::string& def) {
    std::vector<char> buf(2048);
    for (;;) {
        DWORD n = GetPrivateProfileStringA(section.c_str(), ident.c_str(), def.c_str(), buf.data(),
                                           static_cast<DWORD>(buf.size()), fileName_.c_str());
        if (n + 1 < buf.size()) return std::string(buf.data(), n);
        buf.resize(buf.size() * 2);
    }
}

void TIniFileStore::WriteString(const std::string& section, const std::string& ident, const std::string& value) {
    std::string text = value;
    // The INI reader strips one pair of quotes; keep the value's own.
    if (text.size() >= 2 && (text.front() == '"' || text.front() == '\'') && text.back() == text.front())
        text = '"' + text + '"';
    WritePrivateProfileStringA(section.c_str(), ident.c_str(), text.c_str(), fileName_.c_str());
}

// ---- routines ----

std::string DefaultStoreSection(const TPlacementForm* form) { return form ? form->FormClassName() : std::string(); }

std::string DefaultIniFileName() {
    std::string name = ProgramFileName();
    return name.substr(0, name.find_last_of('.')) + ".INI";
}

std::string DefaultRegistryKey() {
    std::string name = ProgramFileName();
    return "Software\\" + name.substr(0, name.find_last_of('.'));
}

std::string StoreReadString(TPlacementStore* store, const std::string& section, const std::string& ident,
                            const std::string& def) {
    return store ? store->ReadString(section, ident, def) : def;
}

void StoreWriteString(TPlacementStore* store, const std::string& section, const std::string& ident,
                      const std::string& value) {
    if (store) store->WriteString(section, ident, value);
}

int StoreReadInteger(TPlacementStore* store, const std::string& section, const std::string& ident, int def) {
    return StrToIntDef(StoreReadString(store, section, ident, std::to_string(def)), def);
}

void StoreWriteInteger(TPlacementStore* store, const std::string& section, const std::string& ident, int value) {
    StoreWriteString(store, section, ident, std::to_string(value));
}

std::string ScreenSizeSuffix() {
    char buf[48];
    std::snprintf(buf, sizeof buf, "(%dx%d)", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    return buf;
}

int ScreenPixelsPerInch() {
    HDC dc = GetDC(nullptr);
    int ppi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return ppi;
}

std::string ReadScreenValue(TPlacementStore* store, const std::string& section, const std::string& name) {
    std::string value = StoreReadString(store, section, name + ScreenSizeSuffix(), "");
    return value.empty() ? StoreReadString(store, section, name, "") : value;
}

void WriteScreenValue(TPlacementStore* store, const std::string& section, const std::string& name,
                      const std::string& value) {
    StoreWriteString(store, section, name + ScreenSizeSuffix(), value);
    StoreWriteString(store, section, name, value);
}

void WriteFormPlacementValues(TPlacementForm& form, TPlacementStore* store, const std::string& section) {
    HWND wnd = form.Handle();
    if (!wnd) return;
    WINDOWPLACEMENT wp = PlacementOf(wnd);
    if (form.IsMainForm() && IsIconic(wnd)) wp.showCmd = SW_SHOWMINIMIZED;
    StoreWriteInteger(store, section, "Flags", static_cast<int>(wp.flags));
    StoreWriteInteger(store, section, "ShowCmd", static_cast<int>(wp.showCmd));
    StoreWriteInteger(store, section, "PixelsPerInch", ScreenPixelsPerInch());
    WriteScreenValue(store, section, "MinMaxPos",
                     FourNumbers(wp.ptMinPosition.x, wp.ptMinPosition.y, wp.ptMaxPosition.x, wp.ptMaxPosition.y));
    const RECT& r = wp.rcNormalPosition;
    WriteScreenValue(store, section, "NormPos", FourNumbers(r.left, r.top, r.right, r.bottom));
}

namespace {

void ReadPosition(TPlacementForm& form, HWND wnd, WINDOWPLACEMENT& wp, TPlacementStore* store,
                  const std::string& section) {
    wp.flags = static_cast<UINT>(StoreReadInteger(store, section, "Flags", static_cast<int>(wp.flags)));
    std::string minMax = ReadScreenValue(store, section, "MinMaxPos");
    if (!minMax.empty()) {
        wp.ptMinPosition.x = StrToIntDef(NthWord(1, minMax, kWordDelims), 0);
        wp.ptMinPosition.y = StrToIntDef(NthWord(2, minMax, kWordDelims), 0);
        wp.ptMaxPosition.x = StrToIntDef(NthWord(3, minMax, kWordDelims), 0);
        wp.ptMaxPosition.y = StrToIntDef(NthWord(4, minMax, kWordDelims), 0);
    }
    std::string norm = ReadScreenValue(store, section, "NormPos");
    RECT current{};
    GetWindowRect(wnd, &current);
    if (!norm.empty()) {
        RECT& r = wp.rcNormalPosition;
        r.left = StrToIntDef(NthWord(1, norm, kWordDelims), current.left);
        r.top = StrToIntDef(NthWord(2, norm, kWordDelims), current.top);
        r.right = StrToIntDef(NthWord(3, norm, kWordDelims), current.right);
        r.bottom = StrToIntDef(NthWord(4, norm, kWordDelims), current.bottom);
    }
    if (minMax.empty() && norm.empty()) return;
    if (StoreReadInteger(store, section, "PixelsPerInch", ScreenPixelsPerInch()) != ScreenPixelsPerInch()) return;
    RECT& r = wp.rcNormalPosition;
    if (!(GetWindowLongA(wnd, GWL_STYLE) & WS_THICKFRAME)) {
        r.right = r.left + (current.right - current.left);
        r.bottom = r.top + (current.bottom - current.top);
    }
    // An empty rectangle, or one that no monitor shows, keeps the designed place.
    if (r.left >= r.right || !OnSomeMonitor(r)) return;
    if (form.PositionCentred()) form.UseDesignedPosition();
    SetWindowPlacement(wnd, &wp);
}

}  // namespace

void ReadFormPlacementValues(TPlacementForm& form, TPlacementStore* store, const std::string& section,
                             bool position, bool state) {
    HWND wnd = form.Handle();
    if (!wnd || (!position && !state)) return;
    WINDOWPLACEMENT wp = PlacementOf(wnd);
    if (!IsWindowVisible(wnd)) wp.showCmd = SW_HIDE;
    if (position) ReadPosition(form, wnd, wp, store, section);
    if (state) {
        int showCmd = StoreReadInteger(store, section, "ShowCmd", 0);
        TWindowState ws = StateOfShowCmd(showCmd);
        if (ws == TWindowState::wsMinimized && form.IsMainForm()) {
            // The whole program goes to the task bar, not just the form.
            form.SetWindowState(TWindowState::wsNormal);
            PostMessageA(wnd, WM_SYSCOMMAND, SC_MINIMIZE, 0);
            return;
        }
        form.SetWindowState(ws);
    }
    if (IsWindowVisible(wnd)) RedrawWindow(wnd, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
}

}  // namespace vpw
