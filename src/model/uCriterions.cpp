#include "uCriterions.h"

#include "WinFuncs.h"

namespace vpw {

void RegisterCriterionClasses() {
    RegisterItemClass(ClassOf<TCriterions>(), "CRITERIONS");
    RegisterItemClass(ClassOf<TWindowClassNameCriterion>(), "WINDOWCLASSNAMECRITERION");
    RegisterItemClass(ClassOf<TWindowCaptionCriterion>(), "WINDOWCaptionCriterion");
}

// --- TWindowTextCache

namespace {
thread_local TWindowTextCache* t_currentCache = nullptr;
}

TWindowTextCache::TWindowTextCache(HWND window) : window_(window), outer_(t_currentCache) { t_currentCache = this; }

TWindowTextCache::~TWindowTextCache() { t_currentCache = outer_; }

TWindowTextCache* TWindowTextCache::For(HWND window) {
    return t_currentCache && t_currentCache->window_ == window ? t_currentCache : nullptr;
}

std::string TWindowTextCache::ClassName(HWND window) {
    TWindowTextCache* cache = For(window);
    if (!cache) return GetWindowClassName(window);
    if (!cache->className_) cache->className_ = GetWindowClassName(window);
    return *cache->className_;
}

std::string TWindowTextCache::Caption(HWND window) {
    TWindowTextCache* cache = For(window);
    if (!cache) return GetWindowCaption(window);
    if (!cache->caption_) cache->caption_ = GetWindowCaption(window);
    return *cache->caption_;
}

// --- TCriterion

bool TCriterion::QueryInterface(const TGUID& iid, void** out) {
    *out = nullptr;
    return AnswerInterfaces<IRuleCriterion>(this, iid, out) || TEnabledItem::QueryInterface(iid, out);
}

void TCriterion::Initialize() {
    TEnabledItem::Initialize();
    SetStorageTag("criterion");
    SetImageIndex(kImageNone);
}

IPtr<IInterface> TCriterion::GetInterfaceByName(const std::string& name) {
    if (IPtr<IInterface> found = TEnabledItem::GetInterfaceByName(name)) return found;
    if (name == "Criterion") return IPtr<IInterface>(static_cast<IRuleCriterion*>(this));
    return nullptr;
}

bool TCriterion::SupportsName(const std::string& name) {
    return TEnabledItem::SupportsName(name) || name == "Criterion";
}

bool TCriterion::Matches(HWND) { return false; }

// --- TCriterions

void TCriterions::Initialize() {
    TBOM_UI_Collection::Initialize();
    SetTypeName("CRITERIONS");
    SetStorageTag("criterions");
    SetItemTag("criterion");
}

// --- TWindowClassNameCriterion

void TWindowClassNameCriterion::Initialize() {
    TCriterion::Initialize();
    SetTypeName("WINDOWCLASSNAMECRITERION");
    SetDetailPanelString("DefaultDetailPanel=WindowClassCriterionDetailPanel");
    CreateParam("window_class_name", "");
    SetName(GetTypeName());
}

bool TWindowClassNameCriterion::IsEnabled() {
    return TCriterion::IsEnabled() && !ParamText("window_class_name").empty();
}

bool TWindowClassNameCriterion::Matches(HWND window) {
    return TWindowTextCache::ClassName(window) == WantedClassName();
}

// --- TWindowCaptionCriterion

void TWindowCaptionCriterion::Initialize() {
    TCriterion::Initialize();
    SetTypeName("WINDOWCaptionCriterion");
    SetDetailPanelString("DefaultDetailPanel=WindowCaptionCriterionDetailPanel");
    CreateParam("window_caption", "");
    CreateParam("exact_search", "yes");
    // A new caption criterion starts switched off.
    if (IPtr<IBOMParam> enabled = GetParam("enabled")) enabled->SetValueSilent("no");
    SetName(GetTypeName());
}

bool TWindowCaptionCriterion::IsEnabled() { return TCriterion::IsEnabled() && !ParamText("window_caption").empty(); }

bool TWindowCaptionCriterion::IsExactSearch() {
    IPtr<IBOMParam> exact = GetParam("exact_search");
    return !exact || exact->GetValue().AsString() != "no";
}

bool TWindowCaptionCriterion::Matches(HWND window) {
    return CaptionMatches(TWindowTextCache::Caption(window), WantedCaption(), IsExactSearch());
}

bool TWindowCaptionCriterion::CaptionMatches(const std::string& caption, const std::string& wanted, bool exact) {
    return exact ? caption == wanted : caption.find(wanted) != std::string::npos;
}

}  // namespace vpw
