// Subclassing of foreign windows: a procedure of the library replaces the
// window's own, forwards every message to a target object and calls the
// saved procedure on request.
#pragma once
#include <windows.h>

#include "EAInterfaceDeclarations.h"

namespace vpw {

// What a hook forwards to. The hook holds a reference to it for the length of
// every call, so the target outlives a call that ends in its own release.
class TWindowProcTarget : public virtual IInterface {
public:
    virtual void WindowProc(TMessage& message) = 0;
};

struct THookRecord;
struct TWindowPlaces;

class TWHook {
public:
    // Installs at once; the target is not counted by the hook itself.
    TWHook(HWND window, TWindowProcTarget* target);
    ~TWHook();  // unhooks
    TWHook(const TWHook&) = delete;
    TWHook& operator=(const TWHook&) = delete;

    // Serves the window from the place of the library its chain runs first,
    // or from a new place on top when its chain runs none.
    void Hook();
    // Stops serving the window. The place stays in its chain, passing every
    // message on to what it called before, for as long as the window lives.
    void Unhook();
    // Runs the saved procedure and stores its result in the record. The hook
    // may be destroyed while the procedure runs; nothing of it is used after.
    void CallPrevious(TMessage& message);

    HWND Window() const { return window_; }
    WNDPROC PreviousProc() const;
    void SetPreviousProc(WNDPROC proc);
    bool Installed() const { return installed_; }
    // True while the window's messages reach the target through this hook.
    bool Receiving() const;
    // True while this hook's procedure is the window's own: nothing of a
    // host's stands before it.
    bool FirstInChain() const;
    bool Unicode() const { return unicode_; }

    // A window's chain may hold the library more than once (a host put its
    // own procedure over a pass-through place of the library, which then had
    // to subclass again on top): each place has a procedure of its own, so
    // that a call tells which place it came through.
    static constexpr int PLACES = 16;
    static WNDPROC PlaceProcedure(int place);
    static bool IsLibraryProcedure(WNDPROC proc);

    // Places of windows that are gone (a host that cut the library out of its
    // chain never brings WM_NCDESTROY to it) are given back here; the hook
    // procedure asks for it when a window with places is destroyed.
    static void NoteWindowDestroyed(HWND window);
    static void GiveBackGonePlaces();
    static int PlaceCount();

private:
    // Takes the place over from any other hook of the window.
    void ServeFrom(TWindowPlaces& places, THookRecord* record);

    HWND window_;
    TWindowProcTarget* target_;
    THookRecord* record_ = nullptr;  // counted; shared with the window while installed
    bool installed_ = false;
    bool unicode_ = false;
};

}  // namespace vpw
