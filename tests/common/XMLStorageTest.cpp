#include <gtest/gtest.h>
#include <msxml2.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <sstream>
#include <vector>

#include "ResourceRoutines.h"
#include "StoredText.h"
#include "WinFuncs.h"
#include "XMLStorage.h"

using namespace vpw;

namespace {

class XMLStorageTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(com_.Ok());
        liveBefore_ = TDebugInterfacedObject::LiveObjects();
    }
    void TearDown() override {
        for (const auto& f : files_) DeleteFileA(f.c_str());
        EXPECT_EQ(TDebugInterfacedObject::LiveObjects(), liveBefore_) << "storage objects leaked";
    }
    std::string TempFile() {
        std::string name = CreateTempFileName("vxs");
        files_.push_back(name);
        return name;
    }
    static IPtr<TXMLStorage> NewDocument(const std::string& root) {
        IPtr<TXMLStorage> s(new TXMLStorage());
        EXPECT_TRUE(s->New(root));
        return s;
    }

    std::string WriteFile(const std::string& text) {
        std::string name = TempFile();
        std::ofstream out(name, std::ios::binary | std::ios::trunc);
        out << text;
        return name;
    }

    TComInit com_;
    int liveBefore_ = 0;
    std::vector<std::string> files_;
};

std::string ReadFileBytes(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// The bytes of a text in a readable form, for messages.
std::string Shown(const std::string& text) {
    std::string shown = "\"";
    for (char ch : text) {
        auto c = static_cast<unsigned char>(ch);
        char hex[8];
        std::snprintf(hex, sizeof hex, "\\x%02X", c);
        shown += c < 0x20 || c >= 0x7F ? std::string(hex) : std::string(1, ch);
    }
    return shown + "\"";
}

std::string WideToAnsiText(BSTR text) {
    int length = static_cast<int>(SysStringLen(text));
    if (length == 0) return {};
    int n = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string s(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_ACP, 0, text, length, s.data(), n, nullptr, nullptr);
    return s;
}

// MSXML itself, with the settings of the store (synchronous, blanks kept),
// driven without the store: what the DOM answers, and a document written
// by bare DOM calls as the store wrote every value before the escaped form.
class TRawDom {
public:
    TRawDom() {
        const CLSID clsid = {0x2933BF90, 0x7B36, 0x11D2, {0xB2, 0x0E, 0x00, 0xC0, 0x4F, 0x98, 0x3E, 0x60}};
        EXPECT_TRUE(SUCCEEDED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                                               reinterpret_cast<void**>(doc_.put()))));
        doc_->put_async(VARIANT_FALSE);
        doc_->put_preserveWhiteSpace(VARIANT_TRUE);
    }
    bool LoadFile(const std::string& name) {
        VARIANT source;
        VariantInit(&source);
        V_VT(&source) = VT_BSTR;
        V_BSTR(&source) = Bstr(name);
        VARIANT_BOOL ok = VARIANT_FALSE;
        doc_->load(source, &ok);
        VariantClear(&source);
        return ok == VARIANT_TRUE;
    }
    TComPtr<IXMLDOMElement> Root() {
        TComPtr<IXMLDOMElement> root;
        doc_->get_documentElement(root.put());
        return root;
    }
    // A new element `tag` at the end of `parent` (the document element when
    // there is none yet).
    TComPtr<IXMLDOMElement> Append(IXMLDOMElement* parent, const std::string& tag) {
        TComPtr<IXMLDOMElement> element;
        BSTR name = Bstr(tag);
        doc_->createElement(name, element.put());
        SysFreeString(name);
        if (parent) {
            TComPtr<IXMLDOMNode> appended;
            parent->appendChild(element.get(), appended.put());
        } else {
            doc_->putref_documentElement(element.get());
        }
        return element;
    }
    static void SetAttribute(IXMLDOMElement* element, const std::string& name, const std::string& value) {
        BSTR n = Bstr(name);
        VARIANT v;
        VariantInit(&v);
        V_VT(&v) = VT_BSTR;
        V_BSTR(&v) = Bstr(value);
        element->setAttribute(n, v);
        VariantClear(&v);
        SysFreeString(n);
    }
    static void SetText(IXMLDOMElement* element, const std::string& text) {
        BSTR t = Bstr(text);
        element->put_text(t);
        SysFreeString(t);
    }
    // The attribute's value; "<none>" when the element has none.
    static std::string Attribute(IXMLDOMElement* element, const std::string& name) {
        BSTR n = Bstr(name);
        VARIANT v;
        VariantInit(&v);
        element->getAttribute(n, &v);
        SysFreeString(n);
        std::string value = V_VT(&v) == VT_BSTR ? WideToAnsiText(V_BSTR(&v)) : "<none>";
        VariantClear(&v);
        return value;
    }
    static std::string Text(IXMLDOMNode* node) {
        BSTR text = nullptr;
        node->get_text(&text);
        std::string s = WideToAnsiText(text);
        SysFreeString(text);
        return s;
    }
    void Save(const std::string& name) {
        VARIANT destination;
        VariantInit(&destination);
        V_VT(&destination) = VT_BSTR;
        V_BSTR(&destination) = Bstr(name);
        EXPECT_TRUE(SUCCEEDED(doc_->save(destination)));
        VariantClear(&destination);
    }

