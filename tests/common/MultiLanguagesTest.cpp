#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <vector>

#include "AppGlobals.h"
#include "MultiLanguages.h"
#include "ResourceRoutines.h"
#include "XMLStorage.h"

using namespace vpw;

namespace {

const char kAppName[] = "Velvic Plimsy Windows";

std::string ReadFileBytes(const std::string& name) {
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Temporary programs' directories with a "Languages" folder each.
class LanguagesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(com_.Ok());
        savedDir_ = ProgramsDirectory();
    }
    void TearDown() override {
        SetProgramsDirectory(savedDir_);
        for (auto it = files_.rbegin(); it != files_.rend(); ++it) DeleteFileA(it->c_str());
        for (auto it = dirs_.rbegin(); it != dirs_.rend(); ++it) RemoveDirectoryA(it->c_str());
    }
    // A new programs' directory (with a trailing backslash) holding "Languages".
    std::string NewProgramsDir() {
        std::string dir = CreateTempFileName("vpl");
        DeleteFileA(dir.c_str());
        EXPECT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
        dirs_.push_back(dir);
        std::string languages = dir + "\\Languages";
        EXPECT_TRUE(CreateDirectoryA(languages.c_str(), nullptr));
        dirs_.push_back(languages);
        return dir + "\\";
    }
    std::string Write(const std::string& path, const std::string& text) {
        std::ofstream(path, std::ios::binary) << text;
        files_.push_back(path);
        return path;
    }
    static std::string LanguageFile(const std::string& attrs, const std::string& strings) {
        return "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<language " + attrs + ">\r\n  <strings>\r\n" +
               strings + "  </strings>\r\n</language>\r\n";
    }

    TComInit com_;
    std::string savedDir_;
    std::vector<std::string> files_, dirs_;
};

}  // namespace

TEST(MultiLanguages, MacrosExpandInListOrder) {
    TMultiLanguages ml;
    EXPECT_EQ(ml.Translate("AppCCTitle", "%appname%"), "%appname%");
    ml.SetMacro("appname", kAppName);
    ml.SetMacro("outer", "[%inner%]");
    ml.SetMacro("inner", "in");
    ml.SetMacro("late", "%appname%");  // set after "appname": not expanded again
    struct Case {
        const char* text;
        std::string expected;
    } cases[] = {
        {"%appname%", kAppName},
        {"%APPNAME%", kAppName},
        {"Launch %AppName% and %appname%", std::string("Launch ") + kAppName + " and " + kAppName},
        {"%outer%", "[in]"},
        {"%late%", "%appname%"},
        {"%unknown% 100%", "%unknown% 100%"},
        {"%appname", "%appname"},
    };
    for (const auto& c : cases) EXPECT_EQ(ml.ExpandMacros(c.text), c.expected) << c.text;
    EXPECT_EQ(ml.Translate("AppCCTitle", "%appname%"), kAppName);

    // Setting a macro again moves it to the end of the list.
    ml.SetMacro("APPNAME", "VPW");
    EXPECT_EQ(ml.ExpandMacros("%late%"), "VPW");
}

TEST(MultiLanguages, DisplayName) {
    EXPECT_EQ(TLanguage("en", "English", "en.lng", "").GetDisplayName(), "English");
    EXPECT_EQ(TLanguage("de", "German", "de.lng", "Deutsch").GetDisplayName(), "German - Deutsch");
}

TEST_F(LanguagesTest, LoadsStringsFromAFile) {
    std::string dir = NewProgramsDir();
    std::string file = Write(dir + "Languages\\de.lng",
                             LanguageFile("id=\"de\" name=\"German\"",
                                          "    <string name=\"Title\">Titel von %APPNAME%</string>\r\n"
                                          "    <string name=\"title\">second one loses</string>\r\n"
                                          "    <string name=\"\">no name</string>\r\n"
                                          "    <string name=\"Empty\"></string>\r\n"
                                          "    <string name=\"Label\">Fenster\xE4nderung:  </string>\r\n"
                                          "    <string name=\"Lines\">one\r\ntwo</string>\r\n"));
    TMultiLanguages ml;
    ml.SetMacro("appname", kAppName);
    ASSERT_TRUE(ml.LoadLanguageFile(file));
    EXPECT_EQ(ml.Strings().Count(), 4);
    EXPECT_EQ(ml.Translate("TITLE", "dflt"), std::string("Titel von ") + kAppName);
    EXPECT_EQ(ml.Translate("Empty", "dflt"), "");
    EXPECT_EQ(ml.Translate("Label", "dflt"), "Fenster\xE4nderung:  ");
    EXPECT_EQ(ml.Translate("Lines", "dflt"), "one\ntwo");
    EXPECT_EQ(ml.Translate("Missing", "dflt"), "dflt");
}

