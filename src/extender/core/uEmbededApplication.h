// The one object of each hooked process that owns the window extenders: it
// decides which windows to attach to, asks the control center for their rule
// and builds and releases their extenders on the windows' own threads.
#pragma once
#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ProcessesCommunication.h"
#include "uEAGeneralClasses.h"
#include "uEAWindowExtender.h"

namespace vpw {

// Window classes never attached, each between two ";".
extern const char EXCLUDED_WINDOW_CLASSES[];
bool IsExcludedWindowClass(const std::string& className);
// A window of a class the library registered in its own module.
bool IsLibraryWindow(HWND window);

// Carries a fetched rule text from a request thread to the window's own
// thread: sent (never posted) so that the hook procedure sees it there.
// wParam is a ticket of the library; lParam the process id.
UINT ApplyWindowRuleMessage();

// The text of a reply to command 1: exactly its length, which must lie
// within the payload received; empty otherwise.
std::string ReplyText(const TChannelBuffer& data, int length);

class TEmbededApplication : public TAbstractItem,
                            public virtual IWindowExtenderOwner,
                            public virtual IEmbededApplication {
public:
    TEmbededApplication();
    bool QueryInterface(const TGUID& iid, void** out) override;

    // IEmbededApplication
    void AttachWindow(HWND window) override;
    void DetachWindow(HWND window) override;
    void DetachAll() override;
    // On the window's thread the extender is built at once; from any other
    // thread the text is handed to the window's thread first.
    void ApplyWindowRuleData(HWND window, const std::string& text) override;

    // IOwner, IWindowExtenderOwner
    void ReleaseSlave(ISlave* slave) override;
    void RemoveExtender(HWND window, ISlave* extender) override;

    IPtr<IWindowExtender> FindExtender(HWND window);

    // From a request thread: the reply for the listing `request` of `window`.
    void DeliverWindowRuleData(HWND window, unsigned request, const std::string& text);
    // On the window's thread, from the hook procedure: takes a handed-over text.
    void ReceiveWindowRuleData(HWND window, WPARAM ticket);

    // Unlists the window when `request` is still its listing: no rule came.
    void UnlistRequest(HWND window, unsigned request);
    // The detach message, seen by the hook procedure: a window without an
    // extender is only unlisted; an extender that is not the first in its
    // window's chain is detached here.
    void ForgetWindow(HWND window);

    bool IsListed(HWND window);
    int ExtenderCount();
    int PendingTexts();

protected:
    ~TEmbededApplication() override;

private:
    struct TListedWindow {
        HWND window;
        unsigned request;
    };
    struct TPendingText {
        HWND window;
        unsigned request;
        std::string text;
    };

    // Builds and attaches the extender when `request` is still the window's
    // current listing and it has none yet.
    void BuildExtender(HWND window, unsigned request, const std::string& text);
    // Removes the extender from the collection and the window from the list.
    void Unlist(HWND window, IWindowExtender* extender);
    int FindListed(HWND window) const;  // under the lock
    std::string RequestSynchronously(HWND window);

    IPtr<TWindowExtenders> extenders_;
    std::vector<TListedWindow> listed_;
    std::map<WPARAM, TPendingText> pending_;
    unsigned nextRequest_ = 0;
    WPARAM nextTicket_ = 0;
    std::unique_ptr<TProcessesCommunication> channel_;  // made on first use
};

// The process-wide object; none before start-up and after unload.
IPtr<TEmbededApplication> EmbededApplication();
void CreateEmbededApplication();
// Drops the object at unload; detaches nothing (see StopEmbededLibrary).
void FreeEmbededApplication();

// The process-wide lock of the attached windows and the extenders.
TLock& EmbededApplicationLock();

// Steps of the hook procedure; they never throw. Detaching runs on WM_DESTROY
// and WM_NCDESTROY.
void HookAttachWindow(const CWPSTRUCT& message);
void HookDetachWindow(const CWPSTRUCT& message);
void HookForgetWindow(const CWPSTRUCT& message);

}  // namespace vpw
