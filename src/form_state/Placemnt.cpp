#include "Placemnt.h"

#include "Routines.h"
#include "StrUtils.h"

namespace vpw {

// ---- TWinMinMaxInfo ----

LONG& TWinMinMaxInfo::Slot(TField field) {
    switch (field) {
        case MaxPosLeft:
            return info_.ptMaxPosition.x;
        case MaxPosTop:
            return info_.ptMaxPosition.y;
        case MaxSizeHeight:
            return info_.ptMaxSize.y;
        case MaxSizeWidth:
            return info_.ptMaxSize.x;
        case MaxTrackHeight:
            return info_.ptMaxTrackSize.y;
        case MaxTrackWidth:
            return info_.ptMaxTrackSize.x;
        case MinTrackHeight:
            return info_.ptMinTrackSize.y;
        case MinTrackWidth:
            break;
    }
    return info_.ptMinTrackSize.x;
}

int TWinMinMaxInfo::Get(TField field) const { return const_cast<TWinMinMaxInfo*>(this)->Slot(field); }

void TWinMinMaxInfo::Set(TField field, int value) {
    if (Slot(field) == value) return;
    Slot(field) = value;
    if (owner_) owner_->SizeLimitsChanged();
}

void TWinMinMaxInfo::Assign(const TWinMinMaxInfo& other) {
    info_.ptMaxPosition = other.info_.ptMaxPosition;
    info_.ptMaxSize = other.info_.ptMaxSize;
    info_.ptMaxTrackSize = other.info_.ptMaxTrackSize;
    info_.ptMinTrackSize = other.info_.ptMinTrackSize;
    if (owner_) owner_->SizeLimitsChanged();
}

bool TWinMinMaxInfo::DefaultMinMaxInfo() const {
    for (int f = MaxPosLeft; f <= MinTrackWidth; ++f)
        if (Get(static_cast<TField>(f)) != 0) return false;
    return true;
}

// ---- TFormPlacement ----

// Opens a store for a single read or write unless one is open already.
class TStoreForOneCall {
public:
    TStoreForOneCall(TFormPlacement& placement, bool readOnly) : placement_(placement), opened_(!placement.store_) {
        if (opened_) placement_.OpenStore(readOnly);
    }
    ~TStoreForOneCall() {
        if (opened_) placement_.CloseStore();
    }
    TStoreForOneCall(const TStoreForOneCall&) = delete;
    TStoreForOneCall& operator=(const TStoreForOneCall&) = delete;

private:
    TFormPlacement& placement_;
    bool opened_;
};

TFormPlacement::TFormPlacement(TPlacementForm* form) : form_(form) {
    windowHook_.SetActive(false);
    windowHook_.SetWinControl(form);
    windowHook_.AfterMessage = [this](TFormWindowHook*, TMessage& msg, bool&) { WindowHookAfterMessage(msg); };
}

TFormPlacement::~TFormPlacement() {
    CloseStore();
    windowHook_.SetActive(false);
}

void TFormPlacement::Loaded() {
    loaded_ = true;
    if (HWND wnd = form_->Handle()) hadMaximizeBox_ = (GetWindowLongA(wnd, GWL_STYLE) & WS_MAXIMIZEBOX) != 0;
    if (preventResize_) UpdateBorderIcons();
    UpdateWindowHook();
}

void TFormPlacement::FormShow() {
    if (!active_) return;
    try {
        RestoreFormState();
    } catch (...) {
        // The form opens at its designed place.
    }
}

void TFormPlacement::FormCloseQuery(bool canClose) {
    if (!canClose || !active_ || !form_->Handle()) return;
    try {
        SaveFormState();
    } catch (...) {
        // The form closes regardless.
    }
}

void TFormPlacement::FormDestroy() {
    if (!active_ || saved_) return;
    destroying_ = true;
    try {
        SaveFormState();
    } catch (...) {
    }
    destroying_ = false;
}

void TFormPlacement::SaveFormState() {
    // A form that was never restored leaves the stored values alone.
    if (!restored_ && active_) return;
    OpenStore(false);
    try {
        WriteSectionInteger("FormVersion", version_);
        WritePlacementValues();
        if (OnSavePlacement) OnSavePlacement(this);
        saved_ = true;
    } catch (...) {
        CloseStore();
        throw;
    }
    CloseStore();
}

void TFormPlacement::RestoreFormState() {
    saved_ = false;
    OpenStore(true);
    try {
        if (ReadSectionInteger("FormVersion", 0) >= version_) {
            ReadPlacementValues();
            restored_ = true;
            if (OnRestorePlacement) OnRestorePlacement(this);
            if (options_ & fpActiveControl) {
                std::string name = ReadSectionString("ActiveControl", "");
                if (!name.empty()) form_->ActivateControlByName(name);
            }
        }
        restored_ = true;
    } catch (...) {
        CloseStore();
        throw;
    }
    CloseStore();
    AdjustMaximizedPosition();
}

void TFormPlacement::WritePlacementValues() {
    if (options_ & (fpState | fpPosition)) {
        WriteFormPlacementValues(*form_, store_.get(), GetIniSection());
        WriteSectionString("Visible", destroying_ ? "1" : "0");
    }
    if (options_ & fpActiveControl) {
        std::string name = form_->ActiveControlName();
        if (!name.empty()) WriteSectionString("ActiveControl", name);
    }
}

void TFormPlacement::ReadPlacementValues() {
    ReadFormPlacementValues(*form_, store_.get(), GetIniSection(), (options_ & fpPosition) != 0,
                            (options_ & fpState) != 0);
}

std::string TFormPlacement::ReadStoredString(const std::string& section, const std::string& ident,
                                             const std::string& def) {
    TStoreForOneCall store(*this, true);
    return StoreReadString(store_.get(), section, ident, def);
}

void TFormPlacement::WriteStoredString(const std::string& section, const std::string& ident,
                                       const std::string& value) {
    TStoreForOneCall store(*this, false);
    StoreWriteString(store_.get(), section, ident, value);
}

std::string TFormPlacement::ReadSectionString(const std::string& ident, const std::string& def) {
    return ReadStoredString(GetIniSection(), ident, def);
}

void TFormPlacement::WriteSectionString(const std::string& ident, const std::string& value) {
    WriteStoredString(GetIniSection(), ident, value);
}

int TFormPlacement::ReadSectionInteger(const std::string& ident, int def) {
    TStoreForOneCall store(*this, true);
    return StoreReadInteger(store_.get(), GetIniSection(), ident, def);
}

void TFormPlacement::WriteSectionInteger(const std::string& ident, int value) {
    TStoreForOneCall store(*this, false);
    StoreWriteInteger(store_.get(), GetIniSection(), ident, value);
}

std::string TFormPlacement::GetIniSection() const {
    return iniSection_.empty() ? DefaultStoreSection(form_) : iniSection_;
}

void TFormPlacement::OpenStore(bool readOnly) {
    if (store_) return;
    if (!useRegistry_) {
        store_ = std::make_unique<TIniFileStore>(iniFileName_.empty() ? DefaultIniFileName() : iniFileName_);
        return;
    }
    HKEY root = HKEY_CURRENT_USER;
    switch (registryRoot_) {
        case TPlacementRegRoot::prCurrentUser:
            break;
        case TPlacementRegRoot::prLocalMachine:
            root = HKEY_LOCAL_MACHINE;
            break;
        case TPlacementRegRoot::prCurrentConfig:
            root = HKEY_CURRENT_CONFIG;
            break;
        case TPlacementRegRoot::prClassesRoot:
            root = HKEY_CLASSES_ROOT;
            break;
        case TPlacementRegRoot::prUsers:
            root = HKEY_USERS;
            break;
        case TPlacementRegRoot::prDynData:
            root = HKEY_DYN_DATA;
            break;
    }
    store_ = std::make_unique<TRegistryStore>(root, iniFileName_.empty() ? DefaultRegistryKey() : iniFileName_,
                                              readOnly);
}

void TFormPlacement::SetPreventResize(bool prevent) {
    if (prevent == preventResize_) return;
    preventResize_ = prevent;
    AdjustMaximizedPosition();
    UpdateBorderIcons();
}

void TFormPlacement::SizeLimitsChanged() {
    AdjustMaximizedPosition();
    if (!form_->Loading()) UpdateWindowHook();
}

void TFormPlacement::AdjustMaximizedPosition() {
    HWND wnd = form_->Handle();
    if (!wnd || form_->Loading() || preventResize_ || !minMaxInfo_.DefaultMinMaxInfo()) return;
    WINDOWPLACEMENT wp{};
    wp.length = sizeof wp;
    GetWindowPlacement(wnd, &wp);
    if (!IsWindowVisible(wnd)) wp.showCmd = SW_HIDE;
    LONG style = GetWindowLongA(wnd, GWL_STYLE), exStyle = GetWindowLongA(wnd, GWL_EXSTYLE);
    POINT frame{0, 0};
    if (style & WS_THICKFRAME)
        frame = {GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME)};
    else if (exStyle & WS_EX_DLGMODALFRAME)
        frame = {GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYDLGFRAME)};
    else if (style & WS_BORDER)
        frame = {GetSystemMetrics(SM_CXBORDER), GetSystemMetrics(SM_CYBORDER)};
    wp.ptMaxPosition = {-frame.x, -frame.y};
    SetWindowPlacement(wnd, &wp);
}

