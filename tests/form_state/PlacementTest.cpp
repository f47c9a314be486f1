#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "Placemnt.h"
#include "RegistryRoutines.h"
#include "WinTestSupport.h"

using namespace vpw;
using vpw::test::Pump;

namespace {

const char kKey[] = "Software\\VPW Tests\\FormState";
const std::string kSection = std::string(kKey) + "\\TTestForm";

LRESULT CALLBACK FormProc(HWND wnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(wnd, msg, wParam, lParam);
}

// A top-level form with one component, "TreeView", whose Width is a field.
class TTestForm : public TPlacementForm {
public:
    explicit TTestForm(DWORD style = WS_OVERLAPPEDWINDOW) {
        WNDCLASSA cls{};
        cls.lpfnWndProc = FormProc;
        cls.hInstance = GetModuleHandleA(nullptr);
        cls.lpszClassName = "VPWPlacementTestForm";
        RegisterClassA(&cls);
        wnd_ = CreateWindowExA(0, cls.lpszClassName, "form", style, 100, 100, 400, 300, nullptr, nullptr,
                               cls.hInstance, nullptr);
        tree_.Props.Add(IntegerProp("Width", [this] { return treeWidth; }, [this](int v) { treeWidth = v; }));
        components_.Add(&tree_);
    }
    ~TTestForm() override {
        destroying_ = true;
        DestroyWindow(wnd_);
    }
    HWND Handle() const override { return wnd_; }
    HWND HandleNeeded() override { return wnd_; }
    bool Destroying() const override { return destroying_; }
    std::string FormClassName() const override { return "TTestForm"; }
    bool PositionCentred() const override { return centred; }
    void UseDesignedPosition() override { centred = false; }
    const TComponentList* StorableComponents() const override { return &components_; }

    RECT Rect() const {
        RECT r{};
        GetWindowRect(wnd_, &r);
        return r;
    }

    int treeWidth = 161;
    bool centred = true;

private:
    HWND wnd_;
    bool destroying_ = false;
    TStorableComponent tree_{"TreeView", {}};
    TComponentList components_;
};

struct TStorage : TFormStorage {
    explicit TStorage(TTestForm* form, int version = 0) : TFormStorage(form) {
        SetUseRegistry(true);
        SetIniFileName(kKey);
        SetVersion(version);
        SetStoredProps({"TreeView.Width"});
        Loaded();
    }
};

std::string Stored(const std::string& name) {
    std::string value = "<missing>";
    ReadRegString(HKEY_CURRENT_USER, kSection, name, value);
    return value;
}

void Store(const std::string& name, const std::string& value) {
    ASSERT_TRUE(WriteRegString(HKEY_CURRENT_USER, kSection, name, value));
}

bool SameRect(const RECT& a, const RECT& b) {
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class Placement : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeA(HKEY_CURRENT_USER, kKey); }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, kKey); }
};

// Shows the form as its program would, lets the test act, then closes it.
template <class Act>
void RunForm(TTestForm& form, TStorage& storage, Act act) {
    storage.FormShow();
    ShowWindow(form.Handle(), form.InitialShowCommand());
    act();
    storage.FormCloseQuery(true);
    storage.FormDestroy();
}

}  // namespace

TEST_F(Placement, FirstStartMovesNothingAndWritesEverythingOnClose) {
    TTestForm form;
    TStorage storage(&form);
    const RECT before = form.Rect();
    RunForm(form, storage, [&] {
        EXPECT_TRUE(SameRect(form.Rect(), before));
        EXPECT_TRUE(form.centred);
        EXPECT_FALSE(IsZoomed(form.Handle()));
    });
    EXPECT_EQ(Stored("FormVersion"), "0");
    EXPECT_EQ(Stored("ShowCmd"), "1");
    EXPECT_NE(Stored("Flags"), "<missing>");
    EXPECT_EQ(Stored("PixelsPerInch"), std::to_string(ScreenPixelsPerInch()));
    EXPECT_EQ(Stored("NormPos"), "100,100,500,400");
    EXPECT_EQ(Stored("NormPos" + ScreenSizeSuffix()), "100,100,500,400");
    EXPECT_NE(Stored("MinMaxPos" + ScreenSizeSuffix()), "<missing>");
    EXPECT_EQ(Stored("Visible"), "0");
    EXPECT_EQ(Stored("TreeView_Width"), "161");
}