TEST_F(LanguagesTest, FilesThatDoNotLoadLeaveNoTexts) {
    std::string dir = NewProgramsDir();
    struct Case {
        const char* what;
        std::string text;
    } cases[] = {
        {"root without strings", "<language id=\"xx\" name=\"X\"><string name=\"Title\">t</string></language>"},
        {"not XML", "<language id=\"xx\" name=\"X\"><strings>"},
        {"empty file", ""},
    };
    std::string good = Write(dir + "Languages\\good.lng",
                             LanguageFile("id=\"en\" name=\"E\"", "<string name=\"Title\">t</string>"));
    TMultiLanguages ml;
    for (const auto& c : cases) {
        std::string file = Write(dir + "Languages\\bad.lng", c.text);
        ASSERT_TRUE(ml.LoadLanguageFile(good));
        EXPECT_FALSE(ml.LoadLanguageFile(file)) << c.what;
        EXPECT_EQ(ml.Strings().Count(), 0) << c.what;
        EXPECT_EQ(ml.Translate("Title", "dflt"), "dflt") << c.what;
    }
    EXPECT_FALSE(ml.LoadLanguageFile(dir + "Languages\\missing.lng"));
    EXPECT_FALSE(ml.LoadStrings(nullptr));
}

TEST_F(LanguagesTest, ScanListsEachIdOnce) {
    std::string first = NewProgramsDir();
    std::string l = first + "Languages\\";
    Write(l + "a.lng", LanguageFile("id=\"de\" name=\"German\" original_name=\"Deutsch\"", ""));
    Write(l + "b.lng", LanguageFile("id=\"DE\" name=\"German again\"", ""));
    Write(l + "c.lng", LanguageFile("id=\"nn\"", ""));             // no name
    Write(l + "d.lng", LanguageFile("name=\"No id\"", ""));        // no id
    Write(l + "e.lng", "<language id=\"br\" name=\"Broken\">");    // does not load
    Write(l + "f.txt", LanguageFile("id=\"tx\" name=\"Text\"", ""));
    Write(l + "g.lng", LanguageFile("id=\"fr\" name=\"French\" original_name=\"Fran\xE7" "ais\"", ""));

    TMultiLanguages ml;
    SetProgramsDirectory(first);
    ml.ScanLanguages();
    TLanguages& langs = ml.Languages();
    ASSERT_EQ(langs.Count(), 2);
    TLanguage* de = langs.GetItem("De");
    ASSERT_NE(de, nullptr);
    EXPECT_TRUE(de->FileName() == l + "a.lng" || de->FileName() == l + "b.lng") << de->FileName();
    ASSERT_NE(langs.GetItem("fr"), nullptr);
    EXPECT_EQ(langs.GetItem("fr")->GetDisplayName(), "French - Fran\xE7" "ais");
    EXPECT_EQ(langs.GetItem("nn"), nullptr);

    // A later scan adds new ids only; the ones already known keep their file.
    std::string second = NewProgramsDir();
    Write(second + "Languages\\de.lng", LanguageFile("id=\"de\" name=\"Other German\"", ""));
    Write(second + "Languages\\ru.lng", LanguageFile("id=\"ru\" name=\"Russian\"", ""));
    SetProgramsDirectory(second);
    ml.ScanLanguages();
    EXPECT_EQ(langs.Count(), 3);
    EXPECT_EQ(langs.GetItem("de"), de);
    EXPECT_EQ(langs.GetItem(2)->Id(), "ru");

    // No "Languages" folder at all: nothing changes.
    SetProgramsDirectory(second + "nowhere\\");
    ml.ScanLanguages();
    EXPECT_EQ(langs.Count(), 3);
}

TEST_F(LanguagesTest, SetLanguageFallsBackToTheBuiltInFile) {
    std::string dir = NewProgramsDir();
    Write(dir + "Languages\\de.lng",
          LanguageFile("id=\"de\" name=\"German\"", "<string name=\"AppRootNodeCaption\">Fensterregeln</string>"));
    Write(dir + "Languages\\xx.lng", "<language id=\"xx\" name=\"No strings\"/>");
    std::string gone = Write(dir + "Languages\\gone.lng", LanguageFile("id=\"gone\" name=\"Gone\"", ""));
    TMultiLanguages ml;
    SetProgramsDirectory(dir);
    ml.ScanLanguages();
    ASSERT_EQ(ml.Languages().Count(), 3);
    DeleteFileA(gone.c_str());

    struct Case {
        const char* id;
        const char* rootCaption;
    } cases[] = {
        {"de", "Fensterregeln"}, {"xx", "Window Rules"}, {"gone", "Window Rules"},
        {"", "Window Rules"},    {"zz", "Window Rules"}, {"DE", "Fensterregeln"},
    };
    for (const auto& c : cases) {
        EXPECT_TRUE(ml.SetLanguage(c.id)) << c.id;
        EXPECT_EQ(ml.Translate("AppRootNodeCaption", "dflt"), c.rootCaption) << c.id;
    }
    // Selecting another language drops the texts of the previous one.
    ASSERT_TRUE(ml.SetLanguage("de"));
    EXPECT_EQ(ml.Translate("VW_SaveConfig", "dflt"), "dflt");
}

