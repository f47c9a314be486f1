// The base of every editor shown in the detail area for a model object, and
// the registry that creates editors by name. The frame itself (parent,
// visibility, size) is added by the configuration program's subclasses.
#pragma once
#include <string>

#include "BOMInterfaces.h"
#include "Collections.h"
#include "Variant.h"

namespace vpw {

class TAbstractDetailPanel {
public:
    TAbstractDetailPanel() = default;
    TAbstractDetailPanel(const TAbstractDetailPanel&) = delete;
    TAbstractDetailPanel& operator=(const TAbstractDetailPanel&) = delete;
    virtual ~TAbstractDetailPanel() = default;

    virtual void TranslateControls();
    // Binds the object and translates; subclasses call this first.
    virtual void Init(IBOMObject* object);
    virtual void ReleaseObject();
    // Code 1: the language changed.
    virtual void Notify(int code, int param1, int param2);
    virtual void UpdateControls();
    virtual std::string GetCaption();

    // Renames the bound object through its owner, then refreshes.
    void RenameObject(const std::string& newName);
    // Sets "params/<name>" of the bound object, with change notice.
    void SetParamValue(const std::string& name, const Variant& value) { SetParamValueAt("params/" + name, value); }
    // Sets the parameter that the path reaches from the bound object, with
    // change notice; false when it reaches none, or while loading.
    bool SetParamValueAt(const std::string& path, const Variant& value);

    // True while the panel fills its controls from the model: what change
    // handlers write back then is dropped.
    bool IsLoading() const { return loading_ > 0; }

    // Marks the panel as loading for its own lifetime.
    class TLoadingGuard {
    public:
        explicit TLoadingGuard(TAbstractDetailPanel& panel) : panel_(panel) { ++panel_.loading_; }
        ~TLoadingGuard() { --panel_.loading_; }
        TLoadingGuard(const TLoadingGuard&) = delete;
        TLoadingGuard& operator=(const TLoadingGuard&) = delete;

    private:
        TAbstractDetailPanel& panel_;
    };

    // Not GetObject: <windows.h> turns that name into a macro.
    IBOMObject* GetBoundObject() const { return object_.get(); }

protected:
    void SetCaption(const std::string& caption) { caption_ = caption; }
    // The parameter that the path reaches from the bound object, or none.
    IPtr<IBOMParam> ParamAt(const std::string& path) const;

private:
    IPtr<IBOMObject> object_;
    std::string caption_;
    int loading_ = 0;
};

// A panel class reference: builds the most-derived panel, unbound.
struct TAbstractDetailPanelClass {
    TAbstractDetailPanel* (*construct)();
    const char* debugName;
};

template <class T>
const TAbstractDetailPanelClass* DetailPanelClassOf() {
    static const TAbstractDetailPanelClass cls{[]() -> TAbstractDetailPanel* { return new T(); }, typeid(T).name()};
    return &cls;
}

// Panel classes by registered name (case-insensitive; the first name wins).
class TAbstractDetailPanelClasses : public TAbstractPointerCollection {
public:
    // Not RegisterClass: <windows.h> turns that name into a macro.
    void AddClass(const TAbstractDetailPanelClass* cls, const std::string& name);
    const TAbstractDetailPanelClass* FindClass(const std::string& name) const;
};

// Panels by kind. It does not free them; its owner does.
class TAbstractDetailPanels : public TAbstractPointerCollection {
public:
    // Nothing is stored, and nothing returned, for no panel or a taken key.
    TAbstractDetailPanel* Add(TAbstractDetailPanel* panel, const std::string& key);
    // By position or by key; nothing when absent.
    TAbstractDetailPanel* GetItem(const Variant& index) const;
};

// The process-wide registry, created on first use.
TAbstractDetailPanelClasses* DetailPanelClasses();

void RegisterDetailPanelClass(const TAbstractDetailPanelClass* cls, const std::string& name);
const TAbstractDetailPanelClass* FindDetailPanelClass(const std::string& name);
// A new unbound panel that the caller owns; nothing for an unknown name.
TAbstractDetailPanel* CreateDetailPanelByName(const std::string& name);

}  // namespace vpw