private:
    static BSTR Bstr(const std::string& text) {
        std::wstring w = AnsiToWide(text);
        return SysAllocStringLen(w.data(), static_cast<UINT>(w.size()));
    }
    TComPtr<IXMLDOMDocument> doc_;
};

// The child elements of a DOM node, in document order.
std::vector<TComPtr<IXMLDOMElement>> ChildElements(IXMLDOMNode* node) {
    std::vector<TComPtr<IXMLDOMElement>> elements;
    TComPtr<IXMLDOMNode> child;
    node->get_firstChild(child.put());
    while (child) {
        TComPtr<IXMLDOMElement> element;
        if (SUCCEEDED(child->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(element.put()))))
            elements.push_back(element);
        TComPtr<IXMLDOMNode> next;
        child->get_nextSibling(next.put());
        child = next;
    }
    return elements;
}

// Every element below and with `node`, in document order: its tag and its text.
void CollectTexts(IXMLDOMElement* node, std::vector<std::string>& out) {
    BSTR name = nullptr;
    node->get_nodeName(&name);
    out.push_back(WideToAnsiText(name) + "=" + TRawDom::Text(node));
    SysFreeString(name);
    for (auto& child : ChildElements(node)) CollectTexts(child.get(), out);
}

void CollectTexts(const TStorageTree& tree, const TStorageElement& element, std::vector<std::string>& out) {
    out.push_back(element.Tag() + "=" + tree.Text(element));
    for (const TStorageElement* child = element.FirstChild(); child; child = child->NextSibling())
        CollectTexts(tree, *child, out);
}

// Saves one attribute and one child text, and reads them back.
class TPersistFake : public TDebugInterfacedObject, public IPersistObject {
public:
    bool QueryInterface(const TGUID& iid, void** out) override {
        *out = nullptr;
        if (AnswerInterfaces<IPersistObject>(this, iid, out)) return true;
        return TDebugInterfacedObject::QueryInterface(iid, out);
    }
    void Save(IHierStorage* s) override {
        s->WriteAttribute("name", name);
        s->WriteChildValue("value", value);
    }
    void Load(IHierStorage* s) override {
        name = s->ReadAttribute("name", "?");
        value = s->ReadChildValue("value");
    }
    std::string GetStorageTag() override { return "fake"; }
    std::string name, value;
};

// An object that only loads, as the object tree does.
class TLoadingFake : public TDebugInterfacedObject, public IPersistObject {
public:
    bool QueryInterface(const TGUID& iid, void** out) override {
        *out = nullptr;
        if (AnswerInterfaces<IPersistObject>(this, iid, out)) return true;
        return TDebugInterfacedObject::QueryInterface(iid, out);
    }
    void Save(IHierStorage*) override {}
};

// Reads the name and the text of every "item" element.
class TItemsReader : public TLoadingFake {
public:
    void Load(IHierStorage* s) override {
        for (int i = 0; i < s->ChildCount("item"); ++i) {
            IPtr<IHierStorage> item = s->GetChild("item", i);
            names.push_back(item->ReadAttribute("name", "<none>"));
            values.push_back(item->ReadValue());
        }
    }
    std::string GetStorageTag() override { return "root"; }
    std::vector<std::string> names, values;
};

}  // namespace

TEST_F(XMLStorageTest, NodeOperationsOnANewDocument) {
    IPtr<TXMLStorage> doc = NewDocument("velvic_windows");
    EXPECT_EQ(doc->ReadAttribute("type", "BOMPARAM"), "BOMPARAM");
    doc->WriteAttribute("type", "first");
    doc->WriteAttribute("type", "second");
    EXPECT_EQ(doc->ReadAttribute("type", "BOMPARAM"), "second");

    IPtr<IHierStorage> params = doc->CreateChild("params");
    params->WriteChildValue("param", "x");
    params->WriteChildValue("param", "y");
    EXPECT_EQ(params->ChildCount("param"), 2);
    EXPECT_EQ(params->ReadChildValue("param"), "x");
    EXPECT_EQ(params->ReadChildValue("missing"), "");
    EXPECT_EQ(doc->ChildCount("params"), 1);
    // Children share the parent's document and are full storage objects.
    EXPECT_TRUE(Supports<IXMLStorageDocument>(params));
    EXPECT_TRUE(Supports<IXMLStorageNode>(params));

    std::string xml;
    ASSERT_TRUE(doc->GetXML(xml));
    EXPECT_EQ(xml.find("<?xml"), std::string::npos) << xml;
    for (const char* part : {"<velvic_windows type=\"second\">", "<param>x</param>", "<param>y</param>"})
        EXPECT_NE(xml.find(part), std::string::npos) << xml;

    // The element's text covers its descendants; writing it replaces them.
    EXPECT_EQ(params->ReadValue(), "xy");
    params->WriteValue("plain");
    EXPECT_EQ(params->ChildCount("param"), 0);
    EXPECT_EQ(params->ReadValue(), "plain");
}

