// The base of the configuration program's detail panels: parameters read
// and written by path from the bound object, sub-panels of other objects
// embedded one below another, and work posted to run after the current
// message (so that no message box opens inside a focus change).
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "BOMInterfaces.h"
#include "Exceptions.h"
#include "uDetailPanelFrame.h"

namespace vpw {

VPW_DECLARE_EXCEPTION(EDetailPanelError, Exception);

class TCBDetailPanel : public TDetailPanelFrame {
public:
    explicit TCBDetailPanel(int height);
    ~TCBDetailPanel() override;

    // The height the panel asks for when it is stacked in a container.
    int PanelHeight() const { return panelHeight_; }
    void SetPanelHeight(int height);

    static const char* YesNo(bool value) { return value ? "yes" : "no"; }

protected:
    bool HandleMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    // The frame's client size changed (also once after creation).
    virtual void Layout(int width, int height) {}
    // Lays the panel out again at its present size.
    void Relayout();

    // False, and value untouched, when the path reaches no parameter.
    bool ReadParam(const std::string& path, std::string& value);
    // False when the path reaches no parameter.
    bool WriteParam(const std::string& path, const std::string& value) { return SetParamValueAt(path, Variant(value)); }

    // Shows the item's panel of that kind in the container, below the
    // panels embedded there before; nothing when the item has none.
    TDetailPanelFrame* Embed(IBOMObject* item, const std::string& kind, HWND container);
    // Embeds the panel of that kind of every item (that `wanted` accepts,
    // when given), in order; the height they take together.
    int EmbedEach(IBOMCollection* items, const std::string& kind, HWND container,
                  const std::function<bool(IBOMObject*)>& wanted = nullptr);
    // Shows a panel that another object owns in the container.
    void Adopt(TDetailPanelFrame* panel, HWND container);
    // The panels embedded in the container, in order, still alive.
    std::vector<TDetailPanelFrame*> EmbeddedIn(HWND container) const;
    // Lays the container's panels out from `top` at `width`; the bottom.
    int StackEmbedded(HWND container, int left, int top, int width) const;
    // Runs after the message being handled now.
    void Post(std::function<void()> work);

private:
    void ParkEmbeddedWithin(HWND child);

    struct TEmbedded {
        HWND container;
        HWND frame;
    };
    std::vector<TEmbedded> embedded_;
    std::vector<std::function<void()>> posted_;
    int panelHeight_;
};

// The height a panel takes in a stack.
int StackHeight(TDetailPanelFrame* panel);
// " Caption ": group-box captions are trimmed for the lookup and padded.
std::string GroupCaption(const std::string& name, const std::string& formCaption);

}  // namespace vpw
