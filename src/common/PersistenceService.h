// An object saves itself into, and loads itself from, a node of a
// hierarchical store (attributes, child elements, element text).
#pragma once
#include <string>

#include "Interfaces.h"

namespace vpw {

class IHierStorage : public virtual IInterface {
public:
    VPW_INTERFACE_ID("{613CB9EE-2D99-4247-9F20-7568DE5516E4}");
    virtual std::string ReadAttribute(const std::string& name, const std::string& defaultValue) = 0;
    virtual void WriteAttribute(const std::string& name, const std::string& value) = 0;
    virtual IPtr<IHierStorage> CreateChild(const std::string& name) = 0;
    virtual int ChildCount(const std::string& name) = 0;
    virtual IPtr<IHierStorage> GetChild(const std::string& name, int index) = 0;
    virtual std::string ReadValue() = 0;
    virtual void WriteValue(const std::string& value) = 0;
    virtual std::string ReadChildValue(const std::string& name) = 0;
    virtual void WriteChildValue(const std::string& name, const std::string& value) = 0;
};

class IPersistObject : public virtual IInterface {
public:
    VPW_INTERFACE_ID("{512B5AD9-8E7A-4961-A3D0-B918BFB14613}");
    virtual void Save(IHierStorage* storage) = 0;
    virtual void Load(IHierStorage* storage) = 0;
    virtual std::string GetStorageTag() = 0;
};

}  // namespace vpw
