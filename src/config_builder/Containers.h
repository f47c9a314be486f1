// Windows that hold other controls: a plain container, a group box with a
// caption, a box that scrolls its children vertically, and tab pages. Each
// hands its children's notices back to them.
#pragma once
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "NativeControl.h"

namespace vpw {

class TContainer : public TNativeControl {
public:
    bool Create(HWND parent, int x, int y, int w, int h, DWORD exStyle = 0);
    // Client size, whenever it changes.
    std::function<void(int width, int height)> OnResize;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
};

// The frame line and caption of a group box; children inside start below
// ContentTop.
class TGroupBox : public TContainer {
public:
    bool Create(HWND parent, const std::string& caption, int x, int y, int w, int h);
    static constexpr int ContentTop = 16;
    static constexpr int Inset = 6;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;
    // The frame with the window text in its top line; the caption check box
    // of a check group box covers that place instead.
    virtual void Paint(HDC dc);
};

class TScrollBox : public TContainer {
public:
    bool Create(HWND parent, int x, int y, int w, int h);
    // The height of what it holds; a scroll bar shows when it is taller.
    void SetContentHeight(int height);
    int GetScrollPos() const { return pos_; }

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void UpdateBar();
    void ScrollTo(int pos);

    int contentHeight_ = 0;
    int pos_ = 0;
};

// A tab control whose pages are containers; the chosen page is shown.
class TPageControl : public TNativeControl {
public:
    bool Create(HWND parent, int x, int y, int w, int h);
    // A new page at the end with that title.
    TContainer* AddPage(const std::string& title);
    int PageCount() const { return static_cast<int>(pages_.size()); }
    TContainer* Page(int index) const { return pages_[static_cast<size_t>(index)].get(); }
    int GetActivePage() const;
    void SetActivePage(int index);
    std::string PageTitle(int index) const;

protected:
    LRESULT WndProc(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    void LayOutPages();

    std::vector<std::unique_ptr<TContainer>> pages_;
};

}  // namespace vpw
