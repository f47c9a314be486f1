#include "XMLStorage.h"

#include <msxml2.h>

#include <cstdio>

#include "WinFuncs.h"

namespace vpw {

namespace {

// The version-independent MSXML DOMDocument class.
const CLSID kDOMDocumentClsid = {0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};

std::string WideToAnsi(const wchar_t* text, int length) {
    if (!text || length <= 0) return {};
    // Nearly every text of a document is ASCII, which every ANSI code page
    // keeps as it is.
    std::string ascii(static_cast<std::size_t>(length), '\0');
    int i = 0;
    while (i < length && text[i] < 0x80) {
        ascii[static_cast<std::size_t>(i)] = static_cast<char>(text[i]);
        ++i;
    }
    if (i == length) return ascii;
    int n = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, length, s.data(), n, nullptr, nullptr);
    return s;
}

class TBStr {
public:
    TBStr() = default;
    explicit TBStr(const std::string& text) {
        std::wstring w = AnsiToWide(text);
        s_ = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
    }
    TBStr(const TBStr&) = delete;
    TBStr& operator=(const TBStr&) = delete;
    ~TBStr() { SysFreeString(s_); }
    BSTR get() const { return s_; }
    BSTR* put() { SysFreeString(s_); s_ = nullptr; return &s_; }
    std::string Ansi() const { return WideToAnsi(s_, static_cast<int>(SysStringLen(s_))); }

private:
    BSTR s_ = nullptr;
};

class TVariant {
public:
    TVariant() { VariantInit(&v_); }
    explicit TVariant(const std::string& text) : TVariant() {
        std::wstring w = AnsiToWide(text);
        V_VT(&v_) = VT_BSTR;
        V_BSTR(&v_) = SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
    }
    TVariant(const TVariant&) = delete;
    TVariant& operator=(const TVariant&) = delete;
    ~TVariant() { VariantClear(&v_); }
    const VARIANT& get() const { return v_; }
    VARIANT* put() { VariantClear(&v_); return &v_; }
    std::string Ansi() const {
        if (V_VT(&v_) == VT_BSTR) return WideToAnsi(V_BSTR(&v_), static_cast<int>(SysStringLen(V_BSTR(&v_))));
        VARIANT copy;
        VariantInit(&copy);
        std::string s;
        if (SUCCEEDED(VariantChangeType(&copy, const_cast<VARIANT*>(&v_), 0, VT_BSTR)))
            s = WideToAnsi(V_BSTR(&copy), static_cast<int>(SysStringLen(V_BSTR(&copy))));
        VariantClear(&copy);
        return s;
    }

private:
    VARIANT v_;
};

void Check(HRESULT hr, const char* operation) {
    if (SUCCEEDED(hr)) return;
    char code[16];
    std::snprintf(code, sizeof code, "%08lX", static_cast<unsigned long>(hr));
    throw EXMLStorageError(std::string("TXMLStorage.") + operation + ": XML DOM error 0x" + code);
}

TComPtr<IXMLDOMDocument> CreateDocument() {
    TComPtr<IXMLDOMDocument> doc;
    Check(CoCreateInstance(kDOMDocumentClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                           reinterpret_cast<void**>(doc.put())),
          "CreateDocument");
    Check(doc->put_async(VARIANT_FALSE), "CreateDocument");
    // Without this the DOM trims element texts and drops blank-only ones, so
    // a caption such as "Untitled - Notepad " would not survive a reload.
    Check(doc->put_preserveWhiteSpace(VARIANT_TRUE), "CreateDocument");
    return doc;
}

TComPtr<IXMLDOMElement> DocumentElement(IXMLDOMDocument* doc) {
    TComPtr<IXMLDOMElement> root;
    Check(doc->get_documentElement(root.put()), "DocumentElement");
    return root;
}

}  // namespace

TXMLStorage::TXMLStorage() = default;
TXMLStorage::~TXMLStorage() = default;

bool TXMLStorage::QueryInterface(const TGUID& iid, void** out) {
    *out = nullptr;
    if (AnswerInterfaces<IHierStorage, IXMLStorageNode, IXMLStorageDocument>(this, iid, out)) return true;
    return TDebugInterfacedObject::QueryInterface(iid, out);
}

IXMLDOMElement* TXMLStorage::RequireNode(const char* operation) const {
    if (!node_) throw EXMLStorageError(std::string("TXMLStorage.") + operation + ": no element is bound");
    return node_.get();
}

IPtr<IHierStorage> TXMLStorage::StorageFor(IXMLDOMElement* element) {
    auto* storage = new TXMLStorage();
    IPtr<IHierStorage> result(storage);
    storage->SetNode(element, document_.get());
    return result;
}