TEST_F(LanguagesTest, BuiltInEnglishFile) {
    std::string bytes;
    ASSERT_TRUE(LoadResourceBytes(GetModuleHandleA(nullptr), "DEFAULTLNG", RT_RCDATA, bytes));
    IPtr<TXMLStorage> doc(new TXMLStorage());
    ASSERT_TRUE(doc->LoadFromXML(bytes));
    EXPECT_EQ(doc->ReadAttribute("id", ""), "en");
    EXPECT_EQ(doc->ReadAttribute("name", ""), "English");

    TMultiLanguages ml;
    ml.SetMacro("appname", kAppName);
    ASSERT_TRUE(ml.SetLanguage(""));
    struct Case {
        const char* name;
        std::string text;
    } cases[] = {
        {"AppCCTitle", kAppName},
        {"Command_RunCommandCenter_Caption", std::string("Launch ") + kAppName},
        {"Command_AppFilesMenu_Caption", "&File"},
        {"Command_AppFilesMenu_Hint", ""},  // an empty text, not the default
        {"WRDP_EnabledHint", "Enable\\Disable Window Rule"},
        {"MA_ContextMenuCaptions", "CloseWindow=Close Window;RestoreWindow=Restore Window"},
        {"Action_STAYONTOPACTION_Caption", "Stay on Top"},
    };
    for (const auto& c : cases) EXPECT_EQ(ml.Translate(c.name, "dflt"), c.text) << c.name;

    // The same bytes written out as a file load the same way.
    std::string file = Write(CreateTempFileName("~ln"), "");
    ASSERT_TRUE(SaveResourceToFile(GetModuleHandleA(nullptr), "DEFAULTLNG", RT_RCDATA, file));
    EXPECT_EQ(ReadFileBytes(file), bytes);
    int builtIn = ml.Strings().Count();
    ASSERT_TRUE(ml.LoadLanguageFile(file));
    EXPECT_EQ(ml.Strings().Count(), builtIn);
}

TEST_F(LanguagesTest, ResourceRoutinesReportFailures) {
    HMODULE self = GetModuleHandleA(nullptr);
    std::string bytes;
    EXPECT_FALSE(LoadResourceBytes(self, "NOSUCHRESOURCE", RT_RCDATA, bytes));
    std::string file = Write(CreateTempFileName("vpr"), "");
    EXPECT_FALSE(SaveResourceToFile(self, "NOSUCHRESOURCE", RT_RCDATA, file));
    EXPECT_FALSE(SaveResourceToFile(self, "DEFAULTLNG", RT_RCDATA, "C:\\no such dir\\vpw\\x.lng"));

    std::string a = Write(CreateTempFileName("~ln"), ""), b = Write(CreateTempFileName("~ln"), "");
    ASSERT_FALSE(a.empty());
    EXPECT_NE(a, b);
    EXPECT_EQ(a.substr(a.find_last_of('\\') + 1, 3), "~ln");
    DWORD attrs = GetFileAttributesA(a.c_str());
    EXPECT_NE(attrs, INVALID_FILE_ATTRIBUTES);
}

// The routines reach the process's one manager.
TEST_F(LanguagesTest, GlobalRoutines) {
    std::string dir = NewProgramsDir();
    Write(dir + "Languages\\gl.lng",
          LanguageFile("id=\"gl-test\" name=\"Global\"", "<string name=\"AppCCTitle\">%appname% (gl)</string>"));
    SetProgramsDirectory(dir);
    ASSERT_NE(GetLanguages(), nullptr);
    int before = GetLanguages()->Count();
    ScanLanguages();
    EXPECT_EQ(GetLanguages()->Count(), before + 1);

    SetTranslationMacro("appname", kAppName);
    ASSERT_TRUE(SelectLanguage("gl-test"));
    EXPECT_EQ(Translate("AppCCTitle", "%appname%"), std::string(kAppName) + " (gl)");
    ASSERT_TRUE(SelectLanguage("no-such-id"));
    EXPECT_EQ(Translate("AppCCTitle", "x"), kAppName);
    EXPECT_EQ(Translate("NotInAnyFile", "%appname%!"), std::string(kAppName) + "!");
}
