#include "Containers.h"

#include <commctrl.h>

#include <algorithm>

namespace vpw {

namespace {

const char kContainerClass[] = "VPW_Container";

}  // namespace

// --- TContainer

bool TContainer::Create(HWND parent, int x, int y, int w, int h, DWORD exStyle) {
    RegisterControlClass(kContainerClass);
    return CreateControl(WS_EX_CONTROLPARENT | exStyle, kContainerClass, "",
                         WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, x, y, w, h, parent);
}

LRESULT TContainer::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    LRESULT reflected = 0;
    if (ReflectToChild(msg, wp, lp, reflected)) return reflected;
    if (msg == WM_SIZE && OnResize) {
        LRESULT result = Default(msg, wp, lp);
        OnResize(LOWORD(lp), HIWORD(lp));
        return result;
    }
    return Default(msg, wp, lp);
}

// --- TGroupBox

bool TGroupBox::Create(HWND parent, const std::string& caption, int x, int y, int w, int h) {
    if (!TContainer::Create(parent, x, y, w, h)) return false;
    SetText(caption);
    return true;
}

void TGroupBox::Paint(HDC dc) {
    RECT r{};
    GetClientRect(Handle(), &r);
    std::string caption = GetText();
    SIZE text = TextExtent(Handle(), nullptr, caption.empty() ? "Z" : caption);
    r.top = text.cy / 2;
    DrawEdge(dc, &r, EDGE_ETCHED, BF_RECT);
    if (caption.empty()) return;
    TSelectObject font(dc, WindowFont(Handle()) ? WindowFont(Handle()) : GetStockObject(DEFAULT_GUI_FONT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    SetTextColor(dc, GetSysColor(IsWindowEnabled(Handle()) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    TextOutA(dc, 8, 0, caption.c_str(), static_cast<int>(caption.size()));
}

LRESULT TGroupBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
    case WM_PAINT: {
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(Handle(), &ps);
        Paint(dc);
        EndPaint(Handle(), &ps);
        return 0;
    }
    case WM_SETTEXT: {
        LRESULT result = Default(msg, wp, lp);
        InvalidateRect(Handle(), nullptr, TRUE);
        return result;
    }
    }
    return TContainer::WndProc(msg, wp, lp);
}

// --- TScrollBox

bool TScrollBox::Create(HWND parent, int x, int y, int w, int h) {
    RegisterControlClass(kContainerClass);
    return CreateControl(WS_EX_CONTROLPARENT, kContainerClass, "",
                         WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VSCROLL, x, y, w, h, parent);
}

void TScrollBox::SetContentHeight(int height) {
    contentHeight_ = height;
    UpdateBar();
}

void TScrollBox::UpdateBar() {
    RECT client{};
    GetClientRect(Handle(), &client);
    SCROLLINFO info{};
    info.cbSize = sizeof info;
    info.fMask = SIF_RANGE | SIF_PAGE;
    info.nMin = 0;
    info.nMax = std::max(contentHeight_ - 1, 0);
    info.nPage = static_cast<UINT>(std::max<LONG>(client.bottom, 0));
    SetScrollInfo(Handle(), SB_VERT, &info, TRUE);
    ScrollTo(std::min(pos_, std::max(0, contentHeight_ - static_cast<int>(client.bottom))));
}

void TScrollBox::ScrollTo(int pos) {
    pos = std::max(pos, 0);
    if (pos == pos_) return;
    ScrollWindowEx(Handle(), 0, pos_ - pos, nullptr, nullptr, nullptr, nullptr,
                   SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
    pos_ = pos;
    SetScrollPos(Handle(), SB_VERT, pos_, TRUE);
}

LRESULT TScrollBox::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_VSCROLL) {
        RECT client{};
        GetClientRect(Handle(), &client);
        int pos = pos_, page = std::max<int>(client.bottom, 1);
        switch (LOWORD(wp)) {
        case SB_LINEUP: pos -= 16; break;
        case SB_LINEDOWN: pos += 16; break;
        case SB_PAGEUP: pos -= page; break;
        case SB_PAGEDOWN: pos += page; break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: pos = HIWORD(wp); break;
        case SB_TOP: pos = 0; break;
        case SB_BOTTOM: pos = contentHeight_; break;
        }
        ScrollTo(std::min(pos, std::max(0, contentHeight_ - page)));
        return 0;
    }
    LRESULT result = TContainer::WndProc(msg, wp, lp);
    if (msg == WM_SIZE) UpdateBar();
    return result;
}

// --- TPageControl

bool TPageControl::Create(HWND parent, int x, int y, int w, int h) {
    return CreateControl(WS_EX_CONTROLPARENT, WC_TABCONTROLA, "",
                         WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_TABSTOP, x, y, w, h, parent);
}

TContainer* TPageControl::AddPage(const std::string& title) {
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    std::string text = title;
    item.pszText = text.data();
    int index = static_cast<int>(SendMessageA(Handle(), TCM_INSERTITEMA, pages_.size(), reinterpret_cast<LPARAM>(&item)));
    if (index < 0) return nullptr;
    auto page = std::make_unique<TContainer>();
    if (!page->Create(Handle(), 0, 0, 10, 10)) return nullptr;
    pages_.push_back(std::move(page));
    LayOutPages();
    SetActivePage(GetActivePage() < 0 ? 0 : GetActivePage());
    return pages_.back().get();
}

int TPageControl::GetActivePage() const { return static_cast<int>(SendMessageA(Handle(), TCM_GETCURSEL, 0, 0)); }

void TPageControl::SetActivePage(int index) {
    SendMessageA(Handle(), TCM_SETCURSEL, index, 0);
    for (size_t i = 0; i < pages_.size(); ++i)
        ShowWindow(pages_[i]->Handle(), static_cast<int>(i) == index ? SW_SHOW : SW_HIDE);
}

std::string TPageControl::PageTitle(int index) const {
    char buf[256] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = buf;
    item.cchTextMax = sizeof buf;
    SendMessageA(Handle(), TCM_GETITEMA, index, reinterpret_cast<LPARAM>(&item));
    return buf;
}

void TPageControl::LayOutPages() {
    RECT r{};
    GetClientRect(Handle(), &r);
    SendMessageA(Handle(), TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&r));
    for (auto& page : pages_) page->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

LRESULT TPageControl::WndProc(UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == CN_NOTIFY) {
        if (reinterpret_cast<NMHDR*>(lp)->code == TCN_SELCHANGE) SetActivePage(GetActivePage());
        return 0;
    }
    LRESULT reflected = 0;
    if (ReflectToChild(msg, wp, lp, reflected)) return reflected;
    LRESULT result = Default(msg, wp, lp);
    if (msg == WM_SIZE) LayOutPages();
    return result;
}

}  // namespace vpw