// --- node operations

std::string TXMLStorage::ReadAttribute(const std::string& name, const std::string& defaultValue) {
    if (!node_) return defaultValue;
    TComPtr<IXMLDOMNode> attr;
    TBStr query("@" + name);
    Check(node_->selectSingleNode(query.get(), attr.put()), "ReadAttribute");
    if (!attr) return defaultValue;
    TVariant value;
    Check(attr->get_nodeValue(value.put()), "ReadAttribute");
    return value.Ansi();
}

void TXMLStorage::WriteAttribute(const std::string& name, const std::string& value) {
    IXMLDOMElement* node = RequireNode("WriteAttribute");
    TBStr attrName(name);
    TVariant attrValue(value);
    Check(node->setAttribute(attrName.get(), attrValue.get()), "WriteAttribute");
}

IPtr<IHierStorage> TXMLStorage::CreateChild(const std::string& name) {
    IXMLDOMElement* node = RequireNode("CreateChild");
    if (!document_) throw EXMLStorageError("TXMLStorage.CreateChild: no document");
    TComPtr<IXMLDOMElement> child;
    TBStr tag(name);
    Check(document_->createElement(tag.get(), child.put()), "CreateChild");
    TComPtr<IXMLDOMNode> appended;
    Check(node->appendChild(child.get(), appended.put()), "CreateChild");
    return StorageFor(child.get());
}

int TXMLStorage::ChildCount(const std::string& name) {
    if (!node_) return 0;
    TComPtr<IXMLDOMNodeList> list;
    TBStr query("./" + name);
    Check(node_->selectNodes(query.get(), list.put()), "ChildCount");
    long n = 0;
    if (list) Check(list->get_length(&n), "ChildCount");
    return static_cast<int>(n);
}

IPtr<IHierStorage> TXMLStorage::GetChild(const std::string& name, int index) {
    IXMLDOMElement* node = RequireNode("GetChild");
    TComPtr<IXMLDOMNodeList> list;
    TBStr query("./" + name);
    Check(node->selectNodes(query.get(), list.put()), "GetChild");
    long n = 0;
    if (list) Check(list->get_length(&n), "GetChild");
    if (index < 0 || index >= n) return {};
    TComPtr<IXMLDOMNode> item;
    Check(list->get_item(index, item.put()), "GetChild");
    TComPtr<IXMLDOMElement> element;
    if (!item || FAILED(item->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(element.put()))))
        return {};
    return StorageFor(element.get());
}

std::string TXMLStorage::ReadValue() {
    IXMLDOMElement* node = RequireNode("ReadValue");
    TBStr text;
    Check(node->get_text(text.put()), "ReadValue");
    return text.Ansi();
}

void TXMLStorage::WriteValue(const std::string& value) {
    IXMLDOMElement* node = RequireNode("WriteValue");
    TBStr text(value);
    Check(node->put_text(text.get()), "WriteValue");
}

std::string TXMLStorage::ReadChildValue(const std::string& name) {
    IXMLDOMElement* node = RequireNode("ReadChildValue");
    TComPtr<IXMLDOMNode> child;
    TBStr query("./" + name);
    Check(node->selectSingleNode(query.get(), child.put()), "ReadChildValue");
    if (!child) return {};
    TBStr text;
    Check(child->get_text(text.put()), "ReadChildValue");
    return text.Ansi();
}

void TXMLStorage::WriteChildValue(const std::string& name, const std::string& value) {
    CreateChild(name)->WriteValue(value);
}

void TXMLStorage::SetNode(IXMLDOMElement* node, IXMLDOMDocument* document) {
    node_ = TComPtr<IXMLDOMElement>(node);
    document_ = TComPtr<IXMLDOMDocument>(document);
}

void TXMLStorage::ClearNode() {
    node_.reset();
    document_.reset();
}

// --- document operations

bool TXMLStorage::New(const std::string& rootName) {
    ClearNode();
    try {
        TComPtr<IXMLDOMDocument> doc = CreateDocument();
        TComPtr<IXMLDOMElement> root;
        TBStr tag(rootName);
        Check(doc->createElement(tag.get(), root.put()), "New");
        Check(doc->putref_documentElement(root.get()), "New");
        SetNode(root.get(), doc.get());
        return true;
    } catch (...) {
        return false;
    }
}

