// The tree of named objects: parameters, objects with fixed children,
// collections, and their persistence.
//
// Ownership: an owner holds counted references to its children and every
// wired child holds one to its owner. SetOwner(nullptr) on the root wires a
// loaded tree; Detach on the root unwires it, after which it is freed with
// its last outside reference.
#pragma once
#include <string>

#include "AbstractObjects.h"
#include "BOMInterfaces.h"
#include "Collections.h"
#include "Exceptions.h"
#include "PersistenceService.h"
#include "Variant.h"

namespace vpw {

// Internal consistency errors of the tree.
VPW_DECLARE_EXCEPTION(EBOMError, Exception);

// Registers "BOMCOLLECTION", "BOMPARAM" and "BOMOBJECT", in this order.
void RegisterBOMClasses();

class TBOMAbstractObject : public TAbstractObject, public virtual IBOMObjectSlave {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;

    virtual bool IsRoot();
    virtual IPtr<IBOMObject> GetRoot();
    // This object or the nearest ancestor that answers SupportsName(name).
    virtual IPtr<IBOMObject> FindNamed(const std::string& name);
    virtual IPtr<IBOMObject> GetChild(const std::string& name);
    IPtr<IBOMObject> Resolve(const std::string& path) override;
    std::string GetName() override;
    IPtr<IInterface> GetInterfaceByName(const std::string& name) override;
    bool SupportsName(const std::string& name) override;
    void AfterChangeObject(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                           IBOMObject* sender) override;
    void AfterChangeObjectName(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                               IBOMObject* sender, const std::string& oldPath) override;
    void Notify(int code, int param1, int param2) override;
    void SetOwner(IBOMObject* owner) override;
    void Detach() override;
    std::string GetTypeName() override;
    void SetName(const std::string& name) override;

    // Not meant to be overridden.
    std::string GetPath() final;
    int RefCount() final { return TDebugInterfacedObject::RefCount(); }

protected:
    IBOMObject* GetOwner() const { return owner_.get(); }
    bool HasOwner() const { return owner_ != nullptr; }
    // Sets the name field only: no notice, the owner's list is not touched.
    void AssignName(const std::string& name) { name_ = name; }

private:
    std::string name_;
    IPtr<IBOMObject> owner_;
};

// A plain keyed list of tree nodes: the "all" list of an object, the
// parameter list of "params" and the item list of a collection. It routes
// no notices and sets no owners.
class TBOMInnerCollection : public TBOMAbstractObject, public virtual IBOMCollection {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;
    void Initialize() override;
    IPtr<IBOMObject> GetChild(const std::string& name) override;

    int Count() override;
    IPtr<IBOMObject> Item(const Variant& index) override;
    // Keyed by the node's current name; a name already present is refused.
    void Add(IBOMObject* obj) override;
    void Delete(const Variant& index) override;
    int IndexOf(const std::string& name) override;
    void Clear() override;
    // Re-keys the node under `newName` at the end of the list.
    void Rename(IBOMObject* obj, const std::string& newName) override;

private:
    TInterfaceCollection list_;
};

class TBOMAllCollection : public TBOMInnerCollection {};

// A node with a fixed set of named children (its "all" list) that routes
// notices between its owner and them.
class TBOMObjectWithAll : public TBOMAbstractObject, public virtual IBOMObjectOwner, public virtual IPersistObject {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;
    void Initialize() override;

    IPtr<IBOMObject> GetChild(const std::string& name) override;
    void AfterChangeObject(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                           IBOMObject* sender) override;
    void AfterChangeObjectName(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                               IBOMObject* sender, const std::string& oldPath) override;
    void Notify(int code, int param1, int param2) override;
    void SetOwner(IBOMObject* owner) override;
    void Detach() override;

    virtual void AfterChangeOwnerObject(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                                        IBOMObject* sender);
    virtual void AfterChangeChildObject(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                                        IBOMObject* sender);
    virtual void AfterChangeOwnerObjectName(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                                            IBOMObject* sender, const std::string& oldPath);
    virtual void AfterChangeChildObjectName(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                                            IBOMObject* sender, const std::string& oldPath);
    virtual bool ShouldSaveChild(IBOMObject* child);
    void RenameChild(IBOMObjectSlave* child, const std::string& newName) override;
    void Save(IHierStorage* storage) override;
    void Load(IHierStorage* storage) override;
    std::string GetStorageTag() override;

    // Creates a node by descriptor and adds it to the "all" list; its owner
    // is set when this object is wired.
    IPtr<IBOMObjectSlave> CreateChild(const std::string& itemDescriptor, const std::string& name);

protected:
    IBOMCollection* GetAll() const { return all_.get(); }

private:
    IPtr<IBOMCollection> all_;
};

// One named value.
class TBOMParam : public TBOMAbstractObject, public virtual IBOMParam, public virtual IPersistObject {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;
    void Initialize() override;
    std::string GetTypeName() override;

