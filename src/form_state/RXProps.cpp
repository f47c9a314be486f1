#include "RXProps.h"

#include "Routines.h"
#include "StrUtils.h"

namespace vpw {

TPropInfo IntegerProp(std::string name, std::function<int()> get, std::function<void(int)> set) {
    TPropInfo info;
    info.Name = std::move(name);
    info.Kind = TPropKind::Integer;
    info.GetOrdinal = std::move(get);
    info.SetOrdinal = std::move(set);
    return info;
}

TPropInfo StringProp(std::string name, std::function<std::string()> get, std::function<void(const std::string&)> set) {
    TPropInfo info;
    info.Name = std::move(name);
    info.Kind = TPropKind::String;
    info.GetString = std::move(get);
    info.SetString = std::move(set);
    return info;
}

TPropInfo EnumProp(std::string name, std::vector<std::string> names, std::function<int()> get,
                   std::function<void(int)> set) {
    TPropInfo info = IntegerProp(std::move(name), std::move(get), std::move(set));
    info.Kind = TPropKind::Enumeration;
    info.EnumNames = std::move(names);
    return info;
}

const TPropInfo* TPropInfoList::Find(const std::string& name) const {
    for (const TPropInfo& info : items_)
        if (CompareTextAscii(info.Name, name) == 0) return &info;
    return nullptr;
}

TStorableComponent* TComponentList::Find(const std::string& name) const {
    if (name.empty()) return nullptr;
    for (TStorableComponent* c : items_)
        if (c && CompareTextAscii(c->Name, name) == 0) return c;
    return nullptr;
}

std::string MakeStoredItem(const std::string& componentName, const std::string& propName) {
    if (componentName.empty() || propName.empty()) return {};
    return componentName + "." + propName;
}

bool SplitStoredItem(const std::string& item, std::string& componentName, std::string& propName) {
    std::size_t dot = item.find('.');
    if (dot == std::string::npos) return false;
    componentName = Trim(item.substr(0, dot));
    propName = Trim(item.substr(dot + 1));
    return !componentName.empty() && !propName.empty();
}

std::string RenameStoredItem(const std::string& item, const std::string& newComponentName) {
    std::string component, prop;
    if (!SplitStoredItem(item, component, prop)) return {};
    return MakeStoredItem(newComponentName, prop);
}

void SyncStoredList(const TComponentList& form, TStoredEntries& list, bool fromForm) {
    for (std::size_t i = list.size(); i-- > 0;) {
        TStoredEntry& entry = list[i];
        std::string component, prop;
        bool keep = SplitStoredItem(entry.Text, component, prop);
        if (keep && fromForm) {
            entry.Component = form.Find(component);
            keep = entry.Component != nullptr;
        } else if (keep) {
            keep = entry.Component != nullptr;
            if (keep) entry.Text = MakeStoredItem(entry.Component->Name, prop);
        }
        if (!keep) list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

std::string PropValueText(const TPropInfo& prop) {
    switch (prop.Kind) {
        case TPropKind::Integer:
            return prop.GetOrdinal ? std::to_string(prop.GetOrdinal()) : std::string();
        case TPropKind::Enumeration: {
            if (!prop.GetOrdinal) return {};
            int ordinal = prop.GetOrdinal();
            return ordinal >= 0 && static_cast<std::size_t>(ordinal) < prop.EnumNames.size()
                       ? prop.EnumNames[static_cast<std::size_t>(ordinal)]
                       : std::string();
        }
        case TPropKind::String:
            return prop.GetString ? prop.GetString() : std::string();
    }
    return {};
}

std::string TPropsStorage::ReadText(const std::string& section, const std::string& item, const std::string& def) {
    return OnReadString ? OnReadString(section, item, def) : std::string();
}

void TPropsStorage::WriteText(const std::string& section, const std::string& item, const std::string& text) {
    if (OnWriteString) OnWriteString(section, item, text);
}

void TPropsStorage::SaveProperty(const TPropInfo& prop) {
    std::string text = PropValueText(prop);
    if (text.empty() && prop.Kind != TPropKind::String) return;
    WriteText(Section, ItemName(prop.Name), Trim(text));
}

void TPropsStorage::LoadProperty(const TPropInfo& prop) {
    try {
        std::string def = PropValueText(prop);
        std::string text;
        if (!def.empty() || prop.Kind == TPropKind::String) text = Trim(ReadText(Section, ItemName(prop.Name), def));
        switch (prop.Kind) {
            case TPropKind::Integer:
                if (prop.SetOrdinal) prop.SetOrdinal(StrToIntDef(text, 0));
                break;
            case TPropKind::Enumeration:
                for (std::size_t i = 0; i < prop.EnumNames.size(); ++i)
                    if (CompareTextAscii(prop.EnumNames[i], text) == 0) {
                        if (prop.SetOrdinal) prop.SetOrdinal(static_cast<int>(i));
                        break;
                    }
                break;
            case TPropKind::String:
                if (prop.SetString) prop.SetString(text);
                break;
        }
    } catch (...) {
        // A value that cannot be applied leaves the property as it was.
    }
}

void TPropsStorage::ForEachEntry(const TComponentList& owner, TStoredEntries& list,
                                 const std::function<void(const TPropInfo&)>& action) {
    SyncStoredList(owner, list, false);
    std::string saved = prefix_;
    try {
        for (const TStoredEntry& entry : list) {
            std::string component, propName;
            if (!SplitStoredItem(entry.Text, component, propName) || !entry.Component) continue;
            prefix_ = entry.Component->Name + "_";
            if (const TPropInfo* prop = entry.Component->Props.Find(propName)) action(*prop);
        }
    } catch (...) {
        prefix_ = saved;
        throw;
    }
    prefix_ = saved;
}

void TPropsStorage::SaveObjectProps(const TComponentList& owner, TStoredEntries& list) {
    ForEachEntry(owner, list, [this](const TPropInfo& prop) { SaveProperty(prop); });
}

void TPropsStorage::LoadObjectProps(const TComponentList& owner, TStoredEntries& list) {
    ForEachEntry(owner, list, [this](const TPropInfo& prop) { LoadProperty(prop); });
}

}  // namespace vpw