TEST_F(XMLStorageTest, ChildSelectionByNameAndPosition) {
    IPtr<TXMLStorage> doc = NewDocument("root");
    for (const char* v : {"0", "1", "2"}) doc->WriteChildValue("item", v);
    doc->WriteChildValue("other", "o");
    // A grandchild of the same name is not a child.
    doc->CreateChild("group")->WriteChildValue("item", "deep");

    EXPECT_EQ(doc->ChildCount("item"), 3);
    EXPECT_EQ(doc->ChildCount("none"), 0);
    struct Case {
        int index;
        const char* value;  // nullptr: no child
    } cases[] = {{-1, nullptr}, {0, "0"}, {2, "2"}, {3, nullptr}, {100, nullptr}};
    for (const auto& c : cases) {
        IPtr<IHierStorage> child = doc->GetChild("item", c.index);
        if (!c.value) {
            EXPECT_FALSE(child) << c.index;
        } else {
            ASSERT_TRUE(child) << c.index;
            EXPECT_EQ(child->ReadValue(), c.value);
        }
    }
    EXPECT_FALSE(doc->GetChild("none", 0));
}

TEST_F(XMLStorageTest, UnboundStorage) {
    IPtr<TXMLStorage> s(new TXMLStorage());
    EXPECT_EQ(s->ReadAttribute("a", "dflt"), "dflt");
    EXPECT_EQ(s->ChildCount("a"), 0);
    std::function<void()> needNode[] = {
        [&] { s->WriteAttribute("a", "b"); },  [&] { s->CreateChild("a"); },
        [&] { s->GetChild("a", 0); },          [&] { s->ReadValue(); },
        [&] { s->WriteValue("v"); },           [&] { s->ReadChildValue("a"); },
        [&] { s->WriteChildValue("a", "v"); },
    };
    for (auto& op : needNode) EXPECT_THROW(op(), EXMLStorageError);

    // Nothing to save is not a success.
    std::string xml = "stale";
    EXPECT_FALSE(s->GetXML(xml));
    EXPECT_EQ(xml, "");
    EXPECT_FALSE(s->SaveToFile(TempFile()));

    IPtr<TXMLStorage> cleared = NewDocument("r");
    cleared->ClearNode();
    EXPECT_EQ(cleared->ReadAttribute("x", "d"), "d");
    EXPECT_FALSE(cleared->GetXML(xml));
}

TEST_F(XMLStorageTest, FailedLoadsKeepThePreviousBinding) {
    std::string missing = TempFile();
    DeleteFileA(missing.c_str());
    IPtr<TXMLStorage> doc = NewDocument("kept");
    doc->WriteAttribute("a", "1");

    EXPECT_FALSE(doc->LoadFromFile(missing));
    EXPECT_FALSE(OpenStorageFile(missing));
    for (const char* bad : {"", "not xml", "<a><b></a>", "<a/><b/>"}) EXPECT_FALSE(doc->LoadFromXML(bad)) << bad;
    EXPECT_EQ(doc->ReadAttribute("a", ""), "1");

    ASSERT_TRUE(doc->LoadFromXML("<other b=\"2\"/>"));
    EXPECT_EQ(doc->ReadAttribute("a", "none"), "none");
    EXPECT_EQ(doc->ReadAttribute("b", ""), "2");
}

TEST_F(XMLStorageTest, SaveToAMissingDirectoryRaises) {
    IPtr<TXMLStorage> doc = NewDocument("root");
    EXPECT_THROW(doc->SaveToFile("C:\\no such dir\\vpw\\x.xml"), EXMLStorageError);
}