void TFormPlacement::UpdateWindowHook() { windowHook_.SetActive(!minMaxInfo_.DefaultMinMaxInfo() || preventResize_); }

void TFormPlacement::UpdateBorderIcons() {
    HWND wnd = form_->Handle();
    if (!wnd) return;
    LONG style = GetWindowLongA(wnd, GWL_STYLE);
    if (preventResize_ && (style & WS_MAXIMIZEBOX)) hadMaximizeBox_ = true;
    bool dialog = (GetWindowLongA(wnd, GWL_EXSTYLE) & WS_EX_DLGMODALFRAME) != 0;
    bool remove = preventResize_ || !hadMaximizeBox_ || dialog;
    LONG wanted = remove ? style & ~WS_MAXIMIZEBOX : style | WS_MAXIMIZEBOX;
    if (wanted != style) {
        SetWindowLongA(wnd, GWL_STYLE, wanted);
        SetWindowPos(wnd, nullptr, 0, 0, 0, 0,
                     SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    if (!form_->Loading()) UpdateWindowHook();
}

void TFormPlacement::WindowHookAfterMessage(TMessage& msg) {
    HWND wnd = form_->Handle();
    if (preventResize_) {
        if (msg.Msg == WM_GETMINMAXINFO && wnd && IsWindowVisible(wnd)) {
            RECT r{};
            GetWindowRect(wnd, &r);
            auto* mmi = reinterpret_cast<MINMAXINFO*>(msg.LParam);
            mmi->ptMinTrackSize = mmi->ptMaxTrackSize = {r.right - r.left, r.bottom - r.top};
            msg.Result = 1;
        } else if (msg.Msg == WM_NCHITTEST && msg.Result >= HTLEFT && msg.Result <= HTBOTTOMRIGHT) {
            msg.Result = HTNOWHERE;
        } else if (msg.Msg == WM_INITMENUPOPUP && HIWORD(msg.LParam) != 0) {
            auto menu = reinterpret_cast<HMENU>(msg.WParam);
            EnableMenuItem(menu, SC_SIZE, MF_BYCOMMAND | MF_GRAYED);
            EnableMenuItem(menu, SC_MAXIMIZE, MF_BYCOMMAND | MF_GRAYED);
            msg.Result = 1;
        }
        return;
    }
    if (msg.Msg != WM_GETMINMAXINFO) return;
    auto* mmi = reinterpret_cast<MINMAXINFO*>(msg.LParam);
    if (minMaxInfo_.DefaultMinMaxInfo()) {
        mmi->ptMaxPosition = {0, 0};
    } else {
        const MINMAXINFO& limits = minMaxInfo_.Info();
        auto take = [](LONG& field, LONG limit) {
            if (limit != 0) field = limit;
        };
        take(mmi->ptMaxPosition.x, limits.ptMaxPosition.x);
        take(mmi->ptMaxPosition.y, limits.ptMaxPosition.y);
        take(mmi->ptMaxSize.x, limits.ptMaxSize.x);
        take(mmi->ptMaxSize.y, limits.ptMaxSize.y);
        take(mmi->ptMaxTrackSize.x, limits.ptMaxTrackSize.x);
        take(mmi->ptMaxTrackSize.y, limits.ptMaxTrackSize.y);
        take(mmi->ptMinTrackSize.x, limits.ptMinTrackSize.x);
        take(mmi->ptMinTrackSize.y, limits.ptMinTrackSize.y);
    }
    msg.Result = 1;
}

// ---- stored values ----

void TStoredValue::SetName(const std::string& name) {
    if (owner_) {
        int found = owner_->FindByName(name);
        if (found >= 0 && &owner_->Item(found) != this) throw EStringListError("String list does not allow duplicates");
    }
    name_ = name;
}

void TStoredValue::SaveValue(TFormPlacement& storage) {
    Variant v = Value;
    if (OnSave) OnSave(this, v);
    std::string text = v.AsString();
    if (!KeyString.empty()) text = XorHexEncode(KeyString, text);
    storage.WriteSectionString(name_, text);
}

void TStoredValue::RestoreValue(TFormPlacement& storage) {
    std::string def = Value.AsString();
    if (!KeyString.empty()) def = XorHexEncode(KeyString, def);
    std::string text = storage.ReadSectionString(name_, def);
    if (!KeyString.empty()) text = XorHexDecode(KeyString, text);
    Variant v(text);
    if (OnRestore) OnRestore(this, v);
    Value = v;
}

TStoredValue& TStoredValues::Add(const std::string& name) {
    auto value = std::make_unique<TStoredValue>();
    value->owner_ = this;
    value->SetName(name);
    items_.push_back(std::move(value));
    return *items_.back();
}

int TStoredValues::FindByName(const std::string& name) const {
    for (std::size_t i = 0; i < items_.size(); ++i)
        if (CompareTextAscii(items_[i]->GetName(), name) == 0) return static_cast<int>(i);
    return -1;
}

// ---- TFormStorage ----

void TFormStorage::Loaded() {
    TFormPlacement::Loaded();
    if (const TComponentList* components = Form()->StorableComponents())
        SyncStoredList(*components, storedProps_, true);
}

void TFormStorage::SetStoredProps(const std::vector<std::string>& items) {
    storedProps_.clear();
    for (const std::string& item : items) storedProps_.push_back({item, nullptr});
    if (const TComponentList* components = Form()->StorableComponents())
        SyncStoredList(*components, storedProps_, true);
}

std::vector<std::string> TFormStorage::GetStoredProps() const {
    std::vector<std::string> items;
    for (const TStoredEntry& entry : storedProps_) items.push_back(entry.Text);
    return items;
}

void TFormStorage::SaveStoredProps() {
    const TComponentList* components = Form()->StorableComponents();
    if (!components) return;
    TPropsStorage props;
    props.Section = GetIniSection();
    props.OnWriteString = [this](const std::string& section, const std::string& item, const std::string& text) {
        WriteStoredString(section, item, text);
    };
    props.SaveObjectProps(*components, storedProps_);
}

void TFormStorage::LoadStoredProps() {
    try {
        const TComponentList* components = Form()->StorableComponents();
        if (!components) return;
        TPropsStorage props;
        props.Section = GetIniSection();
        props.OnReadString = [this](const std::string& section, const std::string& item, const std::string& def) {
            return ReadStoredString(section, item, def);
        };
        props.LoadObjectProps(*components, storedProps_);
    } catch (...) {
        // Properties keep their present values.
    }
}

void TFormStorage::WritePlacementValues() {
    TFormPlacement::WritePlacementValues();
    SaveStoredProps();
    for (int i = 0; i < storedValues_.Count(); ++i) storedValues_.Item(i).SaveValue(*this);
}

void TFormStorage::ReadPlacementValues() {
    TFormPlacement::ReadPlacementValues();
    SetRestored();
    LoadStoredProps();
    for (int i = 0; i < storedValues_.Count(); ++i) storedValues_.Item(i).RestoreValue(*this);
}

}  // namespace vpw
