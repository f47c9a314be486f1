#include "XMLStorage.h"

#include <msxml2.h>

#include <cstdio>

#include "StoredText.h"
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

// The value of the element's attribute as the file holds it; false when it
// has none. Read as an attribute node, as the copy reads them: getAttribute
// would also answer a default that a document type declaration supplies,
// which the element's attribute nodes do not hold.
bool StoredAttribute(IXMLDOMNode* element, const std::string& name, std::string& value, const char* operation) {
    TComPtr<IXMLDOMNode> attribute;
    TBStr query("@" + name);
    Check(element->selectSingleNode(query.get(), attribute.put()), operation);
    if (!attribute) return false;
    TVariant stored;
    Check(attribute->get_nodeValue(stored.put()), operation);
    value = stored.Ansi();
    return true;
}

// --- the escaped form (StoredText.h)

// The list of the element's "escaped" attribute; empty when it has none.
std::string EscapedParts(IXMLDOMNode* element, const char* operation) {
    std::string list;
    StoredAttribute(element, kEscapedAttribute, list, operation);
    return list;
}

// Names `part` in the element's "escaped" attribute, or takes it out; the
// attribute goes when nothing is left in it.
void MarkEscaped(IXMLDOMElement* element, const std::string& part, bool escaped, const char* operation) {
    std::string list = EscapedParts(element, operation);
    std::string updated = WithEscapedPart(list, part, escaped);
    if (updated == list) return;
    TBStr name(kEscapedAttribute);
    if (updated.empty()) {
        Check(element->removeAttribute(name.get()), operation);
    } else {
        TVariant value(updated);
        Check(element->setAttribute(name.get(), value.get()), operation);
    }
}

// A stored text of the element, decoded when the element lists `part` as
// escaped. Only a text with a "%" can differ from its decoded form.
std::string Decoded(std::string stored, IXMLDOMNode* element, const char* part, const char* operation) {
    if (stored.find('%') == std::string::npos) return stored;
    return ListsEscapedPart(EscapedParts(element, operation), part) ? UnescapeStoredText(stored) : stored;
}

// The element's text as the DOM gives it, decoded when it is escaped.
std::string ElementText(IXMLDOMNode* node, const char* operation) {
    TBStr text;
    Check(node->get_text(text.put()), operation);
    return Decoded(text.Ansi(), node, kEscapedTextPart, operation);
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
    // The store's own marker is not a value.
    if (!node_ || name == kEscapedAttribute) return defaultValue;
    std::string value;
    if (!StoredAttribute(node_.get(), name, value, "ReadAttribute")) return defaultValue;
    return Decoded(std::move(value), node_.get(), name.c_str(), "ReadAttribute");
}