// Blanks at either end and characters beyond ASCII must survive a save and
// a load, in element texts and in attribute values.
TEST_F(XMLStorageTest, FileRoundTripKeepsTextsExactly) {
    const std::string values[] = {
        "Untitled - Notepad ", "  leading", " ", "", "caf\xE9 \xC4rger \xFC", "a & b < c > \"d\" 'e'",
        "Enable\\Disable",
    };
    const std::string texts[] = {"two\nlines\n", "\ttabbed\t"};

    IPtr<TXMLStorage> doc = NewDocument("root");
    for (const auto& v : values) {
        IPtr<IHierStorage> item = doc->CreateChild("item");
        item->WriteAttribute("caption", v);
        item->WriteValue(v);
    }
    for (const auto& t : texts) doc->WriteChildValue("text", t);
    std::string file = TempFile();
    ASSERT_TRUE(doc->SaveToFile(file));

    IPtr<IHierStorage> loaded = OpenStorageFile(file);
    ASSERT_TRUE(loaded);
    ASSERT_EQ(loaded->ChildCount("item"), static_cast<int>(std::size(values)));
    for (int i = 0; i < static_cast<int>(std::size(values)); ++i) {
        IPtr<IHierStorage> item = loaded->GetChild("item", i);
        EXPECT_EQ(item->ReadAttribute("caption", "?"), values[i]);
        EXPECT_EQ(item->ReadValue(), values[i]);
    }
    for (int i = 0; i < static_cast<int>(std::size(texts)); ++i)
        EXPECT_EQ(loaded->GetChild("text", i)->ReadValue(), texts[i]);

    // The same holds for a document read from a text in memory.
    std::string xml;
    ASSERT_TRUE(doc->GetXML(xml));
    IPtr<TXMLStorage> fromText(new TXMLStorage());
    ASSERT_TRUE(fromText->LoadFromXML(xml));
    EXPECT_EQ(fromText->GetChild("item", 0)->ReadAttribute("caption", "?"), values[0]);
    EXPECT_EQ(fromText->GetChild("item", 2)->ReadValue(), " ");
}

TEST_F(XMLStorageTest, SaveAndLoadAnObject) {
    IPtr<TPersistFake> original(new TPersistFake());
    original->name = "Window Rule 1";
    original->value = "v ";
    IPtr<TXMLStorage> doc = NewDocument(original->GetStorageTag());
    EXPECT_TRUE(doc->SaveObject(original.get()));
    EXPECT_TRUE(doc->SaveObject(nullptr));
    std::string file = TempFile();
    ASSERT_TRUE(doc->SaveToFile(file));

    IPtr<TXMLStorage> reader(new TXMLStorage());
    ASSERT_TRUE(reader->LoadFromFile(file));
    IPtr<TPersistFake> copy(new TPersistFake());
    EXPECT_TRUE(reader->LoadObject(copy.get()));
    EXPECT_TRUE(reader->LoadObject(nullptr));
    EXPECT_EQ(copy->name, "Window Rule 1");
    EXPECT_EQ(copy->value, "v ");
}

// Objects load from a copy of the document, so every read must give what the
// document itself gives.
TEST_F(XMLStorageTest, CopiesReadAsTheDocument) {
    std::string file = TempFile();
    {
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out << "<root a=\"1 &amp; 2\" b=\"\">\r\n"
               "<item n=\"0\">zero</item><other>o</other><item n=\"1\"> one </item>"
               "<item n=\"2\"><![CDATA[<two>]]>&lt;&#233;</item><item n=\"3\"> </item><item n=\"4\"/>"
               "<item n=\"5\">two\r\nlines</item><group><item>deep</item></group></root>";
    }
    IPtr<TXMLStorage> doc(new TXMLStorage());
    ASSERT_TRUE(doc->LoadFromFile(file));
    IPtr<IHierStorage> copy = OpenStorageTree(doc->CopyTree());
    ASSERT_TRUE(copy);

    auto reads = [](IHierStorage* s) {
        std::vector<std::string> r = {s->ReadAttribute("a", "?"), s->ReadAttribute("b", "?"),
                                      s->ReadAttribute("c", "?"), s->ReadChildValue("other"),
                                      s->ReadChildValue("none")};
        for (const char* tag : {"item", "other", "group", "none"}) r.push_back(std::to_string(s->ChildCount(tag)));
        for (int i = -1; i <= 6; ++i) {
            IPtr<IHierStorage> item = s->GetChild("item", i);
            r.push_back(item ? item->ReadAttribute("n", "?") + "=" + item->ReadValue() : "none");
        }
        r.push_back(s->GetChild("group", 0)->GetChild("item", 0)->ReadValue());
        // Backwards after the walk forwards.
        r.push_back(s->GetChild("item", 1)->ReadValue() + s->ReadChildValue("item"));
        return r;
    };
    std::vector<std::string> fromDocument = reads(doc.get());
    EXPECT_EQ(reads(copy.get()), fromDocument);
    EXPECT_EQ(fromDocument[0], "1 & 2");
    EXPECT_EQ(fromDocument[11], "1= one ");
    EXPECT_EQ(fromDocument[12], "2=<two><\xE9");

    std::function<void()> writes[] = {
        [&] { copy->WriteAttribute("a", "b"); }, [&] { copy->CreateChild("a"); },
        [&] { copy->WriteValue("v"); },          [&] { copy->WriteChildValue("a", "v"); },
    };
    for (auto& op : writes) EXPECT_THROW(op(), EStorageTreeError);
}