// Parses into a new document and binds to its root; on any failure the
// previous binding stays.
template <class TParse>
bool TXMLStorage::LoadDocument(TParse parse) {
    try {
        TComPtr<IXMLDOMDocument> doc = CreateDocument();
        VARIANT_BOOL loaded = VARIANT_FALSE;
        parse(doc.get(), &loaded);
        if (loaded != VARIANT_TRUE) return false;
        TComPtr<IXMLDOMElement> root = DocumentElement(doc.get());
        if (!root) return false;
        SetNode(root.get(), doc.get());
        return true;
    } catch (...) {
        return false;
    }
}

bool TXMLStorage::LoadFromFile(const std::string& fileName) {
    return LoadDocument([&](IXMLDOMDocument* doc, VARIANT_BOOL* loaded) {
        TVariant source(fileName);
        Check(doc->load(source.get(), loaded), "LoadFromFile");
    });
}

bool TXMLStorage::LoadFromXML(const std::string& text) {
    return LoadDocument([&](IXMLDOMDocument* doc, VARIANT_BOOL* loaded) {
        TBStr source(text);
        Check(doc->loadXML(source.get(), loaded), "LoadFromXML");
    });
}

// Loads from a copy of the element: reading the DOM by queries costs a
// query per child asked for, which grows with the square of a collection.
bool TXMLStorage::LoadObject(IPersistObject* obj) {
    if (!obj) return true;
    IPtr<IHierStorage> copy = OpenStorageTree(CopyTree());
    obj->Load(copy ? copy.get() : static_cast<IHierStorage*>(this));
    return true;
}

namespace {

std::string NodeName(IXMLDOMNode* node) {
    TBStr name;
    Check(node->get_nodeName(name.put()), "CopyTree");
    return name.Ansi();
}

void CopyAttributes(IXMLDOMNode* node, TStorageElement* element, TStorageTree& tree) {
    TComPtr<IXMLDOMNamedNodeMap> attributes;
    Check(node->get_attributes(attributes.put()), "CopyTree");
    if (!attributes) return;
    long count = 0;
    Check(attributes->get_length(&count), "CopyTree");
    for (long i = 0; i < count; ++i) {
        TComPtr<IXMLDOMNode> attribute;
        Check(attributes->get_item(i, attribute.put()), "CopyTree");
        if (!attribute) continue;
        TVariant value;
        Check(attribute->get_nodeValue(value.put()), "CopyTree");
        tree.AddAttribute(element, NodeName(attribute.get()), value.Ansi());
    }
}

void CopyElement(IXMLDOMNode* node, TStorageElement* element, TStorageTree& tree) {
    CopyAttributes(node, element, tree);
    bool hasText = false, hasElements = false;
    TComPtr<IXMLDOMNode> child;
    Check(node->get_firstChild(child.put()), "CopyTree");
    while (child) {
        DOMNodeType type = NODE_INVALID;
        Check(child->get_nodeType(&type), "CopyTree");
        if (type == NODE_ELEMENT) {
            hasElements = true;
            CopyElement(child.get(), tree.NewElement(element, NodeName(child.get())), tree);
        } else if (type == NODE_TEXT || type == NODE_CDATA_SECTION || type == NODE_ENTITY_REFERENCE) {
            hasText = true;
        }
        TComPtr<IXMLDOMNode> next;
        Check(child->get_nextSibling(next.put()), "CopyTree");
        child = next;
    }
    // The text exactly as ReadValue gives it; only leaves carry values.
    if (hasText && !hasElements) {
        TBStr text;
        Check(node->get_text(text.put()), "CopyTree");
        element->SetText(text.Ansi());
    }
}

}  // namespace

std::shared_ptr<TStorageTree> TXMLStorage::CopyTree() {
    if (!node_) return nullptr;
    auto tree = std::make_shared<TStorageTree>();
    CopyElement(node_.get(), tree->NewElement(nullptr, NodeName(node_.get())), *tree);
    return tree;
}

bool TXMLStorage::SaveToFile(const std::string& fileName) {
    if (!document_) return false;
    TVariant destination(fileName);
    Check(document_->save(destination.get()), "SaveToFile");
    return true;
}

bool TXMLStorage::GetXML(std::string& text) {
    text.clear();
    if (!document_) return false;
    TBStr xml;
    Check(document_->get_xml(xml.put()), "GetXML");
    text = xml.Ansi();
    return true;
}

bool TXMLStorage::SaveObject(IPersistObject* obj) {
    if (obj) obj->Save(this);
    return true;
}

IPtr<IHierStorage> OpenStorageFile(const std::string& fileName) {
    auto* storage = new TXMLStorage();
    IPtr<IHierStorage> result(storage);
    if (!storage->LoadFromFile(fileName)) return {};
    return result;
}

}  // namespace vpw
