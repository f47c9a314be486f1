#include "AbstractObjects.h"

#include "Routines.h"

namespace vpw {

TAbstractObject* TAbstractObject::Create(const TAbstractObjectClass* cls, const std::string& paramString) {
    TAbstractObject* obj = cls->construct();
    obj->AddRef();  // keeps it alive while Initialize and ParseParam hand out references
    try {
        obj->Construct(paramString);
    } catch (...) {
        obj->Release();
        throw;
    }
    // Hand it over with no references, as a newly created object.
    obj->ReleaseNoDelete();
    return obj;
}

void TAbstractObject::Construct(const std::string& paramString) {
    Initialize();
    if (paramString.empty()) return;
    TTwoArrayOfString pairs;
    int n = ParseNameValues(paramString, pairs, '\\', '=');
    for (int i = 0; i < n; ++i) ParseParam(UpperCaseAscii(pairs[i][0]), pairs[i][1]);
}

void TAbstractClasses::RegisterClass(const TAbstractObjectClass* cls, const std::string& name) {
    if (!cls) return;
    items_.Add(const_cast<TAbstractObjectClass*>(cls), name);  // a second name is dropped
}

const TAbstractObjectClass* TAbstractClasses::FindClass(const std::string& name) const {
    return static_cast<const TAbstractObjectClass*>(items_.GetItem(Variant(name)));
}

TAbstractClasses* AbstractClasses() {
    static TAbstractClasses registry;
    return &registry;
}

void RegisterItemClass(const TAbstractObjectClass* cls, const std::string& name) {
    AbstractClasses()->RegisterClass(cls, name);
}

const TAbstractObjectClass* FindItemClass(const std::string& name) { return AbstractClasses()->FindClass(name); }

TAbstractObject* CreateItemByClassName(const std::string& paramString, const std::string& className) {
    const TAbstractObjectClass* cls = FindItemClass(className);
    return cls ? TAbstractObject::Create(cls, paramString) : nullptr;
}

void SplitItemDescriptor(const std::string& itemDescriptor, std::string& className, std::string& params) {
    std::size_t p = itemDescriptor.find('{');
    if (p == std::string::npos) {
        className = itemDescriptor;
        params.clear();
        return;
    }
    className = itemDescriptor.substr(0, p);
    std::size_t end = itemDescriptor.size() - 1;  // the last character goes, whatever it is
    params = end > p ? itemDescriptor.substr(p + 1, end - p - 1) : std::string();
}

TAbstractObject* CreateItem(const std::string& itemDescriptor) {
    std::string name, params;
    SplitItemDescriptor(itemDescriptor, name, params);
    return CreateItemByClassName(params, name);
}

}  // namespace vpw
