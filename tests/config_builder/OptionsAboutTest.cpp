// The options dialog and the about box in this process, shown modally on the
// test's thread and driven from a second thread with real clicks and keys.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <fstream>
#include <functional>
#include <thread>

#include "AppGlobals.h"
#include "CBTestSupport.h"
#include "MultiLanguages.h"
#include "RegistryRoutines.h"
#include "Routines.h"
#include "uAboutForm.h"
#include "uAboutFrame.h"
#include "uCBRoutines.h"
#include "uGeneralOptionsFrame.h"
#include "uModelConsts.h"
#include "uOptionsForm.h"

using namespace vpw;
using namespace vpw::test;

namespace {

struct FoundWindow {
    const char* cls;
    int id;
    HWND found;
};

BOOL CALLBACK FindDialog(HWND window, LPARAM param) {
    auto* want = reinterpret_cast<FoundWindow*>(param);
    char cls[64] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (IsWindowVisible(window) && lstrcmpA(cls, want->cls) == 0) {
        want->found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindById(HWND window, LPARAM param) {
    auto* want = reinterpret_cast<FoundWindow*>(param);
    if (GetDlgCtrlID(window) == want->id) {
        want->found = window;
        return FALSE;
    }
    return TRUE;
}

// A control anywhere inside the dialog.
HWND Control(HWND dialog, int id) {
    FoundWindow want{nullptr, id, nullptr};
    EnumChildWindows(dialog, FindById, reinterpret_cast<LPARAM>(&want));
    return want.found;
}

std::string TextOf(HWND window) {
    char text[512] = {};
    GetWindowTextA(window, text, sizeof text);
    return text;
}

bool IsChecked(HWND dialog, int id) { return SendMessageA(Control(dialog, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void ClickControl(HWND dialog, int id) {
    SetForegroundWindow(dialog);
    Click(CenterOf(Control(dialog, id)));
}

// Runs `show` (a modal dialog) on this thread while `drive` gets the visible
// dialog on another thread; `drive` must close it.
void WithModalDialog(const std::function<void()>& show, const std::function<void(HWND dialog)>& drive) {
    DWORD thread = GetCurrentThreadId();
    std::thread driver([&] {
        FoundWindow want{CB_DIALOG_FORM_CLASS, 0, nullptr};
        for (int i = 0; i < 500 && !want.found; ++i) {
            Sleep(20);
            EnumThreadWindows(thread, FindDialog, reinterpret_cast<LPARAM>(&want));
        }
        if (!want.found) return;
        Sleep(100);
        drive(want.found);
    });
    show();
    driver.join();
}

std::string RunCommand() { return TGeneralOptionsFrame::ControlCenterCommand(); }

bool ReadRun(std::string& value) { return ReadRegString(HKEY_CURRENT_USER, RUN_KEY, RUN_VALUE_NAME, value); }

class OptionsDialog : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        static TComInit com;  // the language files are read through MSXML
        // A programs' directory with a blank in its path, and two languages.
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        dir_ = std::string(temp) + "vpw options test\\";
        CreateDirectoryA(dir_.c_str(), nullptr);
        CreateDirectoryA((dir_ + "Languages").c_str(), nullptr);
        WriteLanguage("de.lng", "id=\"de\" name=\"German\" original_name=\"Deutsch\"");
        WriteLanguage("fr.lng", "id=\"fr\" name=\"French\" original_name=\"Francais\"");
        SetProgramsDirectory(dir_);
        ScanLanguages();
    }
    static void WriteLanguage(const std::string& file, const std::string& attrs) {
        std::ofstream(dir_ + "Languages\\" + file, std::ios::binary)
            << "<?xml version=\"1.0\"?>\r\n<language " << attrs
            << "><strings><string name=\"OptionsForm_Caption\">x</string></strings></language>\r\n";
    }
    void SetUp() override {
        ASSERT_TRUE(com_.Ok());
        DeleteRegValue(HKEY_CURRENT_USER, CC_SETTINGS_KEY, CC_TRAY_ICON_VALUE);
        DeleteRegValue(HKEY_CURRENT_USER, RUN_KEY, RUN_VALUE_NAME);
        DeleteRegValue(HKEY_CURRENT_USER, VPW_SETTINGS_KEY, VPW_LANGUAGE_VALUE);
    }
    void TearDown() override { SetUp(); }

    static inline std::string dir_;
    TComInit com_;
};

}  // namespace

TEST_F(OptionsDialog, NoSettingsShowTheDefaultsAndOkWritesOnlyTheTrayIcon) {
    RECT client{};
    std::string caption;
    bool tray = false, load = true;
    LRESULT selected = 0;
    int result = 0;
    WithModalDialog([&] { result = ShowOptionsForm(nullptr); },
                    [&](HWND dialog) {
                        GetClientRect(dialog, &client);
                        caption = TextOf(dialog);
                        tray = IsChecked(dialog, idEnableTrayIconCheckBox);
                        load = IsChecked(dialog, idLoadAtStartupCheckBox);
                        selected = SendMessageA(Control(dialog, idLanguageComboBox), CB_GETCURSEL, 0, 0);
                        ClickControl(dialog, IDOK);
                    });
    EXPECT_EQ(result, 1);
    EXPECT_EQ(client.right, 391);
    EXPECT_EQ(client.bottom, 257);
    EXPECT_EQ(caption, "Options");
    EXPECT_TRUE(tray);
    EXPECT_FALSE(load);
    EXPECT_EQ(selected, CB_ERR);
    std::uint32_t trayIcon = 7;
    EXPECT_TRUE(ReadRegDword(HKEY_CURRENT_USER, CC_SETTINGS_KEY, CC_TRAY_ICON_VALUE, trayIcon));
    EXPECT_EQ(trayIcon, 1u);
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, RUN_KEY, RUN_VALUE_NAME));
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, VPW_SETTINGS_KEY, VPW_LANGUAGE_VALUE));
}