// --- the escaped form: characters that XML 1.0 cannot carry

namespace {

struct TValueRow {
    const char* what;
    std::string value;
    std::string stored;  // the element's text in the file; empty: the value itself, unmarked
};

std::vector<TValueRow> ValueRows() {
    std::vector<TValueRow> rows;
    // Each character that XML 1.0 cannot carry, alone and between letters.
    for (int c = 0; c < 0x20; ++c) {
        if (c == '\t' || c == '\n' || c == '\r') continue;
        char hex[4];
        std::snprintf(hex, sizeof hex, "%02X", c);
        std::string ch(1, static_cast<char>(c));
        rows.push_back({"a forbidden character", ch, std::string("%") + hex});
        rows.push_back({"a forbidden character in a text", "a" + ch + "b", std::string("a%") + hex + "b"});
    }
    TValueRow more[] = {
        {"the issue's first example", "a\x01" "b", "a%01b"},
        {"an escape sequence in a caption", "x\x1by", "x%1By"},
        {"two of them", "\x0b\x0c", "%0B%0C"},
        {"mixed with blanks and line ends", " \x01\t\n\r\x02 ", " %01%09%0A%0D%02 "},
        {"mixed with the escape character", "50%\x1f" "%", "50%25%1F%25"},
        {"mixed with what looks escaped", "%01\x01", "%2501%01"},
        {"mixed with non-ASCII ANSI text", "caf\xE9\x07 \xC4rger", "caf\xE9%07 \xC4rger"},
        {"mixed with markup characters", "<a & \"b\">\x1b'", "<a & \"b\">%1B'"},
        {"the escape character alone", "%", ""},
        {"the escape character in a text", "50% off, 100%", ""},
        {"what looks escaped, without the mark", "a%01b %1B %zz", ""},
        {"the mark's own words", "escaped #text name", ""},
        {"DEL", "del\x7F", ""},
        {"ordinary text", "Untitled - Notepad", ""},
        {"blanks at the ends", "  Untitled - Notepad ", ""},
        {"tab and line ends", "\ttwo\nlines\r\nend\r", ""},
        {"empty", "", ""},
        {"non-ASCII ANSI text", "caf\xE9 \xC4rger \xFC\xDF \x80\x81\x8D\x8F\x90\x9D\x9F\xA0\xFF", ""},
        {"markup characters", "a & b < c > \"d\" 'e' ]]>", ""},
    };
    rows.insert(rows.end(), std::begin(more), std::end(more));
    std::string all;
    for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
    rows.push_back({"every byte but NUL", all, EscapeStoredText(all)});
    return rows;
}

}  // namespace

// Every value, as an element's text and as an attribute, comes back exactly
// from a real file through MSXML: through the programs' load path (the copy)
// and through the document itself. A value that XML cannot carry is stored
// escaped and marked; every other one is stored as it is.
TEST_F(XMLStorageTest, EveryValueComesBackExactlyFromAFile) {
    std::vector<TValueRow> rows = ValueRows();
    IPtr<TXMLStorage> doc = NewDocument("root");
    for (const auto& row : rows) {
        IPtr<IHierStorage> item = doc->CreateChild("item");
        item->WriteAttribute("name", row.value);
        item->WriteValue(row.value);
        // The document answers the value at once.
        EXPECT_EQ(item->ReadValue(), row.value) << row.what << " " << Shown(row.value);
        EXPECT_EQ(item->ReadAttribute("name", "?"), row.value) << row.what << " " << Shown(row.value);
    }
    std::string file = TempFile();
    ASSERT_TRUE(doc->SaveToFile(file));

    // The programs' load path.
    IPtr<TXMLStorage> reader(new TXMLStorage());
    ASSERT_TRUE(reader->LoadFromFile(file)) << "the saved file does not load";
    IPtr<TItemsReader> loaded(new TItemsReader());
    ASSERT_TRUE(reader->LoadObject(loaded.get()));
    ASSERT_EQ(loaded->values.size(), rows.size());
    // The document's own reads.
    IPtr<IHierStorage> direct = OpenStorageFile(file);
    ASSERT_TRUE(direct);
    // What the file holds, read by MSXML alone.
    TRawDom raw;
    ASSERT_TRUE(raw.LoadFile(file));
    std::vector<TComPtr<IXMLDOMElement>> stored = ChildElements(raw.Root().get());
    ASSERT_EQ(stored.size(), rows.size());

    for (std::size_t i = 0; i < rows.size(); ++i) {
        const TValueRow& row = rows[i];
        SCOPED_TRACE(std::string(row.what) + " " + Shown(row.value));
        EXPECT_EQ(loaded->values[i], row.value);
        EXPECT_EQ(loaded->names[i], row.value);
        IPtr<IHierStorage> item = direct->GetChild("item", static_cast<int>(i));
        EXPECT_EQ(item->ReadValue(), row.value);
        EXPECT_EQ(item->ReadAttribute("name", "?"), row.value);
        EXPECT_EQ(item->ReadAttribute(kEscapedAttribute, "none"), "none");

        bool escaped = !row.stored.empty();
        EXPECT_EQ(TRawDom::Text(stored[i].get()), escaped ? row.stored : row.value);
        EXPECT_EQ(TRawDom::Attribute(stored[i].get(), "name"), escaped ? row.stored : row.value);
        EXPECT_EQ(TRawDom::Attribute(stored[i].get(), kEscapedAttribute), escaped ? "name #text" : "<none>");
    }
    EXPECT_EQ(direct->ReadChildValue("item"), rows[0].value);
}

