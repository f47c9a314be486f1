// Small ordered collections addressed by position or by a case-insensitive key.
#pragma once
#include <string>

#include "HashList.h"
#include "Interfaces.h"
#include "Variant.h"

namespace vpw {

class TBaseCollection {
public:
    TBaseCollection() = default;
    TBaseCollection(const TBaseCollection&) = delete;
    TBaseCollection& operator=(const TBaseCollection&) = delete;
    virtual ~TBaseCollection() = default;  // subclasses that own items clear in theirs

    virtual void Delete(const Variant& index);
    virtual void Clear();

    // Stores the item under `key`, or a generated key that is handed back
    // through `key`. Nothing is stored, and nullptr returned, when the key is
    // present already.
    void* AddItem(void* item, bool generateKey, std::string& key);
    std::string NextAutoKey();

    int Count() const { return list_.Count(); }
    int IndexOf(const std::string& key) const { return list_.IndexOf(key); }
    bool Exists(const std::string& key) const { return IndexOf(key) >= 0; }
    void* GetItem(const Variant& index) const;

protected:
    // Position of an index, or -1 when it names nothing (absent key, other variant).
    int PositionOf(const Variant& index) const;
    THashList list_;
    std::string highestKey_;
};

class TPointerCollection : public TBaseCollection {
public:
    void* Add(void* item, bool generateKey, std::string& key) { return AddItem(item, generateKey, key); }
    void* Add(void* item, std::string key) { return AddItem(item, false, key); }
    void* GetItem(const Variant& index) const { return TBaseCollection::GetItem(index); }
};

class TInterfaceCollection : public TBaseCollection {
public:
    ~TInterfaceCollection() override;
    // Returns the item even when its key was present and nothing was stored.
    IPtr<IInterface> Add(const IPtr<IInterface>& item, bool generateKey, std::string& key);
    IPtr<IInterface> Add(const IPtr<IInterface>& item, std::string key) { return Add(item, false, key); }
    IPtr<IInterface> GetItem(const Variant& index) const;
    void Delete(const Variant& index) override;
    void Clear() override;
};

class TStringCollection : public TBaseCollection {
public:
    ~TStringCollection() override;
    std::string Add(const std::string& text, bool generateKey, std::string& key);
    std::string Add(const std::string& text, std::string key) { return Add(text, false, key); }
    std::string GetItem(const Variant& index) const;  // empty when absent
    void Delete(const Variant& index) override;
    void Clear() override;
};

// Base of the class registries: owns one pointer collection.
class TAbstractPointerCollection {
public:
    virtual ~TAbstractPointerCollection() = default;
    void Delete(const Variant& index) { items_.Delete(index); }
    int Count() const { return items_.Count(); }

protected:
    TPointerCollection items_;
};

}  // namespace vpw
