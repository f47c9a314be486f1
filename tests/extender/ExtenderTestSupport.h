// Small fakes for the window extender's tests: parts that record what the
// extender asks of them, and a window class of the tests.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "EAInterfaceDeclarations.h"
#include "uEAGeneralClasses.h"

namespace vpw::test {

// Every call a fake part receives, in order: "<name>.<operation>".
inline std::vector<std::string>& Calls() {
    static std::vector<std::string> calls;
    return calls;
}

// An action or trigger that only records; as message handler it reports
// WM_CLOSE handled when built with "\BLOCKCLOSE=yes".
class TFakePart : public TAbstractParamsItem,
                  public virtual ISlave,
                  public virtual IWindowPart,
                  public virtual IMessageHandler {
public:
    bool QueryInterface(const TGUID& iid, void** out) override {
        *out = nullptr;
        return AnswerInterfaces<ISlave, IWindowPart, IMessageHandler>(this, iid, out) ||
               TAbstractParamsItem::QueryInterface(iid, out);
    }
    void ParseParam(const std::string& key, const std::string& value) override {
        TAbstractParamsItem::ParseParam(key, value);
        if (key == "BLOCKCLOSE") blockClose_ = value == "yes";
    }
    void SetOwner(IOwner* owner) override {
        Calls().push_back(name_ + ".SetOwner");
        owner_ = Supports<IWindowPartOwner>(owner);
    }
    void ReleaseOwner() override {
        Calls().push_back(name_ + ".ReleaseOwner");
        owner_ = nullptr;
    }
    void Connect() override { Calls().push_back(name_ + ".Connect"); }
    void Disconnect() override { Calls().push_back(name_ + ".Disconnect"); }
    void SetName(const std::string& name) override { name_ = name; }
    void AttachWindow() override {
        Calls().push_back(name_ + ".AttachWindow");
        if (owner_)
            if (IPtr<IWindowHandler> h = owner_->GetWindowHandler()) h->AddMessageHandler(this);
    }
    void DetachWindow() override {
        Calls().push_back(name_ + ".DetachWindow");
        if (owner_)
            if (IPtr<IWindowHandler> h = owner_->GetWindowHandler()) h->RemoveMessageHandler(this);
    }
    bool BeforeMessage(TMessage& message) override {
        if (message.Msg == WM_CLOSE && blockClose_) {
            Calls().push_back(name_ + ".Before.WM_CLOSE");
            return true;
        }
        return false;
    }
    void AfterMessage(TMessage& message, bool handled) override {
        if (message.Msg == WM_CLOSE) Calls().push_back(name_ + ".After.WM_CLOSE." + (handled ? "handled" : "passed"));
        if (message.Msg == WM_SETTEXT) Calls().push_back(name_ + ".After.WM_SETTEXT");
    }

private:
    IPtr<IWindowPartOwner> owner_;
    bool blockClose_ = false;
};

class TFakeAction : public TFakePart, public virtual IAction {
public:
    bool QueryInterface(const TGUID& iid, void** out) override {
        *out = nullptr;
        return AnswerInterfaces<IAction>(this, iid, out) || TFakePart::QueryInterface(iid, out);
    }
    IPtr<IOperations> GetOperations() override { return {}; }
    IPtr<IOperation> GetNextOperation() override { return {}; }
    bool ExecuteOperation(const std::string&) override { return false; }
    bool ExecuteNextOperation() override { return false; }
    IPtr<IPublisher> GetPublisher() override { return {}; }
    IPtr<IOperation> GetCurrentOperation() override { return {}; }
    bool ApplyHoverEffect(const std::string&) override { return false; }
    bool RemoveHoverEffect() override { return false; }
};

class TFakeTrigger : public TFakePart, public virtual ITrigger {
public:
    bool QueryInterface(const TGUID& iid, void** out) override {
        *out = nullptr;
        return AnswerInterfaces<ITrigger>(this, iid, out) || TFakePart::QueryInterface(iid, out);
    }
};

// A top-level window of the tests whose procedure logs the messages it sees.
struct TTestWindow {
    static std::vector<UINT>& Seen() {
        static std::vector<UINT> seen;
        return seen;
    }
    static LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
        Seen().push_back(m);
        return DefWindowProcA(w, m, wp, lp);
    }
    static void EnsureClass() {
        static bool registered = [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = &TTestWindow::Proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "VPW_ExtenderTestWindow";
            return RegisterClassA(&wc) != 0;
        }();
        (void)registered;
    }
    static HWND Create(const char* caption = "extender test") {
        EnsureClass();
        return CreateWindowExA(0, "VPW_ExtenderTestWindow", caption, WS_OVERLAPPEDWINDOW, 10, 10, 200, 100, nullptr,
                               nullptr, GetModuleHandleA(nullptr), nullptr);
    }
    static bool Saw(UINT message) {
        for (UINT m : Seen())
            if (m == message) return true;
        return false;
    }
};

}  // namespace vpw::test
