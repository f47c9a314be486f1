// A form's size, position and state, and chosen properties of its
// components, kept between runs in the registry or an INI file. The form
// calls FormShow, FormCloseQuery and FormDestroy from its own handlers.
#pragma once
#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AppUtils.h"
#include "Exceptions.h"
#include "FormHook.h"
#include "RXProps.h"
#include "Variant.h"

namespace vpw {

enum TPlacementOption : unsigned { fpState = 1, fpPosition = 2, fpActiveControl = 4 };
using TPlacementOptions = unsigned;

enum class TPlacementRegRoot { prCurrentUser, prLocalMachine, prCurrentConfig, prClassesRoot, prUsers, prDynData };

class TFormPlacement;

// Tracking and maximised size limits; all zero means none.
class TWinMinMaxInfo {
public:
    explicit TWinMinMaxInfo(TFormPlacement* owner) : owner_(owner) {}
    void Assign(const TWinMinMaxInfo& other);
    bool DefaultMinMaxInfo() const;
    const MINMAXINFO& Info() const { return info_; }

    enum TField { MaxPosLeft, MaxPosTop, MaxSizeHeight, MaxSizeWidth, MaxTrackHeight, MaxTrackWidth, MinTrackHeight,
                  MinTrackWidth };
    int Get(TField field) const;
    void Set(TField field, int value);

private:
    LONG& Slot(TField field);
    TFormPlacement* owner_;
    MINMAXINFO info_{};
};

class TFormPlacement {
public:
    using TNotifyEvent = std::function<void(TFormPlacement* sender)>;

    explicit TFormPlacement(TPlacementForm* form);
    TFormPlacement(const TFormPlacement&) = delete;
    TFormPlacement& operator=(const TFormPlacement&) = delete;
    virtual ~TFormPlacement();

    // Once the form and these settings are set up.
    virtual void Loaded();

    // The form's own show, close-query and destroy handlers call these.
    void FormShow();
    void FormCloseQuery(bool canClose);
    void FormDestroy();

    void SaveFormState();
    void RestoreFormState();

    bool GetActive() const { return active_; }
    void SetActive(bool active) { active_ = active; }
    const std::string& GetIniFileName() const { return iniFileName_; }
    void SetIniFileName(const std::string& name) { iniFileName_ = name; }
    // The set section, or the form's default one.
    std::string GetIniSection() const;
    void SetIniSection(const std::string& section) { iniSection_ = section; }
    TWinMinMaxInfo& MinMaxInfo() { return minMaxInfo_; }
    TPlacementOptions GetOptions() const { return options_; }
    void SetOptions(TPlacementOptions options) { options_ = options; }
    bool GetPreventResize() const { return preventResize_; }
    void SetPreventResize(bool prevent);
    TPlacementRegRoot GetRegistryRoot() const { return registryRoot_; }
    void SetRegistryRoot(TPlacementRegRoot root) { registryRoot_ = root; }
    bool GetUseRegistry() const { return useRegistry_; }
    void SetUseRegistry(bool use) { useRegistry_ = use; }
    int GetVersion() const { return version_; }
    void SetVersion(int version) { version_ = version; }

    TNotifyEvent OnSavePlacement;
    TNotifyEvent OnRestorePlacement;

    std::string ReadSectionString(const std::string& ident, const std::string& def);
    void WriteSectionString(const std::string& ident, const std::string& value);
    int ReadSectionInteger(const std::string& ident, int def);
    void WriteSectionInteger(const std::string& ident, int value);

    void SizeLimitsChanged();

protected:
    virtual void WritePlacementValues();
    virtual void ReadPlacementValues();
    virtual std::string ReadStoredString(const std::string& section, const std::string& ident, const std::string& def);
    virtual void WriteStoredString(const std::string& section, const std::string& ident, const std::string& value);

    void OpenStore(bool readOnly);
    void CloseStore() { store_.reset(); }
    TPlacementStore* Store() const { return store_.get(); }
    TPlacementForm* Form() const { return form_; }
    void SetRestored() { restored_ = true; }

private:
    void AdjustMaximizedPosition();
    void UpdateWindowHook();
    void UpdateBorderIcons();
    void WindowHookAfterMessage(TMessage& msg);
    friend class TStoreForOneCall;

    TPlacementForm* form_;
    bool active_ = true;
    std::string iniFileName_;
    std::string iniSection_;
    TWinMinMaxInfo minMaxInfo_{this};
    TPlacementOptions options_ = fpState | fpPosition;
    bool preventResize_ = false;
    TPlacementRegRoot registryRoot_ = TPlacementRegRoot::prCurrentUser;
    bool useRegistry_ = false;
    int version_ = 0;

    std::unique_ptr<TPlacementStore> store_;
    bool saved_ = false;
    bool restored_ = false;
    bool destroying_ = false;
    bool loaded_ = false;
    bool hadMaximizeBox_ = false;
    TFormWindowHook windowHook_;
};

VPW_DECLARE_EXCEPTION(EStringListError, Exception);

class TStoredValue {
public:
    using TStoredValueEvent = std::function<void(TStoredValue* sender, Variant& value)>;

    const std::string& GetName() const { return name_; }
    // Raises when another value of the collection has that name.
    void SetName(const std::string& name);

    Variant Value;
    std::string KeyString;
    TStoredValueEvent OnSave;
    TStoredValueEvent OnRestore;

    void SaveValue(TFormPlacement& storage);
    void RestoreValue(TFormPlacement& storage);

private:
    friend class TStoredValues;
    class TStoredValues* owner_ = nullptr;
    std::string name_;
};

class TStoredValues {
public:
    TStoredValue& Add(const std::string& name = {});
    int Count() const { return static_cast<int>(items_.size()); }
    TStoredValue& Item(int index) { return *items_.at(static_cast<std::size_t>(index)); }
    // Without regard to case; -1 when absent.
    int FindByName(const std::string& name) const;

private:
    std::vector<std::unique_ptr<TStoredValue>> items_;
};

// A placement that also keeps "Component.Property" entries of its form and
// named values, in the same store and section.
class TFormStorage : public TFormPlacement {
public:
    using TFormPlacement::TFormPlacement;

    void Loaded() override;

    void SetStoredProps(const std::vector<std::string>& items);
    std::vector<std::string> GetStoredProps() const;
    TStoredValues& StoredValues() { return storedValues_; }

    void SaveStoredProps();
    void LoadStoredProps();

protected:
    void WritePlacementValues() override;
    void ReadPlacementValues() override;

private:
    TStoredEntries storedProps_;
    TStoredValues storedValues_;
};

}  // namespace vpw