TEST_F(OptionsDialog, SwitchesOnWriteAQuotedRunValueAndOffDeleteIt) {
    WithModalDialog([] { ShowOptionsForm(nullptr); },
                    [](HWND dialog) {
                        ClickControl(dialog, idLoadAtStartupCheckBox);
                        ClickControl(dialog, IDOK);
                    });
    std::string run;
    ASSERT_TRUE(ReadRun(run));
    EXPECT_EQ(run, "\"" + RunCommand() + "\"");

    bool loadShown = false;
    WithModalDialog([] { ShowOptionsForm(nullptr); },
                    [&](HWND dialog) {
                        loadShown = IsChecked(dialog, idLoadAtStartupCheckBox);
                        ClickControl(dialog, idLoadAtStartupCheckBox);
                        ClickControl(dialog, idEnableTrayIconCheckBox);
                        Key(VK_RETURN);  // Enter is OK
                    });
    EXPECT_TRUE(loadShown);
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, RUN_KEY, RUN_VALUE_NAME));
    std::uint32_t trayIcon = 7;
    EXPECT_TRUE(ReadRegDword(HKEY_CURRENT_USER, CC_SETTINGS_KEY, CC_TRAY_ICON_VALUE, trayIcon));
    EXPECT_EQ(trayIcon, 0u);
}

TEST_F(OptionsDialog, RunValuesThatCountAsOn) {
    struct Case {
        std::string value;
        bool on;
    } cases[] = {
        {RunCommand(), true},
        {"\"" + RunCommand() + "\"", true},
        {AnsiUpperCase(RunCommand()) + " /minimized", true},
        {"C:\\elsewhere\\VelvicPlimsyWindowsCenter.exe", false},
        {"", false},
    };
    for (const Case& c : cases) {
        WriteRegString(HKEY_CURRENT_USER, RUN_KEY, RUN_VALUE_NAME, c.value);
        TOptionsForm form(nullptr);
        EXPECT_EQ(IsChecked(form.Handle(), idLoadAtStartupCheckBox), c.on) << c.value;
    }
}

