#include "uModelRoutines.h"

#include <windows.h>

#include <memory>
#include <mutex>

#include "BOM_UI.h"
#include "MultiLanguages.h"
#include "PersistenceService.h"
#include "RegistryRoutines.h"
#include "StorageTree.h"
#include "XMLStorage.h"
#include "uModelConsts.h"

namespace vpw {

namespace {

// The template parsed once per process: every new rule loads from this copy.
// A parse that fails is tried again by the next rule.
std::shared_ptr<const TStorageTree> DefaultWindowRuleTree() {
    static std::mutex guard;
    static std::shared_ptr<const TStorageTree> tree;
    std::lock_guard<std::mutex> lock(guard);
    if (!tree) {
        const std::string& text = DefaultWindowRuleTemplate();
        if (text.empty()) return nullptr;
        IPtr<TXMLStorage> storage(new TXMLStorage());
        if (storage->LoadFromXML(text)) tree = storage->CopyTree();
    }
    return tree;
}

}  // namespace

void LoadDefaultWindowRule(IBOMObject* rule) {
    try {
        IPtr<IHierStorage> storage = OpenStorageTree(DefaultWindowRuleTree());
        IPtr<IPersistObject> persist = Supports<IPersistObject>(rule);
        if (storage && persist) persist->Load(storage.get());
    } catch (...) {
        // A rule whose template fails stays without items.
    }
}

std::string ReadLanguageFromRegistry() {
    // A value of any other type counts as missing, so that start-up goes on in English.
    std::string text;
    ReadRegString(HKEY_CURRENT_USER, VPW_SETTINGS_KEY, VPW_LANGUAGE_VALUE, text);
    return text;
}

void InitLanguageFromRegistry() {
    // The portable UI layer translates through the program's language manager.
    SetUITranslator(
        [](const std::string& name, const std::string& defaultValue) { return Translate(name, defaultValue); });
    std::string language = ReadLanguageFromRegistry();
    ScanLanguages();
    SelectLanguage(language);
    SetTranslationMacro("appname", "Velvic Plimsy Windows");
}

}  // namespace vpw
