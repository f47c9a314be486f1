#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <vector>

#include "ResourceRoutines.h"
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

    TComInit com_;
    int liveBefore_ = 0;
    std::vector<std::string> files_;
};

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
