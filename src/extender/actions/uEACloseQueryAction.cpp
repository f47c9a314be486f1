#include "uEACloseQueryAction.h"

#include <utility>

#include "WinFuncs.h"

namespace vpw {

namespace {

constexpr char CLOSE_QUERY_OPERATION[] = "CLOSEQUERY";

bool IsNtPlatform() { return (GetVersion() & 0x80000000u) == 0; }

// The window whose close the user confirmed while its rule let go of it: a
// rule attached since does not ask again for the command sent on its behalf.
thread_local HWND g_confirmedWindow = nullptr;

}  // namespace

void TCloseQueryAction::Initialize() {
    TMessageHandlerAction::Initialize();
    question_ = DEFAULT_QUESTION;
}

void TCloseQueryAction::ParseParam(const std::string& key, const std::string& value) {
    TMessageHandlerAction::ParseParam(key, value);
    if (key == "CLOSE_QUERY_MESSAGE") question_ = value;
}

void TCloseQueryAction::CreateOperations() {
    AddOperation(
        "\\NAME=CLOSEQUERY\\CAPTION=Prevent accidental close of window\\HINT=Prevent accidental close of window"
        "\\DEFAULT=yes\\DIRECTCALL=yes");
    SetCurrentOperation(CLOSE_QUERY_OPERATION);
}

bool TCloseQueryAction::ApplyOperation(const std::string& name) {
    try {
        return name == CLOSE_QUERY_OPERATION && AskClose();
    } catch (...) {
        return false;
    }
}

void TCloseQueryAction::AttachWindow() {
    try {
        if (IPtr<IWindowHandler> handler = WindowHandler())
            handler->AddMessageHandler(static_cast<IMessageHandler*>(this));
    } catch (...) {
    }
}

bool TCloseQueryAction::BeforeMessage(TMessage& message) {
    try {
        // The whole wParam: commands with the system's low bits set pass.
        if (message.Msg != WM_SYSCOMMAND || message.WParam != SC_CLOSE) return false;
        HWND window = Window();
        if (window && window == g_confirmedWindow) return false;
        bool yes = AskClose();
        // Still attached: the command passes on through this procedure.
        if (yes && Window() == window) return false;
        message.Result = 0;
        if (yes && IsWindow(window)) {
            // Detached while the box was open: this procedure passes nothing
            // on any more, so the window gets the command afresh.
            HWND outer = std::exchange(g_confirmedWindow, window);
            SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
            g_confirmedWindow = outer;
        }
        return true;
    } catch (...) {
        return false;
    }
}

bool TCloseQueryAction::AskClose() {
    IPtr<IWindowHandler> handler = WindowHandler();
    HWND window = handler ? handler->GetWindow() : nullptr;
    std::string caption = handler ? handler->GetWindowCaption() : std::string();
    const UINT style = MB_YESNO | MB_ICONINFORMATION | MB_DEFBUTTON2;
    int answer = IsNtPlatform() ? MessageBoxW(window, AnsiToWide(question_).c_str(), AnsiToWide(caption).c_str(), style)
                                : MessageBoxA(window, question_.c_str(), caption.c_str(), style);
    return answer == IDYES;
}

}  // namespace vpw
