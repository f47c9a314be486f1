// The faces every item of the window extender library shares: a name, a
// keyed collection, and the owner/slave pair through which items hold each
// other.
#pragma once
#include <string>

#include "Interfaces.h"
#include "Variant.h"

namespace vpw {

class IItemList;
class IOwner;

class IItem : public virtual IInterface {
public:
    VPW_INTERFACE_ID("{A97A0D5A-4204-4FED-96F5-0ACEEF4BF213}");
    virtual std::string GetName() = 0;
};

// Keys are case-insensitive; an integer Variant is a 0-based position.
class ICollection : public virtual IItem {
public:
    VPW_INTERFACE_ID("{9C4146F4-87D9-42D6-B621-BE1218E5F8F7}");
    virtual int Count() = 0;
    virtual void Remove(const Variant& key) = 0;
    virtual int IndexOf(const std::string& name) = 0;  // -1 when absent
    virtual void Clear() = 0;
    virtual IPtr<IItemList> GetItemList() = 0;
};

class IItemList : public virtual IInterface {
public:
    VPW_INTERFACE_ID("{654CC95B-E4D8-4224-8DDC-F8D352959864}");
    virtual int Count() = 0;
    virtual IPtr<IInterface> GetItem(int position) = 0;  // none outside 0 .. Count-1
};

// What an owner holds: SetOwner then Connect when taken in, Disconnect then
// ReleaseOwner before it is let go (after which it holds no owner reference).
class ISlave : public virtual IItem {
public:
    VPW_INTERFACE_ID("{3A08E545-AF40-43E7-A986-20C651A215C8}");
    virtual void SetOwner(IOwner* owner) = 0;
    virtual void ReleaseOwner() = 0;
    virtual void Connect() = 0;
    virtual void Disconnect() = 0;
    virtual void SetName(const std::string& name) = 0;
};

// A slave never frees itself; it asks its owner to let it go.
class IOwner : public virtual IItem {
public:
    VPW_INTERFACE_ID("{314D43F1-EF7F-46AE-BE8D-B4BF7829B339}");
    virtual void ReleaseSlave(ISlave* slave) = 0;
};

}  // namespace vpw
