#include "uEACloseQueryAction.h"

#include "WinFuncs.h"

namespace vpw {

namespace {

constexpr char CLOSE_QUERY_OPERATION[] = "CLOSEQUERY";

bool IsNtPlatform() { return (GetVersion() & 0x80000000u) == 0; }

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
        if (AskClose()) return false;
        message.Result = 0;
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
