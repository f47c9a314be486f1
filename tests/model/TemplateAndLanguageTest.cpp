#include <gtest/gtest.h>

#include <windows.h>

#include "ModelTestSupport.h"
#include "MultiLanguages.h"
#include "XMLStorage.h"
#include "uModelConsts.h"
#include "uModelRoutines.h"
#include "uMouseHoverTrigger.h"

using namespace vpw;
using namespace vpw::test;

namespace {

std::string SaveToXML(IBOMObject* obj, const std::string& rootTag) {
    IPtr<TXMLStorage> storage(new TXMLStorage());
    EXPECT_TRUE(storage->New(rootTag));
    storage->SaveObject(Supports<IPersistObject>(obj).get());
    std::string xml;
    storage->GetXML(xml);
    return xml;
}

void LoadFromXML(IBOMObject* obj, const std::string& xml) {
    IPtr<TXMLStorage> storage(new TXMLStorage());
    ASSERT_TRUE(storage->LoadFromXML(xml));
    storage->LoadObject(Supports<IPersistObject>(obj).get());
}

}  // namespace

// Saved and loaded again, a rule comes back equal; the mouse-hover trigger,
// written with an empty type, is found again by its template name.
TEST(DefaultTemplate, SavedRuleLoadsBackOverTheTemplate) {
    IPtr<IBOMObjectSlave> rules = NewItem("WINDOWRULES", "window_rules");
    IPtr<IBOMObjectSlave> rule = NewRule();
    Supports<IBOMCollection>(rules)->Add(rule.get());
    Set(rule.get(), "triggers/MouseHoverTrigger/params/hover_lag_interval", "750");
    Set(rule.get(), "triggers/MouseHoverTrigger/agents/WindowRollupMouseHoverAgent_JRY/params/enabled", "yes");
    Set(rule.get(), "actions/MinToTrayForCaptionButton/params/permanent_tray_icon", "yes");
    Set(rule.get(), "conditions/DefaultCondition/criterions/WINDOWCLASSNAMECRITERION/params/window_class_name",
        "Notepad");
    std::string saved = RuleData(rule.get());

    std::string xml = SaveToXML(rules.get(), "window_rules");
    EXPECT_NE(xml.find(R"(<trigger name="MouseHoverTrigger" type="">)"), std::string::npos);
    EXPECT_NE(xml.find(R"(<criterion name="WINDOWCaptionCriterion" type="WINDOWCaptionCriterion">)"),
              std::string::npos);

    IPtr<IBOMObjectSlave> loaded = NewItem("WINDOWRULES", "window_rules");
    LoadFromXML(loaded.get(), xml);
    IPtr<IBOMObject> again = loaded->Resolve("Window Rule 1");
    ASSERT_TRUE(again);
    EXPECT_EQ(RuleData(again.get()), saved);
    EXPECT_NE(saved.find(R"(HOVER_LAG_INTERVAL=750\LEAVE_LAG_ENABLED=no\LEAVE_LAG_INTERVAL=500\AGENT={\NAME=WindowRollupMouseHoverAgent_JRY)"),
              std::string::npos);
    EXPECT_TRUE(dynamic_cast<TMouseHoverTrigger*>(again->Resolve("triggers/MouseHoverTrigger").get()));
    EXPECT_EQ(Collection(again.get(), "triggers")->Count(), 8);
    EXPECT_EQ(Collection(again.get(), "conditions/DefaultCondition/criterions")->Count(), 2);
    EXPECT_EQ(SaveToXML(loaded.get(), "window_rules"), xml);

    // Under another name the empty type cannot be created: that trigger is dropped.
    std::string renamed = xml;
    std::string from = R"(<trigger name="MouseHoverTrigger" type="">)";
    renamed.replace(renamed.find(from), from.size(), R"(<trigger name="Hover" type="">)");
    IPtr<IBOMObjectSlave> other = NewItem("WINDOWRULES", "window_rules");
    LoadFromXML(other.get(), renamed);
    EXPECT_EQ(Collection(other.get(), "Window Rule 1/triggers")->Count(), 8);
    EXPECT_FALSE(other->Resolve("Window Rule 1/triggers/Hover"));
}

TEST(DefaultTemplate, LoadIntoOtherObjectsIsHarmless) {
    // Loading the template into something that is no rule only sets what matches.
    IPtr<IBOMObjectSlave> plain = NewItem("BOMOBJECT", "plain");
    LoadDefaultWindowRule(plain.get());
    EXPECT_EQ(plain->GetName(), "plain");
    LoadDefaultWindowRule(nullptr);
}