TEST_F(OptionsDialog, TheChosenLanguageIsWrittenOnOkOnly) {
    WriteRegString(HKEY_CURRENT_USER, VPW_SETTINGS_KEY, VPW_LANGUAGE_VALUE, "fr");
    std::string shown;
    // Cancel (Escape) writes nothing, whatever was changed.
    WithModalDialog([] { EXPECT_EQ(ShowOptionsForm(nullptr), 2); },
                    [&](HWND dialog) {
                        HWND combo = Control(dialog, idLanguageComboBox);
                        shown = TextOf(combo);
                        ClickControl(dialog, idEnableTrayIconCheckBox);
                        Key(VK_ESCAPE);
                    });
    EXPECT_EQ(shown, "French - Francais");
    EXPECT_FALSE(RegValueExists(HKEY_CURRENT_USER, CC_SETTINGS_KEY, CC_TRAY_ICON_VALUE));

    WithModalDialog([] { EXPECT_EQ(ShowOptionsForm(nullptr), 1); },
                    [&](HWND dialog) {
                        ClickControl(dialog, idLanguageComboBox);  // drops the list down
                        Sleep(200);
                        Key(VK_DOWN);
                        Key(VK_RETURN);  // closes the list
                        Sleep(100);
                        shown = TextOf(Control(dialog, idLanguageComboBox));
                        ClickControl(dialog, IDOK);
                    });
    EXPECT_EQ(shown, "German - Deutsch");
    std::string language;
    EXPECT_TRUE(ReadRegString(HKEY_CURRENT_USER, VPW_SETTINGS_KEY, VPW_LANGUAGE_VALUE, language));
    EXPECT_EQ(language, "de");
}

TEST(AboutBox, IsAsLargeAsItsPanelAndOpensItsLinks) {
    static std::vector<std::string> opened;
    opened.clear();
    TAboutPanel::OpenDocument = [](const std::string& target) { opened.push_back(target); };
    SetTranslationMacro("appname", "Velvic Plimsy Windows");
    SetApplicationTitle("Velvic Plimsy Windows");
    RECT client{};
    std::string caption, name, version, copyright, rights;
    HCURSOR overLink = nullptr;
    WithModalDialog([] { ShowAboutForm(nullptr); },
                    [&](HWND dialog) {
                        GetClientRect(dialog, &client);
                        caption = TextOf(dialog);
                        name = TextOf(Control(dialog, idProgramNameLabel));
                        version = TextOf(Control(dialog, idVersionLabel));
                        copyright = TextOf(Control(dialog, idCopyrightLabel));
                        rights = TextOf(Control(dialog, idAllRightsLabel));
                        ClickControl(dialog, idSiteURLLabel);
                        Sleep(100);
                        CURSORINFO info{sizeof info};
                        GetCursorInfo(&info);
                        overLink = info.hCursor;
                        ClickControl(dialog, idEmailLabel);
                        Sleep(100);
                        ClickControl(dialog, IDOK);
                    });
    EXPECT_EQ(client.right, 429);
    EXPECT_EQ(client.bottom, 190 + 41);
    EXPECT_EQ(caption, "Velvic Plimsy Windows About");
    EXPECT_EQ(version, "Version 1.1");
    EXPECT_FALSE(copyright.empty());
    EXPECT_EQ(rights, "All Rights Reserved");
    EXPECT_EQ(overLink, LoadCursor(nullptr, IDC_HAND));
    EXPECT_EQ(opened, (std::vector<std::string>{std::string(PRODUCT_SITE_URL) + "?ref=vpw11_prg",
                                                std::string("mailto:") + SUPPORT_EMAIL}));
    EXPECT_EQ(name, "Velvic Plimsy Windows");
}
