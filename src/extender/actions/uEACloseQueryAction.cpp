#include "uEACloseQueryAction.h"

#include "WinFuncs.h"

namespace vpw {

namespace {

constexpr char CLOSE_QUERY_OPERATION[] = "CLOSEQUERY";

bool IsNtPlatform() { return (GetVersion() & 0x80000000u) == 0; }

// Marks, for the length of one send, a window whose close the user confirmed
// while its rule let go of it: a rule attached since does not ask again.
constexpr char CONFIRMED_CLOSE_PROPERTY[] = "{7C0E5A53-2F4B-4D7E-9A61-3B8D0C4E15F2}";

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
        if (!window || GetPropA(window, CONFIRMED_CLOSE_PROPERTY)) return false;
        if (asking_) {
            message.Result = 0;
            return true;
        }
        bool yes = false;
        asking_ = true;
        bool attached = false;
        try {
            attached = CallHost([&](HWND) { yes = AskClose(); });
        } catch (...) {
            asking_ = false;
            throw;
        }
        asking_ = false;
        // Still attached: the command passes on through this procedure.
        if (yes && attached) return false;
        message.Result = 0;
        if (yes && IsWindow(window)) {
            // Detached while the box was open: this procedure passes nothing
            // on any more, so the window gets the command afresh.
            bool marked = SetPropA(window, CONFIRMED_CLOSE_PROPERTY, reinterpret_cast<HANDLE>(1)) != FALSE;
            SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, 0);
            if (marked && IsWindow(window)) RemovePropA(window, CONFIRMED_CLOSE_PROPERTY);
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