TEST_F(Placement, MovedResizedAndWiderTreeComeBack) {
    {
        TTestForm form;
        TStorage storage(&form);
        RunForm(form, storage, [&] {
            SetWindowPos(form.Handle(), nullptr, 150, 120, 500, 350, SWP_NOZORDER);
            form.treeWidth = 240;
        });
    }
    TTestForm form;
    TStorage storage(&form);
    storage.FormShow();
    EXPECT_TRUE(SameRect(form.Rect(), RECT{150, 120, 650, 470}));
    EXPECT_EQ(form.treeWidth, 240);
    EXPECT_FALSE(form.centred);  // a restored position is not centred again
}

TEST_F(Placement, StoredPositionsThatAreNotApplied) {
    struct Case {
        const char* what;
        const char* normPos;
        int pixelsPerInchOffset;
        int version;
    } cases[] = {
        {"right edge not beyond left", "300,100,300,400", 0, 0},
        {"other pixels per inch", "150,120,650,470", 24, 0},
        {"off every monitor", "-6000,-6000,-5500,-5600", 0, 0},
        {"older form version", "150,120,650,470", 0, 2},
    };
    for (const Case& c : cases) {
        RegDeleteTreeA(HKEY_CURRENT_USER, kKey);
        Store("FormVersion", "1");
        Store("NormPos", c.normPos);
        Store("PixelsPerInch", std::to_string(ScreenPixelsPerInch() + c.pixelsPerInchOffset));
        Store("TreeView_Width", "300");
        TTestForm form;
        TStorage storage(&form, c.version);
        const RECT before = form.Rect();
        storage.FormShow();
        EXPECT_TRUE(SameRect(form.Rect(), before)) << c.what;
        EXPECT_TRUE(form.centred) << c.what;
        EXPECT_EQ(form.treeWidth, c.version > 1 ? 161 : 300) << c.what;
        // Saving is still allowed, with the placement's own version.
        storage.FormCloseQuery(true);
        EXPECT_EQ(Stored("FormVersion"), std::to_string(c.version)) << c.what;
    }
}

TEST_F(Placement, ScreenSizeValueWinsAndThePlainOneIsTheFallback) {
    Store("NormPos", "10,20,410,320");
    {
        TTestForm form;
        TStorage storage(&form);
        storage.FormShow();
        EXPECT_TRUE(SameRect(form.Rect(), RECT{10, 20, 410, 320}));
    }
    Store("NormPos" + ScreenSizeSuffix(), "30,40,430,340");
    TTestForm form;
    TStorage storage(&form);
    storage.FormShow();
    EXPECT_TRUE(SameRect(form.Rect(), RECT{30, 40, 430, 340}));
}

TEST_F(Placement, AFixedBorderKeepsItsSizeButTakesThePosition) {
    Store("NormPos", "30,40,900,900");
    TTestForm form(WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU);
    TStorage storage(&form);
    storage.FormShow();
    EXPECT_TRUE(SameRect(form.Rect(), RECT{30, 40, 430, 340}));
}

TEST_F(Placement, TreeWidthThatIsNoNumberBecomesZero) {
    Store("TreeView_Width", "wide");
    Store("NormPos", "10,20,410,320");
    TTestForm form;
    TStorage storage(&form);
    storage.FormShow();
    EXPECT_EQ(form.treeWidth, 0);
}

TEST_F(Placement, MaximisedComesBackMaximised) {
    {
        TTestForm form;
        TStorage storage(&form);
        RunForm(form, storage, [&] { ShowWindow(form.Handle(), SW_MAXIMIZE); });
    }
    EXPECT_EQ(Stored("ShowCmd"), "3");
    TTestForm form;
    TStorage storage(&form);
    storage.FormShow();
    EXPECT_EQ(form.InitialShowCommand(), SW_SHOWMAXIMIZED);
    ShowWindow(form.Handle(), form.InitialShowCommand());
    EXPECT_TRUE(IsZoomed(form.Handle()));
    // Restored from maximised, it is at its remembered normal place.
    ShowWindow(form.Handle(), SW_RESTORE);
    EXPECT_TRUE(SameRect(form.Rect(), RECT{100, 100, 500, 400}));
}

