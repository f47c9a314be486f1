// The form a placement works on, the stores it writes to (a registry key or
// an INI file) and the routines that read and write a form's placement.
#pragma once
#include <windows.h>

#include <memory>
#include <string>

#include "FormHook.h"

namespace vpw {

class TComponentList;

enum class TWindowState { wsNormal, wsMinimized, wsMaximized };

// A top-level form as its placement sees it.
class TPlacementForm : public TWinControl {
public:
    // The default section of its stored values.
    virtual std::string FormClassName() const = 0;
    virtual bool IsMainForm() const { return true; }
    // Centred when first shown; a restored position switches that off.
    virtual bool PositionCentred() const { return false; }
    virtual void UseDesignedPosition() {}
    // Visible: shown in that state at once; hidden: the state it will be shown in.
    virtual void SetWindowState(TWindowState state);
    virtual bool Loading() const { return false; }
    virtual std::string ActiveControlName() const { return {}; }
    // False when there is no such control or it cannot take the focus.
    virtual bool ActivateControlByName(const std::string& name) { return false; }
    // The components whose properties a form storage may keep; none by default.
    virtual const TComponentList* StorableComponents() const { return nullptr; }

    // SW_SHOWNORMAL, SW_SHOWMAXIMIZED or SW_SHOWMINIMIZED for the first show.
    int InitialShowCommand() const;

protected:
    TWindowState pendingState_ = TWindowState::wsNormal;
};

// Where stored values live: sections holding named texts.
class TPlacementStore {
public:
    virtual ~TPlacementStore() = default;
    virtual std::string ReadString(const std::string& section, const std::string& ident, const std::string& def) = 0;
    virtual void WriteString(const std::string& section, const std::string& ident, const std::string& value) = 0;
};

// Sections are subkeys of one key; values are REG_SZ.
class TRegistryStore : public TPlacementStore {
public:
    TRegistryStore(HKEY root, std::string key, bool readOnly);
    std::string ReadString(const std::string& section, const std::string& ident, const std::string& def) override;
    void WriteString(const std::string& section, const std::string& ident, const std::string& value) override;

private:
    std::string Path(const std::string& section) const;
    HKEY root_;
    std::string key_;
};

class TIniFileStore : public TPlacementStore {
public:
    explicit TIniFileStore(std::string fileName) : fileName_(std::move(fileName)) {}
    std::string ReadString(const std::string& section, const std::string& ident, const std::string& def) override;
    void WriteString(const std::string& section, const std::string& ident, const std::string& value) override;

private:
    std::string fileName_;
};

std::string DefaultStoreSection(const TPlacementForm* form);
// The program file's name with ".INI", without its directory.
std::string DefaultIniFileName();
// "Software\" and the program file's name without extension.
std::string DefaultRegistryKey();

// Without a store, reads give the default and writes do nothing.
std::string StoreReadString(TPlacementStore* store, const std::string& section, const std::string& ident,
                            const std::string& def);
void StoreWriteString(TPlacementStore* store, const std::string& section, const std::string& ident,
                      const std::string& value);
int StoreReadInteger(TPlacementStore* store, const std::string& section, const std::string& ident, int def);
void StoreWriteInteger(TPlacementStore* store, const std::string& section, const std::string& ident, int value);

// "(WIDTHxHEIGHT)" of the primary screen.
std::string ScreenSizeSuffix();
int ScreenPixelsPerInch();
// The value of this screen size, else the plain one.
std::string ReadScreenValue(TPlacementStore* store, const std::string& section, const std::string& name);
void WriteScreenValue(TPlacementStore* store, const std::string& section, const std::string& name,
                      const std::string& value);

void WriteFormPlacementValues(TPlacementForm& form, TPlacementStore* store, const std::string& section);
void ReadFormPlacementValues(TPlacementForm& form, TPlacementStore* store, const std::string& section,
                             bool position, bool state);

}  // namespace vpw
