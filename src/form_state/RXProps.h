// Conversion between named properties of a form's components and the texts
// kept in a store. Properties are bound by hand: each component lists the
// properties it lets the store read and write.
#pragma once
#include <functional>
#include <string>
#include <vector>

namespace vpw {

enum class TPropKind { Integer, Enumeration, String };

// One stored property: integers and enumerations go through the ordinal
// accessors, strings through the text accessors.
struct TPropInfo {
    std::string Name;
    TPropKind Kind = TPropKind::Integer;
    std::vector<std::string> EnumNames;  // by ordinal
    std::function<int()> GetOrdinal;
    std::function<void(int)> SetOrdinal;
    std::function<std::string()> GetString;
    std::function<void(const std::string&)> SetString;
};

TPropInfo IntegerProp(std::string name, std::function<int()> get, std::function<void(int)> set);
TPropInfo StringProp(std::string name, std::function<std::string()> get, std::function<void(const std::string&)> set);
TPropInfo EnumProp(std::string name, std::vector<std::string> names, std::function<int()> get,
                   std::function<void(int)> set);

class TPropInfoList {
public:
    void Add(TPropInfo info) { items_.push_back(std::move(info)); }
    int Count() const { return static_cast<int>(items_.size()); }
    const TPropInfo& Item(int index) const { return items_.at(static_cast<std::size_t>(index)); }
    // First match without regard to case; nothing when absent.
    const TPropInfo* Find(const std::string& name) const;

private:
    std::vector<TPropInfo> items_;
};

// A named component of a form with the properties it exposes to the store.
struct TStorableComponent {
    std::string Name;
    TPropInfoList Props;
};

// The components of one form, found by name without regard to case.
class TComponentList {
public:
    void Add(TStorableComponent* component) { items_.push_back(component); }
    TStorableComponent* Find(const std::string& name) const;

private:
    std::vector<TStorableComponent*> items_;
};

// "Component.Property", and the component once resolved.
struct TStoredEntry {
    std::string Text;
    TStorableComponent* Component = nullptr;
};
using TStoredEntries = std::vector<TStoredEntry>;

// Empty when either part is empty.
std::string MakeStoredItem(const std::string& componentName, const std::string& propName);
// Cut at the first "."; both parts trimmed; true when both are non-empty.
bool SplitStoredItem(const std::string& item, std::string& componentName, std::string& propName);
// Empty when the item does not split.
std::string RenameStoredItem(const std::string& item, const std::string& newComponentName);
// From the last entry to the first. From the form: resolve each entry's
// component, dropping those that name none. Otherwise: rewrite each resolved
// entry with its component's present name, dropping unresolved ones.
void SyncStoredList(const TComponentList& form, TStoredEntries& list, bool fromForm);

class TPropsStorage {
public:
    using TReadHandler =
        std::function<std::string(const std::string& section, const std::string& item, const std::string& def)>;
    using TWriteHandler =
        std::function<void(const std::string& section, const std::string& item, const std::string& text)>;

    virtual ~TPropsStorage() = default;

    virtual std::string ReadText(const std::string& section, const std::string& item, const std::string& def);
    virtual void WriteText(const std::string& section, const std::string& item, const std::string& text);
    virtual std::string ItemName(const std::string& propName) const { return prefix_ + propName; }

    // Of the current prefix and section.
    void SaveProperty(const TPropInfo& prop);
    // Never fails: missing values keep the present one.
    void LoadProperty(const TPropInfo& prop);

    void SaveObjectProps(const TComponentList& owner, TStoredEntries& list);
    void LoadObjectProps(const TComponentList& owner, TStoredEntries& list);

    std::string Section;
    TReadHandler OnReadString;
    TWriteHandler OnWriteString;

private:
    void ForEachEntry(const TComponentList& owner, TStoredEntries& list,
                      const std::function<void(const TPropInfo&)>& action);

    std::string prefix_;
};

// The property's value as stored text.
std::string PropValueText(const TPropInfo& prop);

}  // namespace vpw