// A value without such characters is written byte for byte as bare DOM
// calls write it, that is as before the escaped form existed.
TEST_F(XMLStorageTest, FilesWithoutSuchCharactersAreWrittenAsBefore) {
    IPtr<TXMLStorage> doc = NewDocument("root");
    TRawDom raw;
    TComPtr<IXMLDOMElement> rawRoot = raw.Append(nullptr, "root");
    int plain = 0;
    for (const auto& row : ValueRows()) {
        if (!row.stored.empty()) continue;
        ++plain;
        IPtr<IHierStorage> item = doc->CreateChild("item");
        item->WriteAttribute("name", row.value);
        item->WriteValue(row.value);
        doc->WriteChildValue("text", row.value);
        TComPtr<IXMLDOMElement> rawItem = raw.Append(rawRoot.get(), "item");
        TRawDom::SetAttribute(rawItem.get(), "name", row.value);
        TRawDom::SetText(rawItem.get(), row.value);
        TRawDom::SetText(raw.Append(rawRoot.get(), "text").get(), row.value);
    }
    EXPECT_GT(plain, 10);
    std::string file = TempFile(), rawFile = TempFile();
    ASSERT_TRUE(doc->SaveToFile(file));
    raw.Save(rawFile);
    std::string bytes = ReadFileBytes(file);
    EXPECT_FALSE(bytes.empty());
    EXPECT_EQ(bytes, ReadFileBytes(rawFile));
    EXPECT_EQ(bytes.find("escaped="), std::string::npos);
}

// A file of today with texts that look escaped but carry no mark reads as
// the DOM gives it; a mark applies only to what it lists.
TEST_F(XMLStorageTest, OnlyMarkedPartsAreDecoded) {
    std::string file = WriteFile(
        "<root name=\"%41\" escaped=\"\"><item name=\"a%01b\" other=\"50%25\">x%1By</item>"
        "<item name=\"a%01b\" other=\"50%25\" escaped=\"  name\t#text \">x%1By</item>"
        "<item name=\"a%01b\" escaped=\"other\">x%1By</item>"
        "<item escaped=\"#text\">100% %zz %4</item>"
        "<group escaped=\"#text\"><item name=\"n\" escaped=\"#text\">%01</item>%02</group></root>");
    IPtr<TXMLStorage> doc(new TXMLStorage());
    ASSERT_TRUE(doc->LoadFromFile(file));
    IPtr<IHierStorage> copy = OpenStorageTree(doc->CopyTree());
    ASSERT_TRUE(copy);
    auto reads = [](IHierStorage* s) {
        std::vector<std::string> r = {s->ReadAttribute("name", "?"), s->ReadAttribute(kEscapedAttribute, "none")};
        for (int i = 0; i < 4; ++i) {
            IPtr<IHierStorage> item = s->GetChild("item", i);
            r.push_back(item->ReadAttribute("name", "-") + "|" + item->ReadAttribute("other", "-") + "|" +
                        item->ReadValue() + "|" + item->ReadAttribute(kEscapedAttribute, "none"));
        }
        IPtr<IHierStorage> group = s->GetChild("group", 0);
        r.push_back(group->ReadValue());
        r.push_back(group->ReadChildValue("item"));
        r.push_back(s->ReadChildValue("item"));
        return r;
    };
    std::vector<std::string> fromDocument = reads(doc.get());
    EXPECT_EQ(reads(copy.get()), fromDocument);
    EXPECT_EQ(fromDocument, (std::vector<std::string>{
                                "%41", "none",
                                "a%01b|50%25|x%1By|none",
                                "a\x01" "b|50%25|x\x1by|none",
                                "a%01b|-|x%1By|none",
                                "-|-|100% %zz %4|none",
                                // The group's text holds its child's stored form, decoded once, as its own.
                                "\x01\x02",
                                "\x01",
                                "x%1By",
                            }));
}

