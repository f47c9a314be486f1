// User-visible texts by name, from the selected language file or the
// built-in English file (resource "DEFAULTLNG"), with "%name%" macros.
#pragma once
#include <string>
#include <vector>

#include "Collections.h"
#include "PersistenceService.h"
#include "Variant.h"

namespace vpw {

class TLanguage {
public:
    TLanguage(std::string id, std::string name, std::string fileName, std::string ownName);
    const std::string& Id() const { return id_; }
    const std::string& Name() const { return name_; }
    const std::string& OwnName() const { return ownName_; }
    const std::string& FileName() const { return fileName_; }
    // "Name - OwnName", or just the name when the own-language name is empty.
    std::string GetDisplayName() const;

private:
    std::string id_;
    std::string name_;
    std::string ownName_;
    std::string fileName_;
};

// The known languages by id (case-insensitive); the first one with an id wins.
class TLanguages {
public:
    TLanguages() = default;
    TLanguages(const TLanguages&) = delete;
    TLanguages& operator=(const TLanguages&) = delete;
    ~TLanguages();
    // Nothing when the id is listed already.
    TLanguage* Add(const std::string& id, const std::string& name, const std::string& fileName,
                   const std::string& ownName);
    int Count() const { return items_.Count(); }
    // By position or by id; nothing for an id that is not listed.
    TLanguage* GetItem(const Variant& index) const;

private:
    TPointerCollection items_;
};

// The loaded texts by name (case-insensitive); the first one with a name wins.
class TMLStrings {
public:
    void Add(const std::string& text, const std::string& name);
    void Clear() { items_.Clear(); }
    int Count() const { return items_.Count(); }
    // The loaded text, even an empty one; the default only when none is loaded.
    std::string Lookup(const std::string& name, const std::string& defaultValue) const;

private:
    TStringCollection items_;
};

class TMultiLanguages {
public:
    std::string Translate(const std::string& name, const std::string& defaultValue) const;
    // Adds the language files of the programs' directory + "Languages\".
    void ScanLanguages();
    bool LoadLanguageFile(const std::string& fileName);
    bool LoadStrings(IHierStorage* root);
    void SetMacro(const std::string& name, const std::string& value);
    // Loads the language of that id, or the built-in file when it is not
    // listed or does not load.
    bool SetLanguage(const std::string& id);
    std::string ExpandMacros(const std::string& text) const;

    const TMLStrings& Strings() const { return strings_; }
    TLanguages& Languages() { return languages_; }

private:
    bool LoadBuiltInStrings();

    TMLStrings strings_;
    TLanguages languages_;
    std::vector<std::string> macroNames_;
    std::vector<std::string> macroValues_;
};

// Routines over the process's language manager; neutral when there is none.
std::string Translate(const std::string& name, const std::string& defaultValue);
bool SelectLanguage(const std::string& id);
TLanguages* GetLanguages();
void ScanLanguages();
void SetTranslationMacro(const std::string& name, const std::string& value);

}  // namespace vpw
