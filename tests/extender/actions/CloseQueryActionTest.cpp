// The close question on a real window: which commands ask, what the box
// shows, which answers let the close through, and what is never asked.
#include <gtest/gtest.h>

#include <memory>
#include <thread>

#include "RegistryRoutines.h"
#include "RulePartsTestSupport.h"
#include "extender/MessageBoxProbe.h"
#include "uEACloseQueryAction.h"

using namespace vpw;
using namespace vpw::test;

namespace {

const ::testing::Environment* const environment = ::testing::AddGlobalTestEnvironment(new RulePartsEnvironment);

std::string CloseQueryRule(const std::string& params) {
    return "\\WINDOWRULENAME=RulePartsTest CloseQuery\\ACTION=CLOSEQUERYACTION{\\NAME=CloseQuery" + params + "}";
}

bool SawSysCommand(const TTargetWindow& window, WPARAM command) {
    for (WPARAM c : window.SysCommands())
        if (c == command) return true;
    return false;
}

TEST(CloseQueryAction, OnlyTheSystemCloseCommandAsksAndOnlyYesLetsItThrough) {
    struct Case {
        const char* what;
        UINT message;
        WPARAM wParam;
        int answer;
        bool asks;
        bool reachesWindow;
    } cases[] = {
        {"No keeps the window", WM_SYSCOMMAND, SC_CLOSE, IDNO, true, false},
        {"Yes closes it", WM_SYSCOMMAND, SC_CLOSE, IDYES, true, true},
        {"a program's WM_CLOSE", WM_CLOSE, 0, IDNO, false, true},
        {"the system's low bits set", WM_SYSCOMMAND, SC_CLOSE | 2, IDNO, false, true},
        {"another system command", WM_SYSCOMMAND, SC_MINIMIZE, IDNO, false, true},
    };
    TTargetWindow window;
    TAttachedRule rule(window.Get(), CloseQueryRule(""));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        window.Reset();
        TBoxAnswerer answerer(window.Get(), c.answer);
        SendMessageA(window.Get(), c.message, c.wParam, 0);
        TMessageBoxView box = answerer.Stop();
        EXPECT_EQ(box.box != nullptr, c.asks);
        bool reached = c.message == WM_CLOSE ? window.Count(WM_CLOSE) == 1 : SawSysCommand(window, c.wParam);
        EXPECT_EQ(reached, c.reachesWindow);
    }
}

TEST(CloseQueryAction, TheBoxShowsTheQuestionOverTheWindowsCaptionWithNoAsDefault) {
    struct Case {
        const char* what;
        std::string params;
        std::string caption;
        std::string question;
    } cases[] = {
        {"the built-in question", "", "Rule parts", TCloseQueryAction::DEFAULT_QUESTION},
        {"the configured question", "\\CLOSE_QUERY_MESSAGE=Close me? Really", "Rule parts", "Close me? Really"},
        {"8-bit text", "\\CLOSE_QUERY_MESSAGE=Fenster schlie\337en?", "Gr\374\337e", "Fenster schlie\337en?"},
        {"an empty question", "\\CLOSE_QUERY_MESSAGE=", "Rule parts", ""},
        {"an empty caption", "", "", TCloseQueryAction::DEFAULT_QUESTION},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TTargetWindow window;
        SetWindowTextA(window.Get(), c.caption.c_str());
        TAttachedRule rule(window.Get(), CloseQueryRule(c.params));
        TBoxAnswerer answerer(window.Get(), IDNO);
        SendMessageA(window.Get(), WM_SYSCOMMAND, SC_CLOSE, 0);
        TMessageBoxView box = answerer.Stop();
        SetWindowTextA(window.Get(), "Rule parts");
        ASSERT_NE(box.box, nullptr);
        EXPECT_EQ(box.text, c.question);
        EXPECT_EQ(box.caption, c.caption);
        EXPECT_EQ(box.defaultButton, IDNO);
    }
}

TEST(CloseQueryAction, ItsOperationOnlyAsks) {
    struct Case {
        const char* operation;
        int answer;
        bool asks;
        bool result;
    } cases[] = {
        {"CLOSEQUERY", IDYES, true, true},
        {"CLOSEQUERY", IDNO, true, false},
        {"CLOSEWINDOW", IDYES, false, false},
    };
    TTargetWindow window;
    TAttachedRule rule(window.Get(), CloseQueryRule(""));
    IPtr<IAction> action = rule.Action("CloseQuery");
    ASSERT_TRUE(action);
    EXPECT_EQ(CurrentName(action.get()), "CLOSEQUERY");
    EXPECT_EQ(NextName(action.get()), "CLOSEQUERY");
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.operation) + (c.answer == IDYES ? " yes" : " no"));
        window.Reset();
        TBoxAnswerer answerer(window.Get(), c.answer);
        EXPECT_EQ(action->ExecuteOperation(c.operation), c.result);
        EXPECT_EQ(answerer.Stop().box != nullptr, c.asks);
        EXPECT_EQ(window.Count(WM_CLOSE), 0);
        EXPECT_TRUE(window.SysCommands().empty());
    }
}

