#include "uCBDetailPanel.h"

#include "BOM_UI_Interfaces.h"
#include "MultiLanguages.h"
#include "Routines.h"
#include "uCBRoutines.h"

namespace vpw {

namespace {

constexpr UINT kRunPosted = WM_APP + 0x2C1;

}  // namespace

int StackHeight(TDetailPanelFrame* panel) {
    if (auto* own = dynamic_cast<TCBDetailPanel*>(panel)) return own->PanelHeight();
    return panel ? panel->Height() : 0;
}

std::string GroupCaption(const std::string& name, const std::string& formCaption) {
    return " " + Translate(name, Trim(formCaption)) + " ";
}

TCBDetailPanel::TCBDetailPanel(int height) : TDetailPanelFrame(108, height, 20), panelHeight_(height) {}

TCBDetailPanel::~TCBDetailPanel() {
    // Panels of other objects go back to where unshown panels wait, so that
    // destroying this frame does not destroy their windows under them.
    for (TDetailPanelFrame* panel : EmbeddedIn(nullptr)) panel->Park();
}

void TCBDetailPanel::ParkEmbeddedWithin(HWND child) {
    for (const TEmbedded& e : embedded_)
        if (e.container == child || IsChild(child, e.container))
            if (TDetailPanelFrame* panel = FrameOfWindow(e.frame)) panel->Park();
}

void TCBDetailPanel::SetPanelHeight(int height) {
    panelHeight_ = height;
    if (GetAlign() != TAlign::alClient && Handle()) {
        RECT r{};
        GetWindowRect(Handle(), &r);
        SetWindowPos(Handle(), nullptr, 0, 0, r.right - r.left, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

bool TCBDetailPanel::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    if (message == WM_SIZE) {
        Layout(LOWORD(lParam), HIWORD(lParam));
        return false;
    }
    // A holder of this panel's goes first (a control of a subclass): the
    // panels of other objects in it are taken out before it is destroyed.
    if (message == WM_PARENTNOTIFY && LOWORD(wParam) == WM_DESTROY) {
        ParkEmbeddedWithin(reinterpret_cast<HWND>(lParam));
        return false;
    }
    if (message == kRunPosted) {
        std::vector<std::function<void()>> work;
        work.swap(posted_);
        for (auto& w : work) w();
        result = 0;
        return true;
    }
    return false;
}

void TCBDetailPanel::Relayout() {
    RECT r{};
    if (Handle() && GetClientRect(Handle(), &r)) Layout(r.right, r.bottom);
}

bool TCBDetailPanel::ReadParam(const std::string& path, std::string& value) {
    IPtr<IBOMParam> param = ParamAt(path);
    if (!param) return false;
    value = param->GetValue().AsString();
    return true;
}

TDetailPanelFrame* TCBDetailPanel::Embed(IBOMObject* item, const std::string& kind, HWND container) {
    if (!item || !container) return nullptr;
    IPtr<IUIElement> element = Supports<IUIElement>(item->GetInterfaceByName("UIElement"));
    if (!element) return nullptr;
    auto* panel = dynamic_cast<TDetailPanelFrame*>(element->GetDetailPanel(kind));
    if (!panel || !panel->Handle()) return nullptr;
    Adopt(panel, container);
    return panel;
}

int TCBDetailPanel::EmbedEach(IBOMCollection* items, const std::string& kind, HWND container,
                              const std::function<bool(IBOMObject*)>& wanted) {
    int total = 0;
    for (int i = 0; items && i < items->Count(); ++i) {
        IPtr<IBOMObject> item = items->Item(Variant(i));
        if (!item || (wanted && !wanted(item.get()))) continue;
        if (TDetailPanelFrame* panel = Embed(item.get(), kind, container)) total += StackHeight(panel);
    }
    return total;
}

void TCBDetailPanel::Adopt(TDetailPanelFrame* panel, HWND container) {
    panel->SetAlign(TAlign::alNone);
    panel->PlaceIn(container);
    embedded_.push_back({container, panel->Handle()});
}

std::vector<TDetailPanelFrame*> TCBDetailPanel::EmbeddedIn(HWND container) const {
    std::vector<TDetailPanelFrame*> panels;
    for (const TEmbedded& e : embedded_)
        if (!container || e.container == container)
            if (TDetailPanelFrame* panel = FrameOfWindow(e.frame)) panels.push_back(panel);
    return panels;
}

int TCBDetailPanel::StackEmbedded(HWND container, int left, int top, int width) const {
    for (TDetailPanelFrame* panel : EmbeddedIn(container)) {
        int height = StackHeight(panel);
        MoveWindow(panel->Handle(), left, top, width, height, TRUE);
        top += height;
    }
    return top;
}

void TCBDetailPanel::Post(std::function<void()> work) {
    posted_.push_back(std::move(work));
    PostMessageA(Handle(), kRunPosted, 0, 0);
}

}  // namespace vpw
