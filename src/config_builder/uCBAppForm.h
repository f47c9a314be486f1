// The configuration program's main window: a control bar with the menu bar
// and the tool bar on top, the rule tree on the left, a splitter, and the
// detail area that hosts the panel of the selected node. The form holds no
// logic: the document root's facet fills and wires it.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <string>

#include "UIToolkit.h"
#include "WinHandles.h"
#include "uUIBinding.h"

namespace vpw {

inline constexpr char CB_MAIN_WINDOW_CLASS[] = "TCBAppForm";
inline constexpr char CB_DETAIL_AREA_CLASS[] = "VPW_DetailArea";
inline constexpr char CB_SPLITTER_CLASS[] = "VPW_Splitter";

// Control ids of the form's components.
enum TCBAppFormControl : int {
    idControlBar = 100,
    idMenuToolBar = 101,
    idToolBarToolBar = 102,
    idTreeView = 103,
    idSplitter = 104,
    idDetailPanel = 105,
};

// Modal results.
inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;

// The modal loop of every form of the program: runs the thread's messages
// until `modalResult` leaves mrNone. `filter` sees each message first (true:
// taken); `idle` runs whenever the queue is empty. A quit message ends the
// loop with mrCancel and is posted again for the loop outside.
int RunModalLoop(int& modalResult, const std::function<bool(MSG&)>& filter,
                 const std::function<void()>& idle = nullptr);

// True when the focused window is a text field and the key is one of its
// own editing keys, which no command may take from it.
bool KeepsEditingKey(HWND focus, unsigned key, TShiftState shift);

class TCBAppFormStorage;

class TCBAppForm {
public:
    TCBAppForm();
    ~TCBAppForm();
    TCBAppForm(const TCBAppForm&) = delete;
    TCBAppForm& operator=(const TCBAppForm&) = delete;

    HWND Handle() const { return window_.Get(); }
    void SetCaption(const std::string& caption);

    // Shows the window and runs its messages until it closes; the result
    // says how (mrCancel when closed).
    int ShowModal();
    // Asks the close question; closes when it allows.
    void Close();
    int ModalResult() const { return modalResult_; }

    TWinTreeView& TreeView() { return *treeView_; }
    TWinToolBar& MenuToolBar() { return *menuToolBar_; }
    TWinToolBar& ToolBarToolBar() { return *toolBarToolBar_; }
    HWND DetailPanel() const { return detailPanel_; }
    HWND ControlBar() const { return controlBar_; }
    HWND Splitter() const { return splitter_; }
    HIMAGELIST ToolBarImages() const { return toolBarImages_.Get(); }
    HIMAGELIST TreeViewImages() const { return treeViewImages_.Get(); }
    HIMAGELIST TreeViewStateImages() const { return treeViewStateImages_.Get(); }

    int TreeWidth() const { return treeWidth_; }
    void SetTreeWidth(int width);
    // Fits the control bar's bands to their tool bars and lays the form out.
    void LayoutBars();

    // Events.
    std::function<void(bool& canClose)> OnCloseQuery;
    // A key pressed anywhere in the form; true when a command took it.
    std::function<bool(unsigned key, TShiftState shift)> OnShortCut;
    // The message queue ran empty (actions update their state here).
    std::function<void()> OnIdle;

    LRESULT WndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

private:
    static LRESULT CALLBACK FormWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK SplitterWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK DetailAreaWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept;
    static LRESULT CALLBACK TreeSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                             UINT_PTR id, DWORD_PTR data) noexcept;

    void CreateComponents();
    HWND CreateToolBar(int id, bool showText);
    void AddBand(HWND toolBar, bool newRow);
    void Layout();
    bool PreTranslate(const MSG& msg);
    void Idle();
    void OnCommand(WPARAM wParam, LPARAM lParam);
    bool OnNotify(const NMHDR* header, LRESULT& result);
    TWinToolBar* BarOf(HWND window);
    LRESULT SplitterMessage(UINT message, WPARAM wParam, LPARAM lParam);

    // Image lists first: they outlive the controls that show them.
    TImageList toolBarImages_;
    TImageList treeViewImages_;
    TImageList treeViewStateImages_;
    TWindow window_;
    // Children of the window, destroyed with it.
    HWND controlBar_ = nullptr;
    HWND treeHandle_ = nullptr;
    HWND splitter_ = nullptr;
    HWND detailPanel_ = nullptr;
    std::unique_ptr<TWinTreeView> treeView_;
    std::unique_ptr<TWinToolBar> menuToolBar_;
    std::unique_ptr<TWinToolBar> toolBarToolBar_;
    // Remembers the placement, tree width and bar layout between runs.
    std::unique_ptr<TCBAppFormStorage> formStorage_;
    int treeWidth_ = 161;
    int modalResult_ = mrNone;
    bool running_ = false;
    int dragOffset_ = -1;
    HWND lastFocus_ = nullptr;  // a child: no owner
};

}  // namespace vpw