// A document type declaration may supply "escaped" (and any other
// attribute) as a default. The document's reads and the copy's agree on
// such a file: a mark counts only where the element's own attributes hold it.
TEST_F(XMLStorageTest, DefaultsOfADocumentTypeAreReadAlikeByBothPaths) {
    std::string file = WriteFile(
        "<!DOCTYPE root [\n"
        "<!ATTLIST item escaped CDATA \"name #text\" type CDATA \"T%41\">\n"
        "<!ATTLIST group escaped CDATA #FIXED \"#text type\">\n"
        "]>\n"
        "<root><item name=\"a%01b\">x%1By</item><item name=\"a%01b\" escaped=\"name\">x%1By</item>"
        "<item name=\"a%01b\" escaped=\"\">x%1By</item><group type=\"%03\">%02</group></root>");
    IPtr<TXMLStorage> doc(new TXMLStorage());
    ASSERT_TRUE(doc->LoadFromFile(file));
    // The fixture shows the fault only where getAttribute answers the defaults.
    TRawDom raw;
    ASSERT_TRUE(raw.LoadFile(file));
    ASSERT_EQ(TRawDom::Attribute(ChildElements(raw.Root().get())[0].get(), kEscapedAttribute), "name #text");

    IPtr<IHierStorage> copy = OpenStorageTree(doc->CopyTree());
    ASSERT_TRUE(copy);
    auto reads = [](IHierStorage* s) {
        std::vector<std::string> r;
        for (int i = 0; i < 3; ++i) {
            IPtr<IHierStorage> item = s->GetChild("item", i);
            r.push_back(item->ReadAttribute("name", "-") + "|" + item->ReadAttribute("type", "-") + "|" +
                        item->ReadValue() + "|" + item->ReadAttribute(kEscapedAttribute, "none"));
        }
        IPtr<IHierStorage> group = s->GetChild("group", 0);
        r.push_back(group->ReadAttribute("type", "-") + "|" + group->ReadValue());
        r.push_back(s->ReadChildValue("item"));
        return r;
    };
    std::vector<std::string> fromDocument = reads(doc.get());
    EXPECT_EQ(fromDocument, reads(copy.get()));
    // An element's own mark applies as in any file.
    EXPECT_EQ(fromDocument[1], "a\x01" "b|-|x%1By|none");
    EXPECT_EQ(fromDocument[2], "a%01b|-|x%1By|none");
}

// The mark follows the value: written again without such characters, the
// value is stored as it is and the mark goes; the store's own attribute
// cannot be written.
TEST_F(XMLStorageTest, TheMarkFollowsRewrites) {
    IPtr<TXMLStorage> doc = NewDocument("root");
    IPtr<IHierStorage> item = doc->CreateChild("item");
    auto xml = [&] {
        std::string text;
        doc->GetXML(text);
        return text;
    };
    item->WriteValue("a\x01");
    item->WriteAttribute("name", "b\x02");
    item->WriteAttribute("type", "T");
    EXPECT_NE(xml().find("<item escaped=\"#text name\" name=\"b%02\" type=\"T\">a%01</item>"), std::string::npos)
        << xml();
    item->WriteValue("plain %");
    EXPECT_NE(xml().find("<item escaped=\"name\" name=\"b%02\" type=\"T\">plain %</item>"), std::string::npos)
        << xml();
    EXPECT_EQ(item->ReadValue(), "plain %");
    item->WriteAttribute("name", "c%");
    EXPECT_NE(xml().find("<item name=\"c%\" type=\"T\">plain %</item>"), std::string::npos) << xml();
    item->WriteAttribute("type", "\x03");
    item->WriteAttribute("type", "\x04");
    EXPECT_NE(xml().find("<item name=\"c%\" type=\"%04\" escaped=\"type\">plain %</item>"), std::string::npos)
        << xml();
    EXPECT_EQ(item->ReadAttribute("type", "?"), "\x04");

    EXPECT_THROW(item->WriteAttribute(kEscapedAttribute, "name"), EXMLStorageError);
    EXPECT_EQ(item->ReadAttribute("name", "?"), "c%");
    // Writing a text over child elements drops their marks with them.
    IPtr<IHierStorage> group = doc->CreateChild("group");
    group->WriteChildValue("item", "\x05");
    group->WriteValue("x\x06");
    EXPECT_EQ(group->ChildCount("item"), 0);
    EXPECT_EQ(group->ReadValue(), "x\x06");
}

// --- the copy gives every element's text as MSXML does