    Variant GetValue() override;
    // Stores the value and tells the tree, even when it is unchanged.
    void SetValue(const Variant& value) override;
    void SetValueSilent(const Variant& value) override;

    void Save(IHierStorage* storage) override;
    void Load(IHierStorage* storage) override;
    std::string GetStorageTag() override;

protected:
    void NotifyChanged();

private:
    Variant value_;
};

// The "params" child of every object. Parameters hear no notices; their
// changes go up only.
class TBOMParams : public TBOMObjectWithAll, public virtual IBOMCollection {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;
    void Initialize() override;

    IPtr<IBOMObject> GetChild(const std::string& name) override;
    void SetOwner(IBOMObject* owner) override;
    void Detach() override;
    void AfterChangeOwnerObject(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                                IBOMObject* sender) override;
    void AfterChangeChildObject(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                                IBOMObject* sender) override;
    void AfterChangeOwnerObjectName(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                                    IBOMObject* sender, const std::string& oldPath) override;
    void AfterChangeChildObjectName(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                                    IBOMObject* sender, const std::string& oldPath) override;
    void Save(IHierStorage* storage) override;
    void Load(IHierStorage* storage) override;
    std::string GetStorageTag() override;

    IPtr<IBOMObject> Item(const Variant& index) override;
    void Add(IBOMObject* param) override;
    void Delete(const Variant& index) override;
    void Clear() override;

    int Count() override;
    int IndexOf(const std::string& name) override;
    void Rename(IBOMObject* param, const std::string& newName) override;

private:
    IPtr<IBOMCollection> params_;
};

// A model object: type name, storage tag, "params" with the parameter "name".
class TBOMObject : public TBOMObjectWithAll {
public:
    void Initialize() override;
    std::string GetTypeName() override;
    std::string GetStorageTag() override;
    // Renames, tells children and owner, then updates "name".
    void SetName(const std::string& name) override;
    void Load(IHierStorage* storage) override;

    IPtr<IBOMParam> GetParam(const std::string& name);
    // A new "BOMPARAM" with that value, added to "params".
    IPtr<IBOMParam> CreateParam(const std::string& name, const Variant& value);
    void UpdateNameParam();

protected:
    void SetTypeName(const std::string& typeName) { typeName_ = typeName; }
    void SetStorageTag(const std::string& storageTag) { storageTag_ = storageTag; }

private:
    std::string typeName_;
    std::string storageTag_;
};

// A model object with an ordered list of uniquely named items.
class TBOMCollection : public TBOMObject, public virtual IBOMCollection {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;
    void Initialize() override;

    IPtr<IBOMObject> GetChild(const std::string& name) override;
    IPtr<IInterface> GetInterfaceByName(const std::string& name) override;
    bool SupportsName(const std::string& name) override;
    void Notify(int code, int param1, int param2) override;
    void SetOwner(IBOMObject* owner) override;
    void Detach() override;
    void AfterChangeOwnerObject(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                                IBOMObject* sender) override;
    void AfterChangeChildObject(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                                IBOMObject* sender) override;
    void AfterChangeOwnerObjectName(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                                    IBOMObject* sender, const std::string& oldPath) override;
    void AfterChangeChildObjectName(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                                    IBOMObject* sender, const std::string& oldPath) override;
    // Renames an item unless the new name is empty, the same or taken.
    void RenameChild(IBOMObjectSlave* child, const std::string& newName) override;
    void Save(IHierStorage* storage) override;
    void Load(IHierStorage* storage) override;

    virtual std::string GetItemTag();
    virtual std::string GetDefaultItemClass();
    IPtr<IBOMObject> Item(const Variant& index) override;
    // Stores the item and, when this collection is wired, wires the item.
    void Add(IBOMObject* obj) override;
    // Removed items are detached, so that a removed subtree is freed.
    void Delete(const Variant& index) override;
    void Clear() override;
    void Rename(IBOMObject* obj, const std::string& newName) override;

    int Count() final;
    int IndexOf(const std::string& name) final;

protected:
    void SetItemTag(const std::string& itemTag) { itemTag_ = itemTag; }
    void SetDefaultItemClass(const std::string& itemClass) { defaultItemClass_ = itemClass; }
    IBOMCollection* GetItems() const { return items_.get(); }

private:
    std::string itemTag_;
    std::string defaultItemClass_;
    IPtr<IBOMCollection> items_;
};

}  // namespace vpw
