// The interfaces through which the window extender's items talk to each
// other: operations, publishers and observers, actions, triggers and agents,
// the window handler and the extender itself.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "GeneralInterfaces.h"

namespace vpw {

// One window message as every handler sees it; Result becomes the window
// procedure's return value.
struct TMessage {
    UINT Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

class IActions;
class IMessageHandler;
class IObservers;
class IOperations;
class IPublisher;
class IWindowHandler;

class IWindowPartOwner : public virtual IOwner {
public:
    VPW_INTERFACE_ID("{D1FEA1C3-CAEE-4288-A6C3-B66EB864CAC6}");
    virtual IPtr<IWindowHandler> GetWindowHandler() = 0;
};

class IActionOwner : public virtual IWindowPartOwner {
public:
    VPW_INTERFACE_ID("{5DA2924B-6F7F-471F-A18E-952809D2944B}");
};

class IActionsActivatorOwner : public virtual IWindowPartOwner {
public:
    VPW_INTERFACE_ID("{B1734D33-2874-4BF9-A97A-3849317765ED}");
};

class IActionActivatorOwner : public virtual IWindowPartOwner {
public:
    VPW_INTERFACE_ID("{31006CD3-2024-4C4A-BB5D-8D7564DA84B1}");
};

// What actions, triggers and agents use to reach their window.
class IWindowHandler : public virtual IInterface {
public:
    VPW_INTERFACE_ID("{EFDE4CFC-4347-4DAF-A12E-8A86B0F3977A}");
    virtual HWND GetWindow() = 0;
    virtual void AddMessageHandler(IMessageHandler* handler) = 0;
    virtual void RemoveMessageHandler(IMessageHandler* handler) = 0;
    virtual IPtr<IActions> GetActions() = 0;
    virtual std::string GetWindowCaption() = 0;
    virtual std::string GetWindowRuleName() = 0;
    // The window is being destroyed (from its WM_DESTROY on): parts let it
    // go without sending it anything.
    virtual bool IsWindowBeingDestroyed() = 0;
    // The detach notice reached a window of a part (an icon's window): the
    // extender lets go of its window as if the window had taken it.
    virtual void LetGo() = 0;
};

// Sees every message of the window before (true = handled: the window's own
// procedure is skipped) and after the window procedure.
class IMessageHandler : public virtual IInterface {
public:
    VPW_INTERFACE_ID("{F5C57385-AB37-49A0-BA2F-F01FCB8A2EB8}");
    virtual bool BeforeMessage(TMessage& message) = 0;
    virtual void AfterMessage(TMessage& message, bool handled) = 0;
};

class IMessageHandlers : public virtual ICollection {
public:
    VPW_INTERFACE_ID("{F1C7BAA4-F521-4FD6-86E6-33F1617E00A3}");
    virtual IPtr<IMessageHandler> GetMessageHandler(const Variant& index) = 0;
    virtual void Add(IMessageHandler* handler) = 0;
};

// Bitmaps are owned by the operation; none is nullptr.
class IOperation : public virtual IItem {
public:
    VPW_INTERFACE_ID("{3361CD7C-1DA2-442E-A9DC-C11CC3779013}");
    virtual std::string GetCaption() = 0;
    virtual std::string GetHint() = 0;
    virtual HBITMAP GetImage() = 0;
    virtual HBITMAP GetDownImage() = 0;
    virtual HBITMAP GetSmallImage() = 0;
    virtual HBITMAP GetSmallDownImage() = 0;
    virtual bool GetDirectCall() = 0;
    virtual bool GetDefault() = 0;
};

class IOperations : public virtual ICollection {
public:
    VPW_INTERFACE_ID("{E132191E-8F8C-4621-B112-3F1EAE863A7E}");
    virtual IPtr<IOperation> GetOperation(const Variant& index) = 0;
    virtual void Add(IOperation* operation) = 0;
};

class IObserver : public virtual IInterface {
public:
    VPW_INTERFACE_ID("{51EEC09F-9306-417D-ACD5-C125E6202977}");
    virtual void Update(IPublisher* publisher) = 0;
    virtual bool Unsubscribed(IPublisher* publisher) = 0;
};

class IObservers : public virtual ICollection {
public:
    VPW_INTERFACE_ID("{7C333FCD-B2C1-4110-B209-58E2DE9E4DFF}");
    virtual IPtr<IObserver> GetObserver(const Variant& index) = 0;
    virtual void Add(IObserver* observer) = 0;
};

class IPublisher : public virtual IInterface {
public:
    VPW_INTERFACE_ID("{1ED44137-DA37-4DCD-BCD6-74B2CAF76386}");
    virtual IPtr<IItem> GetOwner() = 0;
    virtual void Subscribe(IObserver* observer) = 0;
    virtual void Unsubscribe(IObserver* observer) = 0;
};

class IPublisherSlave : public virtual ISlave {
public:
    VPW_INTERFACE_ID("{9181DFAD-61D4-4B16-97F9-29A1EF264E76}");
    virtual IPtr<IObservers> GetObservers() = 0;
    virtual void NotifyObservers() = 0;
};

class IPublisherOwner : public virtual IOwner {
public:
    VPW_INTERFACE_ID("{269FC6B1-07B7-4D63-BECF-3F4D0E4B9417}");
};

class IWindowPart : public virtual IItem {
public:
    VPW_INTERFACE_ID("{3CC955CD-8F32-4507-AC6F-73035A237957}");
    virtual void AttachWindow() = 0;
    virtual void DetachWindow() = 0;
};

class IAction : public virtual IWindowPart {
public:
    VPW_INTERFACE_ID("{207E06FD-F347-4FB0-A206-5E90E8E774F3}");
    virtual IPtr<IOperations> GetOperations() = 0;
    virtual IPtr<IOperation> GetNextOperation() = 0;
    virtual bool ExecuteOperation(const std::string& name) = 0;
    virtual bool ExecuteNextOperation() = 0;
    virtual IPtr<IPublisher> GetPublisher() = 0;
    virtual IPtr<IOperation> GetCurrentOperation() = 0;
    virtual bool ApplyHoverEffect(const std::string& name) = 0;
    virtual bool RemoveHoverEffect() = 0;
};

// An action that changes its window only for a while (rolled up, hidden in
// the tray or at the screen edge) turns a placement read from the window
// back into the one the user knows, so that a saved placement never keeps
// the passing state.
class IPlacementCorrector : public virtual IInterface {
public:
    VPW_INTERFACE_ID("{8E0B6C51-3F2A-4D7E-9B14-C6A5D2E87F03}");
    virtual void CorrectPlacement(WINDOWPLACEMENT& placement) = 0;
};

class IActions : public virtual ICollection {
public:
    VPW_INTERFACE_ID("{0409B4CE-B75F-415B-8326-521485A9C0EF}");
    virtual IPtr<IAction> GetAction(const Variant& index) = 0;
    virtual void Add(IAction* action) = 0;
};

class ITrigger : public virtual IWindowPart {
public:
    VPW_INTERFACE_ID("{630F0AF0-4F09-46FC-9CEC-EE6AA6272444}");
};

class IActionsActivators : public virtual ICollection {
public:
    VPW_INTERFACE_ID("{3230DD5D-1C00-482A-BFC1-797CA42EA4DC}");
    virtual IPtr<ITrigger> GetActionsActivator(const Variant& index) = 0;
    virtual void Add(ITrigger* trigger) = 0;
};

class IAgent : public virtual IWindowPart {
public:
    VPW_INTERFACE_ID("{60C04E36-35FD-45B9-BE90-42B428A822DF}");
    virtual std::string GetActionName() = 0;
    virtual std::uint8_t GetActionKind() = 0;  // 1 concrete, 0 next operation
    virtual std::string GetOperationName() = 0;
    virtual void Execute() = 0;
};

class IActionActivators : public virtual ICollection {
public:
    VPW_INTERFACE_ID("{545F1F67-4F46-4741-85B5-859CC8669C85}");
    virtual IPtr<IAgent> GetActionActivator(const Variant& index) = 0;
    virtual void Add(IAgent* agent) = 0;
};

class IMessageAgent : public virtual IAgent {
public:
    VPW_INTERFACE_ID("{F5B90B78-9291-4D7A-8A29-A8E9925519AA}");
};

class IMouseHoverAgent : public virtual IAgent {
public:
    VPW_INTERFACE_ID("{51B39B1E-10C0-4685-AE26-C9C21F375000}");
    virtual void Hover() = 0;
    virtual void Leave() = 0;
};

class ICaptionButtonAgent : public virtual IAgent {
public:
    VPW_INTERFACE_ID("{5251A512-3008-4B40-91B2-1C33A267C1C6}");
    virtual int GetButtonWidth() = 0;
    virtual int GetButtonHeight() = 0;
    virtual int GetLeft() = 0;
    virtual void SetLeft(int left) = 0;
    virtual void Paint() = 0;
    virtual bool IsPointOverButton(int x, int y) = 0;  // screen coordinates
};

class ICaptionButtonTrigger : public virtual IActionActivatorOwner {
public:
    VPW_INTERFACE_ID("{3A671CAF-D474-4DEC-BF78-EA7185220BC8}");
    virtual std::uint8_t GetBorderStyle() = 0;
    virtual bool GetWindowActive() = 0;
    virtual void GetFrameSize(int& width, int& height) = 0;
};

class IWindowExtender : public virtual ISlave {
public:
    VPW_INTERFACE_ID("{995883F5-3888-4545-9208-5E539CC20ABB}");
    virtual HWND GetWindow() = 0;
    virtual void AttachWindow(HWND window) = 0;
    virtual void DetachWindow() = 0;
};

class IWindowExtenders : public virtual ICollection {
public:
    VPW_INTERFACE_ID("{DA7B7BC1-8FD4-4124-961D-37D2E1040767}");
    virtual IPtr<IWindowExtender> GetWindowExtender(const Variant& index) = 0;
    virtual void Add(IWindowExtender* extender) = 0;
};

class IWindowExtenderOwner : public virtual IOwner {
public:
    VPW_INTERFACE_ID("{4F9A419D-AA8A-4871-AE2E-B4397F863276}");
    virtual void RemoveExtender(HWND window, ISlave* extender) = 0;
};

class IEmbededApplication : public virtual IInterface {
public:
    VPW_INTERFACE_ID("{30DDE8EE-6C22-46AD-AD7E-64050503F3C2}");
    virtual void AttachWindow(HWND window) = 0;
    virtual void DetachWindow(HWND window) = 0;
    virtual void DetachAll() = 0;
    virtual void ApplyWindowRuleData(HWND window, const std::string& text) = 0;
};

}  // namespace vpw