namespace {

// The settings key's "Language" value, put back as it was at the end.
class LanguageValue : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, VPW_SETTINGS_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                                  nullptr),
                  ERROR_SUCCESS);
        DWORD size = 0;
        had_ = RegQueryValueExA(key_, VPW_LANGUAGE_VALUE, nullptr, &type_, nullptr, &size) == ERROR_SUCCESS;
        if (had_) {
            old_.resize(size);
            RegQueryValueExA(key_, VPW_LANGUAGE_VALUE, nullptr, &type_, reinterpret_cast<BYTE*>(old_.data()), &size);
        }
    }
    void TearDown() override {
        if (had_)
            RegSetValueExA(key_, VPW_LANGUAGE_VALUE, 0, type_, reinterpret_cast<const BYTE*>(old_.data()),
                           static_cast<DWORD>(old_.size()));
        else
            RegDeleteValueA(key_, VPW_LANGUAGE_VALUE);
        RegCloseKey(key_);
    }
    void WriteText(const std::string& text) {
        RegSetValueExA(key_, VPW_LANGUAGE_VALUE, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + 1));
    }
    void WriteDword(DWORD value) {
        RegSetValueExA(key_, VPW_LANGUAGE_VALUE, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    }

    HKEY key_ = nullptr;
    bool had_ = false;
    DWORD type_ = 0;
    std::string old_;
};

}  // namespace

TEST_F(LanguageValue, AnyValueStartsWithTheBuiltInEnglishTexts) {
    struct Case {
        const char* label;
        int kind;  // 0 missing, 1 text, 2 DWORD, 3 binary
        const char* text;
        const char* read;
    } cases[] = {
        {"missing", 0, "", ""},
        {"unknown language", 1, "xx", "xx"},
        {"empty text", 1, "", ""},
        {"a number, not text", 2, "", ""},
        {"binary", 3, "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        RegDeleteValueA(key_, VPW_LANGUAGE_VALUE);
        if (c.kind == 1) WriteText(c.text);
        if (c.kind == 2) WriteDword(7);
        if (c.kind == 3)
            RegSetValueExA(key_, VPW_LANGUAGE_VALUE, 0, REG_BINARY, reinterpret_cast<const BYTE*>("en"), 2);
        EXPECT_EQ(ReadLanguageFromRegistry(), c.read);
        ASSERT_NO_THROW(InitLanguageFromRegistry());
        EXPECT_EQ(Translate("AppCBTitle", "untranslated"), "Velvic Plimsy Windows");
        EXPECT_EQ(Translate("Action_STAYONTOPACTION_Caption", ""), "Stay on Top");
        // The UI layer translates through the same texts.
        EXPECT_EQ(UITranslate("AppRootNodeCaption", ""), "Window Rules");
    }
}

// Captions follow the name on load and the language on Notify(1).
TEST_F(LanguageValue, ActionCaptionsFollowTheLanguage) {
    InitLanguageFromRegistry();
    IPtr<IBOMObjectSlave> rule = NewRule();
    IPtr<IBOMObject> stayOnTop = rule->Resolve("actions/StayOnTopForCaptionButton");
    IPtr<IBOMObject> closeQuery = rule->Resolve("actions/CloseQuery");
    EXPECT_EQ(Text(stayOnTop.get(), "params/caption"), "StayOnTopForCaptionButton");
    rule->SetOwner(nullptr);
    rule->Notify(1, 0, 0);
    EXPECT_EQ(Text(stayOnTop.get(), "params/caption"), "Stay on Top");
    EXPECT_EQ(Text(stayOnTop.get(), "params/hint"), "Stay on Top");
    // An action without "caption" takes its name for the hint.
    RemoveParam(stayOnTop.get(), "", "caption");
    stayOnTop->Notify(1, 0, 0);
    EXPECT_EQ(Text(stayOnTop.get(), "params/hint"), "StayOnTopForCaptionButton");
    // A new load puts the name back.
    Set(closeQuery.get(), "params/caption", "anything");
    LoadFromXML(closeQuery.get(), R"(<action name="CloseQuery"/>)");
    EXPECT_EQ(Text(closeQuery.get(), "params/caption"), "CloseQuery");
    // The close question of the descriptor comes from the language too.
    Set(closeQuery.get(), "params/enabled", "yes");
    EXPECT_NE(RuleData(rule.get()).find(
                  R"(\ACTION=CLOSEQUERYACTION{\NAME=CloseQuery\SAVECURRENTOPERATION=no\\CLOSE_QUERY_MESSAGE=Are you sure you want to close the window?})"),
              std::string::npos);
    rule->Detach();
}
