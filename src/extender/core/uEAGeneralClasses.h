// The item model of the window extender library: named, counted items built
// from a parameter string, the keyed collections that hold them, and the
// library's own registry of item classes by type name.
#pragma once
#include <windows.h>

#include <string>
#include <type_traits>
#include <typeinfo>

#include "Collections.h"
#include "EAInterfaceDeclarations.h"
#include "GeneralInterfaces.h"

#ifdef RegisterClass
#undef RegisterClass
#endif

namespace vpw {

// A critical section; the library's locks are held only around list work.
class TLock {
public:
    TLock() { InitializeCriticalSection(&section_); }
    ~TLock() { DeleteCriticalSection(&section_); }
    TLock(const TLock&) = delete;
    TLock& operator=(const TLock&) = delete;
    void Enter() { EnterCriticalSection(&section_); }
    void Leave() { LeaveCriticalSection(&section_); }

private:
    CRITICAL_SECTION section_;
};

class TLockGuard {
public:
    explicit TLockGuard(TLock& lock) : lock_(lock) { lock_.Enter(); }
    ~TLockGuard() { lock_.Leave(); }
    TLockGuard(const TLockGuard&) = delete;
    TLockGuard& operator=(const TLockGuard&) = delete;

private:
    TLock& lock_;
};

class TAbstractItem : public TDebugInterfacedObject, public virtual IItem {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;
    std::string GetName() override { return name_; }

protected:
    ~TAbstractItem() override = default;
    std::string name_;
};

class TAbstractParamsItem;

// A class reference of the registry: builds the most-derived object.
struct TItemClass {
    TAbstractParamsItem* (*construct)();
    const char* debugName;
};

template <class T>
const TItemClass* ItemClassOf() {
    static const TItemClass cls{[]() -> TAbstractParamsItem* { return new T(); }, typeid(T).name()};
    return &cls;
}

// An item built from a parameter string ("\KEY=value\..."): Initialize, then
// ParseParam once per pair in text order with the key upper-cased.
class TAbstractParamsItem : public TAbstractItem {
public:
    // A throw from Initialize or ParseParam destroys the half-built item and
    // reaches the caller.
    static IPtr<TAbstractParamsItem> Create(const TItemClass* cls, const std::string& paramString);

    virtual void Initialize() {}
    // The base takes "NAME"; every other key is ignored.
    virtual void ParseParam(const std::string& key, const std::string& value);

protected:
    ~TAbstractParamsItem() override = default;
};

// Builds a T directly (owners that know the class, and tests); items that
// take no parameter string, such as the collections, are just made.
template <class T>
IPtr<T> NewItem(const std::string& paramString = {}) {
    if constexpr (std::is_base_of_v<TAbstractParamsItem, T>) {
        IPtr<TAbstractParamsItem> item = TAbstractParamsItem::Create(ItemClassOf<T>(), paramString);
        return IPtr<T>(static_cast<T*>(item.get()));
    } else {
        return IPtr<T>(new T());
    }
}

// Items in insertion order under case-insensitive keys, one counted
// reference each. Safe to use from several threads; references are dropped
// outside the collection's own lock.
class TAbstractCollection : public TAbstractItem, public virtual ICollection, public virtual IItemList {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;

    int Count() override;
    IPtr<IInterface> GetItem(int position) override;
    void Remove(const Variant& key) override;  // an absent key or position removes nothing
    IPtr<IItemList> GetItemList() override;
    int IndexOf(const std::string& name) override;
    void Clear() override;

protected:
    ~TAbstractCollection() override;
    // False, and nothing stored, for a missing item or a key already present.
    bool AddUnder(IInterface* item, const std::string& key);
    bool AddNamed(IItem* item) { return item && AddUnder(item, item->GetName()); }
    bool AddGenerated(IInterface* item);
    // An integer is a position, a text a key; none when absent.
    IPtr<IInterface> Lookup(const Variant& index);
    template <class T>
    IPtr<T> LookupAs(const Variant& index) { return Supports<T>(Lookup(index)); }
    // Removes the first entry that is this very object, searching from the
    // end or from the start; false when there is none.
    bool RemoveReference(IInterface* item, bool fromEnd);

private:
    TLock lock_;
    TInterfaceCollection items_;
};

// Typed collections of the actions and activators; their items are defined
// in the actions and activators units.
class TActions : public TAbstractCollection, public virtual IActions {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;
    IPtr<IAction> GetAction(const Variant& index) override { return LookupAs<IAction>(index); }
    void Add(IAction* action) override { AddNamed(action); }
};

class TActionsActivators : public TAbstractCollection, public virtual IActionsActivators {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;
    IPtr<ITrigger> GetActionsActivator(const Variant& index) override { return LookupAs<ITrigger>(index); }
    void Add(ITrigger* trigger) override { AddNamed(trigger); }
};

class TActionActivators : public TAbstractCollection, public virtual IActionActivators {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;
    IPtr<IAgent> GetActionActivator(const Variant& index) override { return LookupAs<IAgent>(index); }
    void Add(IAgent* agent) override { AddNamed(agent); }
};

// Type name to item class; filled by the library's start-up, read-only after.
class TItemClasses : public TAbstractPointerCollection {
public:
    void RegisterClass(const TItemClass* cls, const std::string& name);  // a second name is dropped
    const TItemClass* FindClass(const std::string& name) const;  // case-insensitive
};

void CreateItemClasses();
void FreeItemClasses();
TItemClasses* ItemClasses();  // nullptr outside start-up .. unload

// The library's own registry; the object framework's routines are named
// without "EA".
void RegisterEAItemClass(const TItemClass* cls, const std::string& name);
const TItemClass* FindEAItemClass(const std::string& name);
// None for an unknown type, a missing registry or an item that failed to build.
IPtr<IItem> CreateEAItemByClassName(const std::string& paramString, const std::string& className);
// "TYPENAME{params}".
IPtr<IItem> CreateEAItem(const std::string& itemDescriptor);

}  // namespace vpw