void TXMLStorage::WriteAttribute(const std::string& name, const std::string& value) {
    IXMLDOMElement* node = RequireNode("WriteAttribute");
    if (name == kEscapedAttribute)
        throw EXMLStorageError(std::string("TXMLStorage.WriteAttribute: \"") + kEscapedAttribute +
                               "\" is the store's own attribute");
    bool escaped = NeedsEscapedForm(value);
    TBStr attrName(name);
    TVariant attrValue(escaped ? EscapeStoredText(value) : value);
    Check(node->setAttribute(attrName.get(), attrValue.get()), "WriteAttribute");
    MarkEscaped(node, name, escaped, "WriteAttribute");
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

std::string TXMLStorage::ReadValue() { return ElementText(RequireNode("ReadValue"), "ReadValue"); }

void TXMLStorage::WriteValue(const std::string& value) {
    IXMLDOMElement* node = RequireNode("WriteValue");
    bool escaped = NeedsEscapedForm(value);
    TBStr text(escaped ? EscapeStoredText(value) : value);
    Check(node->put_text(text.get()), "WriteValue");
    MarkEscaped(node, kEscapedTextPart, escaped, "WriteValue");
}

std::string TXMLStorage::ReadChildValue(const std::string& name) {
    IXMLDOMElement* node = RequireNode("ReadChildValue");
    TComPtr<IXMLDOMNode> child;
    TBStr query("./" + name);
    Check(node->selectSingleNode(query.get(), child.put()), "ReadChildValue");
    if (!child) return {};
    return ElementText(child.get(), "ReadChildValue");
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

namespace {

// The whole file as an array of bytes in `bytes`; false when it cannot be read.
bool ReadFileBytes(const std::string& fileName, TVariant& bytes) {
    TFileHandle file(CreateFileA(fileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                 nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.Get(), &size) || size.QuadPart > MAXLONG) return false;
    SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(size.QuadPart));
    if (!array) return false;
    VARIANT* v = bytes.put();
    V_VT(v) = VT_ARRAY | VT_UI1;
    V_ARRAY(v) = array;  // the variant frees it
    void* data = nullptr;
    if (FAILED(SafeArrayAccessData(array, &data))) return false;
    auto* at = static_cast<char*>(data);
    DWORD left = static_cast<DWORD>(size.QuadPart), read = 0;
    while (left > 0 && ReadFile(file.Get(), at, left, &read, nullptr) && read > 0) {
        at += read;
        left -= read;
    }
    SafeArrayUnaccessData(array);
    return left == 0;
}

}  // namespace

// The DOM is given the file's bytes, not its name: Wine's MSXML copies what
// it reads from a file name or a stream into a memory block 4 KB at a time,
// enlarging the block for every piece, which grows with the square of the
// file's size (1000 rules, 11 MB: 5.3 s to parse by name, 1.3 s from the bytes).
bool TXMLStorage::LoadFromFile(const std::string& fileName) {
    return LoadDocument([&](IXMLDOMDocument* doc, VARIANT_BOOL* loaded) {
        TVariant source;
        if (ReadFileBytes(fileName, source)) Check(doc->load(source.get(), loaded), "LoadFromFile");
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
    bool marked = false;
    std::string escapedParts;
    for (long i = 0; i < count; ++i) {
        TComPtr<IXMLDOMNode> attribute;
        Check(attributes->get_item(i, attribute.put()), "CopyTree");
        if (!attribute) continue;
        TVariant value;
        Check(attribute->get_nodeValue(value.put()), "CopyTree");
        std::string name = NodeName(attribute.get());
        if (name == kEscapedAttribute) {
            marked = true;
            escapedParts = value.Ansi();
        } else {
            tree.AddAttribute(element, std::move(name), value.Ansi());
        }
    }
    if (marked) tree.SetEscapedParts(element, escapedParts);
}

bool IsText(DOMNodeType type) {
    return type == NODE_TEXT || type == NODE_CDATA_SECTION || type == NODE_ENTITY_REFERENCE;
}

void AddNodeText(IXMLDOMNode* node, TStorageElement* element, TStorageTree& tree) {
    TBStr text;
    Check(node->get_text(text.put()), "CopyTree");
    tree.AddText(element, text.Ansi());
}

TComPtr<IXMLDOMNode> FirstChild(IXMLDOMNode* node) {
    TComPtr<IXMLDOMNode> child;
    Check(node->get_firstChild(child.put()), "CopyTree");
    return child;
}

TComPtr<IXMLDOMNode> NextSibling(IXMLDOMNode* node) {
    TComPtr<IXMLDOMNode> next;
    Check(node->get_nextSibling(next.put()), "CopyTree");
    return next;
}

// The content in document order: child elements, and the texts of text and
// CDATA nodes, each as the DOM gives it; comments and processing
// instructions have no text. An element without child elements (nearly
// every one with a text) reads its whole text at once, so the texts before
// the first child element are read only when one comes. An entity
// reference does not give its text on its own (Wine's MSXML answers none),
// so an element with one beside child elements reads its whole text too.
void CopyElement(IXMLDOMNode* node, TStorageElement* element, TStorageTree& tree) {
    CopyAttributes(node, element, tree);
    bool hasElements = false, hasEntityReference = false;
    TComPtr<IXMLDOMNode> firstText;  // before any child element
    int span = 0;                     // the nodes from firstText on, up to the current one
    for (TComPtr<IXMLDOMNode> child = FirstChild(node); child; child = NextSibling(child.get())) {
        DOMNodeType type = NODE_INVALID;
        Check(child->get_nodeType(&type), "CopyTree");
        hasEntityReference = hasEntityReference || type == NODE_ENTITY_REFERENCE;
        if (type == NODE_ELEMENT) {
            if (!hasElements && firstText) {
                TComPtr<IXMLDOMNode> before = firstText;
                for (int i = 0; i < span && before; ++i, before = NextSibling(before.get())) {
                    DOMNodeType beforeType = NODE_INVALID;
                    Check(before->get_nodeType(&beforeType), "CopyTree");
                    if (IsText(beforeType)) AddNodeText(before.get(), element, tree);
                }
                firstText.reset();
            }
            hasElements = true;
            CopyElement(child.get(), tree.NewElement(element, NodeName(child.get())), tree);
        } else if (hasElements) {
            if (IsText(type)) AddNodeText(child.get(), element, tree);
        } else {
            if (!firstText && IsText(type)) firstText = child;
            if (firstText) ++span;
        }
    }
    if (!hasElements && firstText) {
        AddNodeText(node, element, tree);
    } else if (hasElements && hasEntityReference) {
        TBStr text;
        Check(node->get_text(text.put()), "CopyTree");
        tree.SetWholeText(element, text.Ansi());
    }
}

// Whether the DOM's text puts a blank between the texts of two child
// elements that follow each other. DOMs differ here (Wine 8's MSXML joins
// them as they are, later Wine's puts a blank between), so the one in use
// is asked, once.
bool DomPutsBlankBetweenElements() {
    static const bool blank = [] {
        try {
            TComPtr<IXMLDOMDocument> doc = CreateDocument();
            TBStr xml("<a><b>1</b><c>2</c></a>");
            VARIANT_BOOL loaded = VARIANT_FALSE;
            Check(doc->loadXML(xml.get(), &loaded), "CopyTree");
            TComPtr<IXMLDOMElement> root = loaded == VARIANT_TRUE ? DocumentElement(doc.get()) : nullptr;
            if (!root) return false;
            TBStr text;
            Check(root->get_text(text.put()), "CopyTree");
            return text.Ansi() == "1 2";
        } catch (...) {
            return false;
        }
    }();
    return blank;
}

}  // namespace

std::shared_ptr<TStorageTree> TXMLStorage::CopyTree() {
    if (!node_) return nullptr;
    auto tree = std::make_shared<TStorageTree>(DomPutsBlankBetweenElements());
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
