#include "uEAGeneralClasses.h"

#include <vector>

#include "EARoutines.h"
#include "Routines.h"

namespace vpw {

bool TAbstractItem::QueryInterface(const TGUID& iid, void** out) {
    *out = nullptr;
    return AnswerInterfaces<IItem>(this, iid, out) || TDebugInterfacedObject::QueryInterface(iid, out);
}

IPtr<TAbstractParamsItem> TAbstractParamsItem::Create(const TItemClass* cls, const std::string& paramString) {
    if (!cls) return {};
    // The counted pointer keeps the item alive while Initialize and
    // ParseParam hand out references to it, and frees it when they throw.
    IPtr<TAbstractParamsItem> item(cls->construct());
    item->Initialize();
    TTwoArrayOfString pairs;
    int n = ParseNameValues(paramString, pairs, '\\', '=');
    for (int i = 0; i < n; ++i) item->ParseParam(UpperCaseAscii(pairs[i][0]), pairs[i][1]);
    return item;
}

void TAbstractParamsItem::ParseParam(const std::string& key, const std::string& value) {
    if (key == "NAME") name_ = value;
}

// --- collections ---

bool TAbstractCollection::QueryInterface(const TGUID& iid, void** out) {
    *out = nullptr;
    return AnswerInterfaces<ICollection, IItemList>(this, iid, out) || TAbstractItem::QueryInterface(iid, out);
}

TAbstractCollection::~TAbstractCollection() = default;  // the inner collection releases every item

int TAbstractCollection::Count() {
    TLockGuard guard(lock_);
    return items_.Count();
}

IPtr<IInterface> TAbstractCollection::GetItem(int position) { return Lookup(Variant(position)); }

IPtr<IInterface> TAbstractCollection::Lookup(const Variant& index) {
    TLockGuard guard(lock_);
    if (index.IsPosition() && (index.AsInteger() < 0 || index.AsInteger() >= items_.Count())) return {};
    try {
        return items_.GetItem(index);
    } catch (...) {
        return {};
    }
}

void TAbstractCollection::Remove(const Variant& key) {
    IPtr<IInterface> removed;  // released after the lock
    TLockGuard guard(lock_);
    try {
        removed = items_.GetItem(key);
        if (removed) items_.Delete(key);
    } catch (...) {
    }
}

IPtr<IItemList> TAbstractCollection::GetItemList() { return IPtr<IItemList>(this); }

int TAbstractCollection::IndexOf(const std::string& name) {
    TLockGuard guard(lock_);
    return items_.IndexOf(name);
}

void TAbstractCollection::Clear() {
    std::vector<IPtr<IInterface>> removed;
    {
        TLockGuard guard(lock_);
        for (int i = 0; i < items_.Count(); ++i) removed.push_back(items_.GetItem(Variant(i)));
        items_.Clear();
    }
}

bool TAbstractCollection::AddUnder(IInterface* item, const std::string& key) {
    if (!item) return false;
    TLockGuard guard(lock_);
    if (items_.Exists(key)) return false;
    std::string k = key;
    int before = items_.Count();
    items_.Add(IPtr<IInterface>(item), false, k);
    return items_.Count() > before;
}

bool TAbstractCollection::AddGenerated(IInterface* item) {
    if (!item) return false;
    TLockGuard guard(lock_);
    std::string key;
    int before = items_.Count();
    items_.Add(IPtr<IInterface>(item), true, key);
    return items_.Count() > before;
}

bool TAbstractCollection::RemoveReference(IInterface* item, bool fromEnd) {
    if (!item) return false;
    IPtr<IInterface> removed;
    TLockGuard guard(lock_);
    int n = items_.Count();
    for (int k = 0; k < n; ++k) {
        int i = fromEnd ? n - 1 - k : k;
        IPtr<IInterface> stored = items_.GetItem(Variant(i));
        if (stored.get() == item) {
            removed = stored;
            items_.Delete(Variant(i));
            return true;
        }
    }
    return false;
}

bool TActions::QueryInterface(const TGUID& iid, void** out) {
    *out = nullptr;
    return AnswerInterfaces<IActions>(this, iid, out) || TAbstractCollection::QueryInterface(iid, out);
}

bool TActionsActivators::QueryInterface(const TGUID& iid, void** out) {
    *out = nullptr;
    return AnswerInterfaces<IActionsActivators>(this, iid, out) || TAbstractCollection::QueryInterface(iid, out);
}

bool TActionActivators::QueryInterface(const TGUID& iid, void** out) {
    *out = nullptr;
    return AnswerInterfaces<IActionActivators>(this, iid, out) || TAbstractCollection::QueryInterface(iid, out);
}

// --- registry ---

void TItemClasses::RegisterClass(const TItemClass* cls, const std::string& name) {
    if (!cls) return;
    items_.Add(const_cast<TItemClass*>(cls), name);
}

const TItemClass* TItemClasses::FindClass(const std::string& name) const {
    return static_cast<const TItemClass*>(items_.GetItem(Variant(name)));
}

namespace {
TItemClasses* g_itemClasses = nullptr;
}

void CreateItemClasses() {
    if (!g_itemClasses) g_itemClasses = new TItemClasses();
}

void FreeItemClasses() {
    delete g_itemClasses;
    g_itemClasses = nullptr;
}

TItemClasses* ItemClasses() { return g_itemClasses; }

void RegisterEAItemClass(const TItemClass* cls, const std::string& name) {
    if (g_itemClasses) g_itemClasses->RegisterClass(cls, name);
}

const TItemClass* FindEAItemClass(const std::string& name) {
    return g_itemClasses ? g_itemClasses->FindClass(name) : nullptr;
}

IPtr<IItem> CreateEAItemByClassName(const std::string& paramString, const std::string& className) {
    try {
        const TItemClass* cls = FindEAItemClass(className);
        if (!cls) return {};
        IPtr<TAbstractParamsItem> item = TAbstractParamsItem::Create(cls, paramString);
        return IPtr<IItem>(item.get());
    } catch (...) {
        DebugOut("CreateEAItemByClassName: Err = " + CurrentExceptionMessage());
        return {};
    }
}

IPtr<IItem> CreateEAItem(const std::string& itemDescriptor) {
    // The type name stands before the first "{", the parameters between it
    // and the last character.
    std::size_t p = itemDescriptor.find('{');
    if (p == std::string::npos) return CreateEAItemByClassName({}, itemDescriptor);
    std::size_t end = itemDescriptor.size() - 1;
    std::string params = end > p ? itemDescriptor.substr(p + 1, end - p - 1) : std::string();
    return CreateEAItemByClassName(params, itemDescriptor.substr(0, p));
}

}  // namespace vpw