TEST_F(Placement, SavedMinimisedMinimisesTheProgram) {
    Store("ShowCmd", "2");
    Store("NormPos", "10,20,410,320");
    TTestForm form;
    TStorage storage(&form);
    ShowWindow(form.Handle(), SW_SHOWNORMAL);
    storage.FormShow();
    Pump();
    EXPECT_TRUE(IsIconic(form.Handle()));
}

TEST_F(Placement, AFormNeverShownLeavesTheStoredValuesAlone) {
    Store("NormPos", "10,20,410,320");
    TTestForm form;
    TStorage storage(&form);
    storage.FormCloseQuery(true);
    storage.FormDestroy();
    EXPECT_EQ(Stored("FormVersion"), "<missing>");
    EXPECT_EQ(Stored("NormPos"), "10,20,410,320");
}

TEST_F(Placement, DestroyWithoutCloseSavesAsVisible) {
    TTestForm form;
    TStorage storage(&form);
    storage.FormShow();
    storage.FormDestroy();
    EXPECT_EQ(Stored("Visible"), "1");
}

TEST_F(Placement, KeyedStoredValueIsScrambledAndComesBack) {
    {
        TTestForm form;
        TStorage storage(&form);
        TStoredValue& v = storage.StoredValues().Add("Secret");
        v.KeyString = "k";
        v.Value = Variant(std::string("abc"));
        RunForm(form, storage, [] {});
    }
    EXPECT_EQ(Stored("Secret"), "0a0908");  // "abc" XOR "k"
    TTestForm form;
    TStorage storage(&form);
    TStoredValue& v = storage.StoredValues().Add("Secret");
    v.KeyString = "k";
    storage.FormShow();
    EXPECT_EQ(v.Value.AsString(), "abc");
    EXPECT_THROW(storage.StoredValues().Add("SECRET"), EStringListError);
}

TEST_F(Placement, SizeLimitsAndPreventResizeGoThroughTheWindowHook) {
    TTestForm form;
    TStorage storage(&form);
    ShowWindow(form.Handle(), SW_SHOWNORMAL);
    storage.MinMaxInfo().Set(TWinMinMaxInfo::MinTrackWidth, 333);
    MINMAXINFO mmi{};
    SendMessageA(form.Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    EXPECT_EQ(mmi.ptMinTrackSize.x, 333);

    storage.MinMaxInfo().Set(TWinMinMaxInfo::MinTrackWidth, 0);
    storage.SetPreventResize(true);
    EXPECT_FALSE(GetWindowLongA(form.Handle(), GWL_STYLE) & WS_MAXIMIZEBOX);
    mmi = {};
    SendMessageA(form.Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&mmi));
    EXPECT_EQ(mmi.ptMinTrackSize.x, 400);
    EXPECT_EQ(mmi.ptMaxTrackSize.y, 300);
    const RECT r = form.Rect();
    EXPECT_EQ(SendMessageA(form.Handle(), WM_NCHITTEST, 0, MAKELPARAM(r.right - 1, r.bottom - 1)), HTNOWHERE);

    storage.SetPreventResize(false);
    EXPECT_TRUE(GetWindowLongA(form.Handle(), GWL_STYLE) & WS_MAXIMIZEBOX);
    EXPECT_EQ(SendMessageA(form.Handle(), WM_NCHITTEST, 0, MAKELPARAM(r.right - 1, r.bottom - 1)), HTBOTTOMRIGHT);
}

TEST(IniFileStore, QuotedValuesKeepTheirQuotes) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    const std::string file = std::string(dir) + "vpw-placement-test.ini";
    DeleteFileA(file.c_str());
    TIniFileStore store(file);
    for (const std::string value : {"\"quoted\"", "'single'", "plain", "\"", ""}) {
        store.WriteString("S", "V", value);
        EXPECT_EQ(store.ReadString("S", "V", "<default>"), value) << value;
    }
    EXPECT_EQ(store.ReadString("S", "Missing", "<default>"), "<default>");
    DeleteFileA(file.c_str());
}
