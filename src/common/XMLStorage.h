// The hierarchical store over one MSXML DOM document. Texts are ANSI in the
// program and wide in the DOM. Every thread that uses it initialises COM.
// A value (an element's text or an attribute) that holds a character XML 1.0
// cannot carry is stored in the escaped form of StoredText.h and read back
// decoded; the attribute "escaped" that marks it is the store's own: it is
// never answered as a value and cannot be written.
#pragma once
#include <windows.h>
#include <objbase.h>

#include <string>
#include <utility>

#include "Exceptions.h"
#include "Interfaces.h"
#include "PersistenceService.h"
#include "StorageTree.h"
#include "WinHandles.h"

struct IXMLDOMDocument;
struct IXMLDOMElement;

namespace vpw {

VPW_DECLARE_EXCEPTION(EXMLStorageError, Exception);

// Holds one reference to a COM object.
template <class T>
class TComPtr {
public:
    TComPtr() = default;
    TComPtr(T* p) : p_(p) { if (p_) p_->AddRef(); }
    TComPtr(const TComPtr& o) : TComPtr(o.p_) {}
    TComPtr(TComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ~TComPtr() { reset(); }
    TComPtr& operator=(TComPtr o) noexcept { std::swap(p_, o.p_); return *this; }

    void reset() { if (T* p = std::exchange(p_, nullptr)) p->Release(); }
    // For out parameters: drops what was held and takes the reference the callee returns.
    T** put() { reset(); return &p_; }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }

private:
    T* p_ = nullptr;
};

class IXMLStorageNode : public virtual IHierStorage {
public:
    VPW_INTERFACE_ID("{337102C9-8EBC-45A5-B0D6-03F3F079EEC9}");
    virtual void SetNode(IXMLDOMElement* node, IXMLDOMDocument* document) = 0;
    virtual void ClearNode() = 0;
};

// The document facet of a storage object, reached through QueryInterface.
class IXMLStorageDocument : public virtual IInterface {
public:
    VPW_INTERFACE_ID("{58AE2BD1-A450-469A-81A0-FE116FB2EFDF}");
    virtual bool New(const std::string& rootName) = 0;
    virtual bool LoadFromFile(const std::string& fileName) = 0;
    virtual bool LoadFromXML(const std::string& text) = 0;
    virtual bool LoadObject(IPersistObject* obj) = 0;
    virtual bool SaveToFile(const std::string& fileName) = 0;
    virtual bool GetXML(std::string& text) = 0;
    virtual bool SaveObject(IPersistObject* obj) = 0;
};

class TXMLStorage : public TDebugInterfacedObject, public IXMLStorageNode, public IXMLStorageDocument {
public:
    TXMLStorage();
    ~TXMLStorage() override;

    bool QueryInterface(const TGUID& iid, void** out) override;

    // IHierStorage
    std::string ReadAttribute(const std::string& name, const std::string& defaultValue) override;
    void WriteAttribute(const std::string& name, const std::string& value) override;
    IPtr<IHierStorage> CreateChild(const std::string& name) override;
    int ChildCount(const std::string& name) override;
    IPtr<IHierStorage> GetChild(const std::string& name, int index) override;
    std::string ReadValue() override;
    void WriteValue(const std::string& value) override;
    std::string ReadChildValue(const std::string& name) override;
    void WriteChildValue(const std::string& name, const std::string& value) override;

    // IXMLStorageNode
    void SetNode(IXMLDOMElement* node, IXMLDOMDocument* document) override;
    void ClearNode() override;

    // IXMLStorageDocument
    bool New(const std::string& rootName) override;
    bool LoadFromFile(const std::string& fileName) override;
    bool LoadFromXML(const std::string& text) override;
    bool LoadObject(IPersistObject* obj) override;
    bool SaveToFile(const std::string& fileName) override;
    bool GetXML(std::string& text) override;
    bool SaveObject(IPersistObject* obj) override;

    // A copy of the bound element and everything in it; nothing when no
    // element is bound.
    std::shared_ptr<TStorageTree> CopyTree();

private:
    IXMLDOMElement* RequireNode(const char* operation) const;
    template <class TParse>
    bool LoadDocument(TParse parse);
    IPtr<IHierStorage> StorageFor(IXMLDOMElement* element);

    TComPtr<IXMLDOMDocument> document_;
    TComPtr<IXMLDOMElement> node_;
};

// A storage bound to the document element of the file, or nothing when the
// file does not load.
IPtr<IHierStorage> OpenStorageFile(const std::string& fileName);

}  // namespace vpw
