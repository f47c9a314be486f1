#include "BOMObjects.h"

#include "BOMRoutines.h"

namespace vpw {

namespace {

const char kParamTypeName[] = "BOMPARAM";

// A notice passed down to a child sees the path from one level lower.
std::string Down(const std::string& path) { return StripTrailingSlash("../" + path); }
// A notice passed up to the owner sees the path through the passing node.
std::string Up(const std::string& name, const std::string& path) { return StripTrailingSlash(name + "/" + path); }

IPtr<IBOMObjectSlave> SlaveOf(IBOMObject* obj) { return Supports<IBOMObjectSlave>(obj); }
template <class T>
IPtr<IBOMObjectSlave> SlaveOf(const IPtr<T>& obj) { return Supports<IBOMObjectSlave>(obj); }

void DetachNode(IBOMObject* obj) {
    if (IPtr<IBOMObjectSlave> slave = SlaveOf(obj)) slave->Detach();
}

// Takes the item at `index` out of `list` and unwires it.
void DeleteAndDetach(IBOMCollection* list, const Variant& index) {
    IPtr<IBOMObject> item = list->Item(index);  // a bad position raises here, as Delete would
    list->Delete(index);
    if (item) DetachNode(item.get());
}

}  // namespace

void RegisterBOMClasses() {
    RegisterItemClass(ClassOf<TBOMCollection>(), "BOMCOLLECTION");
    RegisterItemClass(ClassOf<TBOMParam>(), kParamTypeName);
    RegisterItemClass(ClassOf<TBOMObject>(), "BOMOBJECT");
}

// --- TBOMAbstractObject

bool TBOMAbstractObject::QueryInterface(const TGUID& iid, void** out) {
    *out = nullptr;
    return AnswerInterfaces<IBOMObject, IBOMObjectSlave>(this, iid, out) || TAbstractObject::QueryInterface(iid, out);
}

bool TBOMAbstractObject::IsRoot() { return false; }

IPtr<IBOMObject> TBOMAbstractObject::GetRoot() {
    if (IsRoot()) return IPtr<IBOMObject>(this);
    IPtr<IBOMObject> owner = owner_;
    return owner ? owner->Resolve("/") : nullptr;
}

IPtr<IBOMObject> TBOMAbstractObject::FindNamed(const std::string& name) {
    if (SupportsName(name)) return IPtr<IBOMObject>(this);
    IPtr<IBOMObject> owner = owner_;
    return owner ? owner->Resolve(name + ":") : nullptr;
}

IPtr<IBOMObject> TBOMAbstractObject::GetChild(const std::string& name) { return nullptr; }

IPtr<IBOMObject> TBOMAbstractObject::Resolve(const std::string& path) {
    if (path.empty()) return IPtr<IBOMObject>(this);
    std::string first, rest;
    SplitPath(path, first, rest);
    IPtr<IBOMObject> next;
    if (first == ".") return Resolve(rest);
    if (first == "..") {
        next = owner_;
    } else if (first == "/") {
        next = GetRoot();
    } else if (first.back() == ':') {
        next = FindNamed(first.substr(0, first.size() - 1));
    } else {
        next = GetChild(first);
    }
    return next ? next->Resolve(rest) : nullptr;
}

std::string TBOMAbstractObject::GetName() { return name_; }

IPtr<IInterface> TBOMAbstractObject::GetInterfaceByName(const std::string& name) { return nullptr; }

bool TBOMAbstractObject::SupportsName(const std::string& name) { return false; }

void TBOMAbstractObject::AfterChangeObject(const std::string&, IBOMObject*, const std::string&, IBOMObject*) {}

void TBOMAbstractObject::AfterChangeObjectName(const std::string&, IBOMObject*, const std::string&, IBOMObject*,
                                               const std::string&) {}

void TBOMAbstractObject::Notify(int, int, int) {}

void TBOMAbstractObject::SetOwner(IBOMObject* owner) { owner_ = owner; }

void TBOMAbstractObject::Detach() { owner_ = nullptr; }

std::string TBOMAbstractObject::GetTypeName() { return {}; }

void TBOMAbstractObject::SetName(const std::string& name) { name_ = name; }

std::string TBOMAbstractObject::GetPath() {
    IPtr<IBOMObject> owner = owner_;
    return owner ? owner->GetPath() + "/" + name_ : name_;
}

// --- TBOMInnerCollection

bool TBOMInnerCollection::QueryInterface(const TGUID& iid, void** out) {
    *out = nullptr;
    return AnswerInterfaces<IBOMCollection>(this, iid, out) || TBOMAbstractObject::QueryInterface(iid, out);
}

void TBOMInnerCollection::Initialize() { TBOMAbstractObject::Initialize(); }

IPtr<IBOMObject> TBOMInnerCollection::GetChild(const std::string& name) { return Item(Variant(name)); }

int TBOMInnerCollection::Count() { return list_.Count(); }

IPtr<IBOMObject> TBOMInnerCollection::Item(const Variant& index) {
    // Every entry is a tree node; asking it is much cheaper than a cast
    // across the virtual bases.
    return Supports<IBOMObject>(list_.GetItem(index));
}

void TBOMInnerCollection::Add(IBOMObject* obj) {
    if (!obj) return;
    list_.Add(IPtr<IInterface>(obj), obj->GetName());
}

void TBOMInnerCollection::Delete(const Variant& index) { list_.Delete(index); }

int TBOMInnerCollection::IndexOf(const std::string& name) { return list_.IndexOf(name); }

void TBOMInnerCollection::Clear() { list_.Clear(); }

void TBOMInnerCollection::Rename(IBOMObject* obj, const std::string& newName) {
    if (!obj) return;
    IPtr<IBOMObject> keep(obj);  // the list may hold the only reference
    std::string oldName = obj->GetName();
    // A name taken by another entry would make the re-add fail and lose the item.
    int taken = list_.IndexOf(newName);
    if (taken >= 0 && taken != list_.IndexOf(oldName)) return;
    list_.Delete(Variant(oldName));
    list_.Add(IPtr<IInterface>(keep.get()), newName);
}

// --- TBOMObjectWithAll

bool TBOMObjectWithAll::QueryInterface(const TGUID& iid, void** out) {
    *out = nullptr;
    return AnswerInterfaces<IBOMObjectOwner, IPersistObject>(this, iid, out) ||
           TBOMAbstractObject::QueryInterface(iid, out);
}

void TBOMObjectWithAll::Initialize() {
    TBOMAbstractObject::Initialize();
    all_ = CreateObject<TBOMAllCollection>();
}

IPtr<IBOMObject> TBOMObjectWithAll::GetChild(const std::string& name) {
    if (!all_) return nullptr;
    if (name == "all") return IPtr<IBOMObject>(all_.get());
    return all_->Item(Variant(name));
}

void TBOMObjectWithAll::AfterChangeObject(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                                          IBOMObject* sender) {
    if (StartsWith("..", senderPath))
        AfterChangeOwnerObject(path, obj, senderPath, sender);
    else
        AfterChangeChildObject(path, obj, senderPath, sender);
}

void TBOMObjectWithAll::AfterChangeObjectName(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                                              IBOMObject* sender, const std::string& oldPath) {
    if (StartsWith("..", senderPath)) {
        AfterChangeOwnerObjectName(path, obj, senderPath, sender, oldPath);
    } else if (GetChild(senderPath)) {
        AfterChangeChildObjectName(path, obj, senderPath, sender, oldPath);
    } else {
        throw EBOMError(
            "AfterChangeObjectName - неверное имя ребенка. {9FC4CBFB-E5CD-4B8E-A935-8F2E08202540}");
    }
}

void TBOMObjectWithAll::Notify(int code, int param1, int param2) {
    for (int i = 0; i < all_->Count(); ++i) all_->Item(i)->Notify(code, param1, param2);
}

void TBOMObjectWithAll::SetOwner(IBOMObject* owner) {
    TBOMAbstractObject::SetOwner(owner);
    IBOMObjectOwner* self = this;
    SlaveOf(all_)->SetOwner(self);
    for (int i = 0; i < all_->Count(); ++i)
        if (IPtr<IBOMObjectSlave> child = SlaveOf(all_->Item(i))) child->SetOwner(self);
}

void TBOMObjectWithAll::Detach() {
    for (int i = 0; i < all_->Count(); ++i) DetachNode(all_->Item(i).get());
    DetachNode(all_.get());
    TBOMAbstractObject::Detach();
}

void TBOMObjectWithAll::AfterChangeOwnerObject(const std::string& path, IBOMObject* obj, const std::string&,
                                               IBOMObject*) {
    for (int i = 0; i < all_->Count(); ++i) all_->Item(i)->AfterChangeObject(Down(path), obj, "..", this);
}

void TBOMObjectWithAll::AfterChangeChildObject(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                                               IBOMObject*) {
    for (int i = 0; i < all_->Count(); ++i) {
        IPtr<IBOMObject> child = all_->Item(i);
        if (child->GetName() != senderPath) child->AfterChangeObject(Down(path), obj, "..", this);
    }
    if (IPtr<IBOMObject> owner = GetOwner()) owner->AfterChangeObject(Up(GetName(), path), obj, GetName(), this);
}

void TBOMObjectWithAll::AfterChangeOwnerObjectName(const std::string& path, IBOMObject* obj, const std::string&,
                                                   IBOMObject*, const std::string& oldPath) {
    for (int i = 0; i < all_->Count(); ++i)
        all_->Item(i)->AfterChangeObjectName(Down(path), obj, "..", this, Down(oldPath));
}

void TBOMObjectWithAll::AfterChangeChildObjectName(const std::string& path, IBOMObject* obj,
                                                   const std::string& senderPath, IBOMObject*,
                                                   const std::string& oldPath) {
    for (int i = 0; i < all_->Count(); ++i) {
        IPtr<IBOMObject> child = all_->Item(i);
        if (child->GetName() != senderPath) child->AfterChangeObjectName(Down(path), obj, "..", this, Down(oldPath));
    }
    if (IPtr<IBOMObject> owner = GetOwner())
        owner->AfterChangeObjectName(Up(GetName(), path), obj, GetName(), this, Up(GetName(), oldPath));
}

bool TBOMObjectWithAll::ShouldSaveChild(IBOMObject*) { return true; }

void TBOMObjectWithAll::RenameChild(IBOMObjectSlave*, const std::string&) {}

void TBOMObjectWithAll::Save(IHierStorage* storage) {
    storage->WriteAttribute("name", GetName());
    for (int i = 0; i < all_->Count(); ++i) {
        IPtr<IBOMObject> child = all_->Item(i);
        IPtr<IPersistObject> persist = Supports<IPersistObject>(child);
        if (!persist) continue;
        std::string tag = persist->GetStorageTag();
        if (tag.empty() || !ShouldSaveChild(child.get())) continue;
        if (IPtr<IHierStorage> node = storage->CreateChild(tag)) persist->Save(node.get());
    }
}

void TBOMObjectWithAll::Load(IHierStorage* storage) {
    AssignName(storage->ReadAttribute("name", GetName()));
    for (int i = 0; i < all_->Count(); ++i) {
        IPtr<IPersistObject> persist = Supports<IPersistObject>(all_->Item(i));
        if (!persist) continue;
        std::string tag = persist->GetStorageTag();
        if (tag.empty()) continue;
        if (IPtr<IHierStorage> node = storage->GetChild(tag, 0)) persist->Load(node.get());
    }
}

std::string TBOMObjectWithAll::GetStorageTag() { return {}; }

IPtr<IBOMObjectSlave> TBOMObjectWithAll::CreateChild(const std::string& itemDescriptor, const std::string& name) {
    IPtr<IBOMObjectSlave> child = CreateBOMObject(itemDescriptor, name);
    if (child) all_->Add(child.get());
    return child;
}

// --- TBOMParam

bool TBOMParam::QueryInterface(const TGUID& iid, void** out) {
    *out = nullptr;
    return AnswerInterfaces<IBOMParam, IPersistObject>(this, iid, out) || TBOMAbstractObject::QueryInterface(iid, out);
}

void TBOMParam::Initialize() {
    TBOMAbstractObject::Initialize();
    value_ = Variant(0);
}

std::string TBOMParam::GetTypeName() { return kParamTypeName; }

Variant TBOMParam::GetValue() { return value_; }

void TBOMParam::SetValue(const Variant& value) {
    value_ = value;
    NotifyChanged();
}

void TBOMParam::SetValueSilent(const Variant& value) { value_ = value; }

void TBOMParam::NotifyChanged() {
    if (IPtr<IBOMObject> owner = GetOwner()) owner->AfterChangeObject(GetName(), this, GetName(), this);
}

void TBOMParam::Save(IHierStorage* storage) {
    storage->WriteAttribute("name", GetName());
    storage->WriteValue(value_.AsString());
}

void TBOMParam::Load(IHierStorage* storage) {
    AssignName(storage->ReadAttribute("name", ""));
    value_ = Variant(storage->ReadValue());
}

std::string TBOMParam::GetStorageTag() { return "param"; }

// --- TBOMParams

bool TBOMParams::QueryInterface(const TGUID& iid, void** out) {
    *out = nullptr;
    return AnswerInterfaces<IBOMCollection>(this, iid, out) || TBOMObjectWithAll::QueryInterface(iid, out);
}

void TBOMParams::Initialize() {
    TBOMObjectWithAll::Initialize();
    SetName("params");
    params_ = CreateObject<TBOMInnerCollection>();
}

IPtr<IBOMObject> TBOMParams::GetChild(const std::string& name) {
    if (IPtr<IBOMObject> child = TBOMObjectWithAll::GetChild(name)) return child;
    return params_ ? params_->Item(Variant(name)) : nullptr;
}

void TBOMParams::SetOwner(IBOMObject* owner) {
    TBOMObjectWithAll::SetOwner(owner);
    IBOMObjectOwner* self = this;
    SlaveOf(params_)->SetOwner(self);
    for (int i = 0; i < params_->Count(); ++i)
        if (IPtr<IBOMObjectSlave> param = SlaveOf(params_->Item(i))) param->SetOwner(self);
}

void TBOMParams::Detach() {
    for (int i = 0; i < params_->Count(); ++i) DetachNode(params_->Item(i).get());
    DetachNode(params_.get());
    TBOMObjectWithAll::Detach();
}

void TBOMParams::AfterChangeOwnerObject(const std::string&, IBOMObject*, const std::string&, IBOMObject*) {}

void TBOMParams::AfterChangeChildObject(const std::string& path, IBOMObject* obj, const std::string&, IBOMObject*) {
    if (IPtr<IBOMObject> owner = GetOwner()) owner->AfterChangeObject(Up("params", path), obj, "params", this);
}

void TBOMParams::AfterChangeOwnerObjectName(const std::string&, IBOMObject*, const std::string&, IBOMObject*,
                                            const std::string&) {}

void TBOMParams::AfterChangeChildObjectName(const std::string& path, IBOMObject* obj, const std::string&, IBOMObject*,
                                            const std::string& oldPath) {
    if (IPtr<IBOMObject> owner = GetOwner())
        owner->AfterChangeObjectName(Up(GetName(), path), obj, GetName(), this, Up(GetName(), oldPath));
}

void TBOMParams::Save(IHierStorage* storage) {
    TBOMObjectWithAll::Save(storage);
    for (int i = 0; i < params_->Count(); ++i) {
        IPtr<IBOMObject> param = params_->Item(i);
        IPtr<IPersistObject> persist = Supports<IPersistObject>(param);
        if (!persist) continue;
        IPtr<IHierStorage> node = storage->CreateChild("param");
        if (!node) continue;
        persist->Save(node.get());
        IPtr<IBOMObjectSlave> slave = SlaveOf(param);
        if (slave && slave->GetTypeName() != kParamTypeName) node->WriteAttribute("type", slave->GetTypeName());
    }
}

void TBOMParams::Load(IHierStorage* storage) {
    TBOMObjectWithAll::Load(storage);
    int n = storage->ChildCount("param");
    for (int i = 0; i < n; ++i) {
        IPtr<IHierStorage> node = storage->GetChild("param", i);
        if (!node) continue;
        std::string name = node->ReadAttribute("name", "");
        IPtr<IBOMObject> param;
        if (!name.empty()) param = params_->Item(Variant(name));
        bool isNew = false;
        if (!param) {
            param = CreateBOMObject(node->ReadAttribute("type", kParamTypeName), "");
            isNew = true;
        }
        if (!param) continue;  // unregistered type
        if (IPtr<IPersistObject> persist = Supports<IPersistObject>(param)) persist->Load(node.get());
        if (isNew) Add(param.get());
    }
}

std::string TBOMParams::GetStorageTag() { return "params"; }

IPtr<IBOMObject> TBOMParams::Item(const Variant& index) { return params_->Item(index); }

void TBOMParams::Add(IBOMObject* param) {
    if (!param) return;
    // A refused parameter must not be wired to a list that does not hold it.
    if (params_->IndexOf(param->GetName()) >= 0) return;
    params_->Add(param);
    if (HasOwner())
        if (IPtr<IBOMObjectSlave> slave = SlaveOf(param)) slave->SetOwner(static_cast<IBOMObjectOwner*>(this));
}

void TBOMParams::Delete(const Variant& index) { DeleteAndDetach(params_.get(), index); }

void TBOMParams::Clear() {
    for (int i = params_->Count() - 1; i >= 0; --i) DeleteAndDetach(params_.get(), i);
}

int TBOMParams::Count() { return params_->Count(); }

int TBOMParams::IndexOf(const std::string& name) { return params_->IndexOf(name); }

void TBOMParams::Rename(IBOMObject* param, const std::string& newName) { params_->Rename(param, newName); }

// --- TBOMObject

void TBOMObject::Initialize() {
    TBOMObjectWithAll::Initialize();
    typeName_ = "BOMOBJECT";
    storageTag_ = "object";
    IPtr<TBOMParams> params = CreateObject<TBOMParams>();
    GetAll()->Add(params.get());
    CreateParam("name", Variant(GetName()));
}

std::string TBOMObject::GetTypeName() { return typeName_; }

std::string TBOMObject::GetStorageTag() { return storageTag_; }

void TBOMObject::SetName(const std::string& name) {
    std::string oldName = GetName();
    TBOMObjectWithAll::SetName(name);
    AfterChangeChildObjectName("", this, "", this, oldName);
    UpdateNameParam();
}

void TBOMObject::Load(IHierStorage* storage) {
    TBOMObjectWithAll::Load(storage);
    UpdateNameParam();
}

IPtr<IBOMParam> TBOMObject::GetParam(const std::string& name) { return Supports<IBOMParam>(Resolve("params/" + name)); }

IPtr<IBOMParam> TBOMObject::CreateParam(const std::string& name, const Variant& value) {
    IPtr<IBOMParam> param = CreateBOMParam(name);
    if (!param) throw EBOMError("TBOMObject.CreateParam: \"BOMPARAM\" is not registered");
    param->SetValue(value);
    IPtr<IBOMCollection> params = Supports<IBOMCollection>(Resolve("params"));
    if (!params)
        throw EBOMError(
            "TBOMObject.CreateParam. Ошибка при получении Params - {C0278020-676B-4FC2-9A4C-FBB34EB0B5D6}");
    params->Add(param.get());
    return param;
}

void TBOMObject::UpdateNameParam() {
    IPtr<IBOMParam> param = GetParam("name");
    if (!param)
        throw EBOMError("TBOMObject.UpdateNameParam: Can\"t find param \"Name\" {50360B40-C9FD-489D-84B8-053539072DA8}");
    param->SetValue(Variant(GetName()));
}

// --- TBOMCollection

bool TBOMCollection::QueryInterface(const TGUID& iid, void** out) {
    *out = nullptr;
    return AnswerInterfaces<IBOMCollection>(this, iid, out) || TBOMObject::QueryInterface(iid, out);
}

void TBOMCollection::Initialize() {
    TBOMObject::Initialize();
    SetTypeName("BOMCOLLECTION");
    SetStorageTag("collection");
    items_ = CreateObject<TBOMInnerCollection>();
}

IPtr<IBOMObject> TBOMCollection::GetChild(const std::string& name) {
    // The base Initialize looks up "params" before the item list exists.
    if (items_)
        if (IPtr<IBOMObject> item = items_->Item(Variant(name))) return item;
    return TBOMObject::GetChild(name);
}

IPtr<IInterface> TBOMCollection::GetInterfaceByName(const std::string& name) {
    if (IPtr<IInterface> found = TBOMObject::GetInterfaceByName(name)) return found;
    if (name == "Collection") return IPtr<IInterface>(static_cast<IBOMCollection*>(this));
    return nullptr;
}

bool TBOMCollection::SupportsName(const std::string& name) {
    return TBOMObject::SupportsName(name) || name == "Collection";
}

void TBOMCollection::Notify(int code, int param1, int param2) {
    TBOMObject::Notify(code, param1, param2);
    for (int i = 0; i < items_->Count(); ++i) items_->Item(i)->Notify(code, param1, param2);
}

void TBOMCollection::SetOwner(IBOMObject* owner) {
    TBOMObject::SetOwner(owner);
    IBOMObjectOwner* self = this;
    for (int i = 0; i < items_->Count(); ++i)
        if (IPtr<IBOMObjectSlave> item = SlaveOf(items_->Item(i))) item->SetOwner(self);
}

void TBOMCollection::Detach() {
    for (int i = 0; i < items_->Count(); ++i) DetachNode(items_->Item(i).get());
    TBOMObject::Detach();
}

void TBOMCollection::AfterChangeOwnerObject(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                                            IBOMObject* sender) {
    TBOMObject::AfterChangeOwnerObject(path, obj, senderPath, sender);
    for (int i = 0; i < items_->Count(); ++i) items_->Item(i)->AfterChangeObject(Down(path), obj, "..", this);
}

void TBOMCollection::AfterChangeChildObject(const std::string& path, IBOMObject* obj, const std::string& senderPath,
                                            IBOMObject* sender) {
    for (int i = 0; i < items_->Count(); ++i) {
        IPtr<IBOMObject> item = items_->Item(i);
        if (item->GetName() != senderPath) item->AfterChangeObject(Down(path), obj, "..", this);
    }
    TBOMObject::AfterChangeChildObject(path, obj, senderPath, sender);
}

void TBOMCollection::AfterChangeOwnerObjectName(const std::string& path, IBOMObject* obj,
                                                const std::string& senderPath, IBOMObject* sender,
                                                const std::string& oldPath) {
    TBOMObject::AfterChangeOwnerObjectName(path, obj, senderPath, sender, oldPath);
    for (int i = 0; i < items_->Count(); ++i)
        items_->Item(i)->AfterChangeObjectName(Down(path), obj, "..", this, Down(oldPath));
}

void TBOMCollection::AfterChangeChildObjectName(const std::string& path, IBOMObject* obj,
                                                const std::string& senderPath, IBOMObject* sender,
                                                const std::string& oldPath) {
    for (int i = 0; i < items_->Count(); ++i) {
        IPtr<IBOMObject> item = items_->Item(i);
        if (item->GetName() != senderPath) item->AfterChangeObjectName(Down(path), obj, "..", this, Down(oldPath));
    }
    TBOMObject::AfterChangeChildObjectName(path, obj, senderPath, sender, oldPath);
}

void TBOMCollection::RenameChild(IBOMObjectSlave* child, const std::string& newName) {
    if (!child) return;
    std::string name = child->GetName();
    IPtr<IBOMObject> item = items_->Item(Variant(name));
    // Only the entry that is this very child: another item may carry its name.
    if (!item || item.get() != static_cast<IBOMObject*>(child)) {
        TBOMObject::RenameChild(child, newName);
        return;
    }
    if (newName.empty() || newName == name) return;
    if (items_->IndexOf(newName) >= 0) return;
    items_->Rename(child, newName);
    child->SetName(newName);
}

void TBOMCollection::Save(IHierStorage* storage) {
    TBOMObject::Save(storage);
    IPtr<IHierStorage> content = storage->CreateChild("content");
    if (!content) return;
    std::string tag = GetItemTag();
    for (int i = 0; i < items_->Count(); ++i) {
        IPtr<IBOMObject> item = items_->Item(i);
        IPtr<IPersistObject> persist = Supports<IPersistObject>(item);
        if (!persist) continue;
        IPtr<IHierStorage> node = content->CreateChild(tag);
        if (!node) continue;
        persist->Save(node.get());
        IPtr<IBOMObjectSlave> slave = SlaveOf(item);
        node->WriteAttribute("type", slave ? slave->GetTypeName() : std::string());
    }
}

void TBOMCollection::Load(IHierStorage* storage) {
    TBOMObject::Load(storage);
    if (storage->ChildCount("content") <= 0) return;
    IPtr<IHierStorage> content = storage->GetChild("content", 0);
    if (!content) return;
    std::string tag = GetItemTag();
    int n = content->ChildCount(tag);
    for (int i = 0; i < n; ++i) {
        IPtr<IHierStorage> node = content->GetChild(tag, i);
        if (!node) continue;
        std::string name = node->ReadAttribute("name", "");
        IPtr<IBOMObject> item;
        if (!name.empty()) item = items_->Item(Variant(name));
        bool isNew = false;
        if (!item) {
            item = CreateBOMObject(node->ReadAttribute("type", GetDefaultItemClass()), "");
            isNew = true;
        }
        if (!item) continue;  // unregistered type
        // A new item loads before it is added, so loading sends no notices.
        if (IPtr<IPersistObject> persist = Supports<IPersistObject>(item)) persist->Load(node.get());
        if (isNew) Add(item.get());
    }
}

std::string TBOMCollection::GetItemTag() { return itemTag_; }

std::string TBOMCollection::GetDefaultItemClass() { return defaultItemClass_; }

IPtr<IBOMObject> TBOMCollection::Item(const Variant& index) { return items_->Item(index); }

void TBOMCollection::Add(IBOMObject* obj) {
    if (!obj) return;
    // A refused item must not be wired: it would hold this collection and,
    // through its own subtree, never be freed.
    if (items_->IndexOf(obj->GetName()) >= 0) return;
    items_->Add(obj);
    if (HasOwner())
        if (IPtr<IBOMObjectSlave> slave = SlaveOf(obj)) slave->SetOwner(static_cast<IBOMObjectOwner*>(this));
}

void TBOMCollection::Delete(const Variant& index) { DeleteAndDetach(items_.get(), index); }

void TBOMCollection::Clear() {
    for (int i = items_->Count() - 1; i >= 0; --i) DeleteAndDetach(items_.get(), i);
}

void TBOMCollection::Rename(IBOMObject* obj, const std::string& newName) { items_->Rename(obj, newName); }

int TBOMCollection::Count() { return items_->Count(); }

int TBOMCollection::IndexOf(const std::string& name) { return items_->IndexOf(name); }

}  // namespace vpw
