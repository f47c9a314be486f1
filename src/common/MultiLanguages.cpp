#include "MultiLanguages.h"

#include <windows.h>

#include <memory>

#include "AppGlobals.h"
#include "ResourceRoutines.h"
#include "Routines.h"
#include "XMLStorage.h"

namespace vpw {

namespace {

// Replaces every occurrence of `marker` (compared without regard to case);
// inserted values are not searched again.
std::string ReplaceIgnoreCase(const std::string& text, const std::string& marker, const std::string& value) {
    if (marker.empty()) return text;
    std::string upperText = AnsiUpperCase(text);
    std::string upperMarker = AnsiUpperCase(marker);
    std::string result;
    std::size_t pos = 0;
    for (std::size_t found; (found = upperText.find(upperMarker, pos)) != std::string::npos;) {
        result.append(text, pos, found - pos);
        result += value;
        pos = found + marker.size();
    }
    result.append(text, pos, std::string::npos);
    return result;
}

}  // namespace

// --- languages

TLanguage::TLanguage(std::string id, std::string name, std::string fileName, std::string ownName)
    : id_(std::move(id)), name_(std::move(name)), ownName_(std::move(ownName)), fileName_(std::move(fileName)) {}

std::string TLanguage::GetDisplayName() const { return ownName_.empty() ? name_ : name_ + " - " + ownName_; }

TLanguages::~TLanguages() {
    for (int i = 0; i < items_.Count(); ++i) delete static_cast<TLanguage*>(items_.GetItem(i));
}

TLanguage* TLanguages::Add(const std::string& id, const std::string& name, const std::string& fileName,
                           const std::string& ownName) {
    if (items_.Exists(id)) return nullptr;
    auto language = std::make_unique<TLanguage>(id, name, fileName, ownName);
    if (!items_.Add(language.get(), id)) return nullptr;
    return language.release();
}

TLanguage* TLanguages::GetItem(const Variant& index) const { return static_cast<TLanguage*>(items_.GetItem(index)); }

// --- texts

void TMLStrings::Add(const std::string& text, const std::string& name) { items_.Add(text, name); }

std::string TMLStrings::Lookup(const std::string& name, const std::string& defaultValue) const {
    return items_.Exists(name) ? items_.GetItem(name) : defaultValue;
}

// --- the manager

std::string TMultiLanguages::Translate(const std::string& name, const std::string& defaultValue) const {
    return ExpandMacros(strings_.Lookup(name, defaultValue));
}

void TMultiLanguages::ScanLanguages() {
    std::string dir = ProgramsDirectory() + "Languages\\";
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "*.lng").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        std::string fileName = dir + found.cFileName;
        IPtr<IHierStorage> root = OpenStorageFile(fileName);
        if (!root) continue;
        std::string id = root->ReadAttribute("id", "");
        std::string name = root->ReadAttribute("name", "");
        if (id.empty() || name.empty()) continue;
        languages_.Add(id, name, fileName, root->ReadAttribute("original_name", ""));
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

bool TMultiLanguages::LoadLanguageFile(const std::string& fileName) {
    strings_.Clear();
    IPtr<IHierStorage> root = OpenStorageFile(fileName);
    return root && LoadStrings(root.get());
}

bool TMultiLanguages::LoadStrings(IHierStorage* root) {
    strings_.Clear();
    IPtr<IHierStorage> strings = root ? root->GetChild("strings", 0) : nullptr;
    if (!strings) return false;
    int count = strings->ChildCount("string");
    for (int i = 0; i < count; ++i) {
        IPtr<IHierStorage> item = strings->GetChild("string", i);
        if (!item) continue;
        std::string name = item->ReadAttribute("name", "");
        if (!name.empty()) strings_.Add(item->ReadValue(), name);
    }
    return true;
}

void TMultiLanguages::SetMacro(const std::string& name, const std::string& value) {
    for (std::size_t i = 0; i < macroNames_.size(); ++i) {
        if (AnsiUpperCase(macroNames_[i]) == AnsiUpperCase(name)) {
            macroNames_.erase(macroNames_.begin() + static_cast<std::ptrdiff_t>(i));
            macroValues_.erase(macroValues_.begin() + static_cast<std::ptrdiff_t>(i));
            break;
        }
    }
    macroNames_.push_back(name);
    macroValues_.push_back(value);
}

bool TMultiLanguages::SetLanguage(const std::string& id) {
    strings_.Clear();
    if (TLanguage* language = languages_.GetItem(id))
        if (LoadLanguageFile(language->FileName())) return true;
    return LoadBuiltInStrings();
}

// The built-in file is parsed straight from the resource; no temporary copy.
bool TMultiLanguages::LoadBuiltInStrings() {
    strings_.Clear();
    std::string bytes;
    if (!LoadResourceBytes(GetModuleHandleA(nullptr), "DEFAULTLNG", RT_RCDATA, bytes)) return false;
    IPtr<TXMLStorage> storage(new TXMLStorage());
    return storage->LoadFromXML(bytes) && LoadStrings(storage.get());
}

std::string TMultiLanguages::ExpandMacros(const std::string& text) const {
    std::string result = text;
    for (std::size_t i = 0; i < macroNames_.size(); ++i)
        result = ReplaceIgnoreCase(result, "%" + macroNames_[i] + "%", macroValues_[i]);
    return result;
}

// --- the process's manager

namespace {
std::unique_ptr<TMultiLanguages> gMultiLanguages = std::make_unique<TMultiLanguages>();
}  // namespace

std::string Translate(const std::string& name, const std::string& defaultValue) {
    return gMultiLanguages ? gMultiLanguages->Translate(name, defaultValue) : defaultValue;
}

bool SelectLanguage(const std::string& id) { return gMultiLanguages && gMultiLanguages->SetLanguage(id); }

TLanguages* GetLanguages() { return gMultiLanguages ? &gMultiLanguages->Languages() : nullptr; }

void ScanLanguages() {
    if (gMultiLanguages) gMultiLanguages->ScanLanguages();
}

void SetTranslationMacro(const std::string& name, const std::string& value) {
    if (gMultiLanguages) gMultiLanguages->SetMacro(name, value);
}

}  // namespace vpw
