// Objects built from a parameter string, and the registry of type names.
#pragma once
#include <string>

// <windows.h> maps RegisterClass to RegisterClassA; the registry's own
// operation must keep one name in every unit.
#ifdef RegisterClass
#undef RegisterClass
#endif

#include "Collections.h"
#include "Interfaces.h"

namespace vpw {

class TAbstractObject;

// A class reference: the factory that builds the most-derived object.
struct TAbstractObjectClass {
    TAbstractObject* (*construct)();
    const char* debugName;
};

class TAbstractObject : public TDebugInterfacedObject {
public:
    // Builds an object of class `cls`: Initialize, then every pair of the
    // parameter string through ParseParam (key upper-cased). A throw destroys
    // the half-built object and reaches the caller.
    static TAbstractObject* Create(const TAbstractObjectClass* cls, const std::string& paramString);

    virtual void Initialize() {}
    virtual void ParseParam(const std::string& key, const std::string& value) { (void)key; (void)value; }

protected:
    void Construct(const std::string& paramString);
};

// The class reference of T (one per type, stable for the program's life).
template <class T>
const TAbstractObjectClass* ClassOf() {
    static const TAbstractObjectClass cls{[]() -> TAbstractObject* { return new T(); }, typeid(T).name()};
    return &cls;
}

// Builds a T directly (tests and owners that know the class).
template <class T>
IPtr<T> CreateObject(const std::string& paramString = {}) {
    return IPtr<T>(static_cast<T*>(TAbstractObject::Create(ClassOf<T>(), paramString)));
}

class TAbstractClasses : public TAbstractPointerCollection {
public:
    void RegisterClass(const TAbstractObjectClass* cls, const std::string& name);
    const TAbstractObjectClass* FindClass(const std::string& name) const;
};

// The process-wide registry; created on first use so that every program
// registers into it from its start-up code in a fixed order.
TAbstractClasses* AbstractClasses();

void RegisterItemClass(const TAbstractObjectClass* cls, const std::string& name);
const TAbstractObjectClass* FindItemClass(const std::string& name);
// The caller takes the first reference.
TAbstractObject* CreateItemByClassName(const std::string& paramString, const std::string& className);
TAbstractObject* CreateItem(const std::string& itemDescriptor);

// Splits "NAME{params}" into its class name and parameter string.
void SplitItemDescriptor(const std::string& itemDescriptor, std::string& className, std::string& params);

}  // namespace vpw