TEST(CloseQueryAction, AnAnswerGivenWhileTheRuleLetGoStillCounts) {
    struct Case {
        const char* what;
        int answer;
        bool reattach;  // a new rule with its own question while the box is open
        bool closes;
    } cases[] = {
        {"Yes after a detach closes", IDYES, false, true},
        {"No after a detach keeps the window", IDNO, false, false},
        {"Yes is not asked again by the rule attached since", IDYES, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TTargetWindow window;
        auto rule = std::make_unique<TAttachedRule>(window.Get(), CloseQueryRule(""));
        std::unique_ptr<TAttachedRule> next;
        TThreadCall detach([&] {
            rule->Release();
            if (c.reattach) next = std::make_unique<TAttachedRule>(window.Get(), CloseQueryRule(""));
        });
        window.Reset();
        int boxes = 0;
        std::thread user([&] {
            HWND box = WaitForMessageBox(window.Get(), 5000);
            if (!box) return;
            ++boxes;
            detach.Run();
            PostMessageA(box, WM_COMMAND, MAKEWPARAM(c.answer, BN_CLICKED),
                         reinterpret_cast<LPARAM>(GetDlgItem(box, c.answer)));
            for (DWORD start = GetTickCount(); IsWindow(box) && GetTickCount() - start < 3000;) Sleep(10);
            // A second question would wait here for an answer.
            if (HWND again = WaitForMessageBox(window.Get(), 700)) {
                ++boxes;
                PostMessageA(again, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(again, IDNO)));
            }
        });
        SendMessageA(window.Get(), WM_SYSCOMMAND, SC_CLOSE, 0);
        user.join();
        EXPECT_EQ(boxes, 1);
        EXPECT_EQ(SawSysCommand(window, SC_CLOSE), c.closes);
        if (next) {
            // The new rule still asks for the next close.
            TBoxAnswerer answerer(window.Get(), IDNO);
            SendMessageA(window.Get(), WM_SYSCOMMAND, SC_CLOSE, 0);
            EXPECT_NE(answerer.Stop().box, nullptr);
        }
    }
}

// A host that sends itself the close command again while the question is
// open (from its own loop, or another thread's send): one question, and its
// answer decides.
TEST(CloseQueryAction, ACloseCommandWhileTheQuestionIsOpenAsksNoSecondTime) {
    TTargetWindow window;
    TAttachedRule rule(window.Get(), CloseQueryRule(""));
    window.Reset();
    std::atomic<int> boxes{0};
    std::thread user([&, w = window.Get()] {
        HWND box = WaitForMessageBox(w, 5000);
        if (!box) return;
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(w, WM_SYSCOMMAND, SC_CLOSE, 0, SMTO_NORMAL, 2000, &ignored);
        Sleep(200);
        for (HWND b : TopLevelWindows("#32770", 0, true))
            if (GetWindow(b, GW_OWNER) == w) ++boxes;
        for (HWND b : TopLevelWindows("#32770", 0, true))
            if (GetWindow(b, GW_OWNER) == w)
                PostMessageA(b, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(b, IDNO)));
    });
    SendMessageA(window.Get(), WM_SYSCOMMAND, SC_CLOSE, 0);
    user.join();
    Pump(100);
    EXPECT_EQ(boxes.load(), 1) << "one question";
    EXPECT_TRUE(IsWindow(window.Get()));
    EXPECT_FALSE(SawSysCommand(window, SC_CLOSE)) << "No: no close command reached the window";
    EXPECT_EQ(FindMessageBox(window.Get()), nullptr);
}

TEST(CloseQueryAction, ASavedOperationIsNotAskedAgainAtAttach) {
    const std::string ruleKey = std::string(WINDOW_RULES_REGISTRY_KEY) + "RulePartsTest CloseQuery";
    ASSERT_TRUE(WriteRegString(HKEY_CURRENT_USER, ruleKey, "CloseQuery_CurrentOperation", "CLOSEQUERY"));
    TTargetWindow window;
    {
        TBoxAnswerer answerer(window.Get(), IDYES);
        TAttachedRule rule(window.Get(), CloseQueryRule("\\SAVECURRENTOPERATION=yes"));
        EXPECT_EQ(answerer.Stop().box, nullptr);

        // Still listening.
        TBoxAnswerer asked(window.Get(), IDNO);
        SendMessageA(window.Get(), WM_SYSCOMMAND, SC_CLOSE, 0);
        EXPECT_NE(asked.Stop().box, nullptr);
    }
    RegDeleteKeyA(HKEY_CURRENT_USER, ruleKey.c_str());
}

}  // namespace