namespace {

struct TContentRow {
    const char* what;
    const char* doctype;  // declarations before the root, or ""
    const char* content;  // of <param name="p"> in <params>
    const char* text;     // the param's text where it is fixed whatever the DOM; nullptr: MSXML's only
};

const TContentRow kContentRows[] = {
    {"plain text", "", "Notepad", "Notepad"},
    {"markup inside a value", "", "x<b>1</b>y", "x1y"},
    {"an empty element inside a value", "", "x<b/>y", "xy"},
    {"nested markup", "", "x<b>1<c>2</c>3</b>y<d><e/>4</d>", nullptr},
    {"two elements in a row", "", "<b>1</b><c>2</c>", nullptr},
    {"two elements with a blank between", "", "<b>1</b> <c>2</c>", "1 2"},
    {"an empty element between two", "", "<b>1</b><c/><d>2</d>", nullptr},
    {"an empty element first", "", "<b></b><c>2</c>", "2"},
    {"text after the last element", "", "<b>1</b>tail", "1tail"},
    {"CDATA", "", "<![CDATA[<a> & ]]>x<b><![CDATA[]]>c</b><![CDATA[]]>y", "<a> & xcy"},
    {"an empty CDATA between two elements", "", "<b>1</b><![CDATA[]]><c>2</c>", nullptr},
    {"entity references", "", "&amp;&lt;&gt;&quot;&apos;<b>&amp;</b>&lt;", "&<>\"'&<"},
    {"character references", "", "&#65;&#x42;<b>&#233;&#xE9;</b>&#9;&#10;&#13;", "AB\xE9\xE9\t\n\r"},
    {"comments dropped", "", "a<!--c-->b<b>1<!-- d --></b><!--e-->c", "ab1c"},
    {"processing instructions dropped", "", "<?pi x?>a<b>1<?pi?></b>c", "a1c"},
    {"indented", "", "\n    <b>1</b>\n    <c>\n      <d>2</d>\n    </c>\n  ", "\n    1\n    \n      2\n    \n  "},
    {"line ends", "", "two\r\nlines\r<b>\r\n</b>", "two\nlines\n\n"},
    {"blanks only", "", "  <b> </b>  ", "     "},
    {"an entity of the document", "<!DOCTYPE params [<!ENTITY e \"EE\">]>", "a&e;<b>1&e;</b>&e;", "aEE1EEEE"},
    {"an entity with markup", "<!DOCTYPE params [<!ENTITY e \"<i>EE</i>x\">]>", "a&e;<b>1</b>", "aEEx1"},
    {"non-ASCII ANSI text", "", "caf&#233;<b>\xC4</b>", nullptr},
};

// The content as a file in the system's code page would hold it.
std::string ContentDocument(const TContentRow& row) {
    return std::string("<?xml version=\"1.0\" encoding=\"windows-1252\"?>") + row.doctype +
           "<params name=\"params\"><param name=\"p\">" + row.content + "</param><param name=\"q\">after</param>" +
           "</params>";
}

// Reads the first parameter's text as the object tree does.
class TParamReader : public TLoadingFake {
public:
    void Load(IHierStorage* s) override {
        for (int i = 0; i < s->ChildCount("param"); ++i) values.push_back(s->GetChild("param", i)->ReadValue());
    }
    std::string GetStorageTag() override { return "params"; }
    std::vector<std::string> values;
};

}  // namespace

// For every element of a hand-edited file, the copy that the programs load
// from gives the text that MSXML gives for the same element.
TEST_F(XMLStorageTest, CopiesGiveEveryElementsTextAsMsxml) {
    for (const auto& row : kContentRows) {
        SCOPED_TRACE(row.what);
        std::string file = WriteFile(ContentDocument(row));
        TRawDom raw;
        ASSERT_TRUE(raw.LoadFile(file));
        std::vector<std::string> fromMsxml;
        CollectTexts(raw.Root().get(), fromMsxml);

        IPtr<TXMLStorage> doc(new TXMLStorage());
        ASSERT_TRUE(doc->LoadFromFile(file));
        std::shared_ptr<TStorageTree> tree = doc->CopyTree();
        ASSERT_TRUE(tree && tree->Root());
        std::vector<std::string> fromCopy;
        CollectTexts(*tree, *tree->Root(), fromCopy);
        EXPECT_EQ(fromCopy, fromMsxml);

        // The programs' load path, and the document's own reads.
        IPtr<TParamReader> params(new TParamReader());
        ASSERT_TRUE(doc->LoadObject(params.get()));
        ASSERT_EQ(params->values.size(), 2u);
        ASSERT_GE(fromMsxml.size(), 2u);
        EXPECT_EQ("param=" + params->values[0], fromMsxml[1]);
        EXPECT_EQ(params->values[1], "after");
        EXPECT_EQ(doc->GetChild("param", 0)->ReadValue(), params->values[0]);
        EXPECT_EQ(doc->ReadValue(), tree->Text(*tree->Root()));
        if (row.text) EXPECT_EQ(params->values[0], row.text);
    }
}
