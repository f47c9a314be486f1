// The faces through which the nodes of the object tree talk to each other.
#pragma once
#include <string>

#include "Interfaces.h"
#include "Variant.h"

namespace vpw {

// A node of the tree: found by path, asked for named facets, told of changes.
// Paths in notices are relative to the receiving node.
class IBOMObject : public virtual IInterface {
public:
    VPW_INTERFACE_ID("{B01E1F2E-4A8E-4496-8085-A86B638DDB1B}");
    virtual IPtr<IBOMObject> Resolve(const std::string& path) = 0;
    virtual std::string GetName() = 0;
    virtual std::string GetPath() = 0;
    virtual IPtr<IInterface> GetInterfaceByName(const std::string& name) = 0;
    virtual bool SupportsName(const std::string& name) = 0;
    virtual void AfterChangeObject(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                                   IBOMObject* sender) = 0;
    virtual void AfterChangeObjectName(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                                       IBOMObject* sender, const std::string& oldPath) = 0;
    virtual void Notify(int code, int param1, int param2) = 0;
    virtual int RefCount() = 0;
};

// The face through which an owner, a collection or a factory manages a node.
class IBOMObjectSlave : public virtual IBOMObject {
public:
    VPW_INTERFACE_ID("{D4BF3169-0633-4579-85CF-B8A0B3EAEE98}");
    virtual void SetOwner(IBOMObject* owner) = 0;
    virtual void Detach() = 0;
    virtual std::string GetTypeName() = 0;
    virtual void SetName(const std::string& name) = 0;
};

// What a child gets as its owner.
class IBOMObjectOwner : public virtual IBOMObject {
public:
    VPW_INTERFACE_ID("{BE6B345B-BD0A-4813-8BB1-3CE5611CA06E}");
    virtual void RenameChild(IBOMObjectSlave* child, const std::string& newName) = 0;
};

// An ordered list of nodes addressed by 0-based position or by name
// (case-insensitive).
class IBOMCollection : public virtual IBOMObject {
public:
    VPW_INTERFACE_ID("{1ED5A211-8CF6-4B11-AFD9-EADB2D29590D}");
    virtual int Count() = 0;
    virtual IPtr<IBOMObject> Item(const Variant& index) = 0;
    virtual void Add(IBOMObject* obj) = 0;
    virtual void Delete(const Variant& index) = 0;
    virtual int IndexOf(const std::string& name) = 0;
    virtual void Clear() = 0;
    virtual void Rename(IBOMObject* obj, const std::string& newName) = 0;
};

class IBOMParam : public virtual IBOMObject {
public:
    VPW_INTERFACE_ID("{0D998A55-AB28-4A08-8FB2-1E2C199FAE11}");
    virtual Variant GetValue() = 0;
    virtual void SetValue(const Variant& value) = 0;
    virtual void SetValueSilent(const Variant& value) = 0;
};

}  // namespace vpw
