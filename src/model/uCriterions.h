// Criteria: each tests one property of a window (class name or caption).
#pragma once
#include <optional>

#include "uEnabledItem.h"

namespace vpw {

// Registers "CRITERIONS", "WINDOWCLASSNAMECRITERION" and "WINDOWCaptionCriterion".
void RegisterCriterionClasses();

class TCriterion : public TEnabledItem, public virtual IRuleCriterion {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;
    void Initialize() override;
    IPtr<IInterface> GetInterfaceByName(const std::string& name) override;
    bool SupportsName(const std::string& name) override;

    bool IsEnabled() override { return TEnabledItem::IsEnabled(); }
    bool Matches(HWND window) override;
};

class TCriterions : public TBOM_UI_Collection {
public:
    void Initialize() override;
};

// While one exists on a thread, the criteria read the class name and the
// caption of its window once: reading another process's window costs far
// more than testing a rule, and a lookup tests every rule.
class TWindowTextCache {
public:
    explicit TWindowTextCache(HWND window);
    ~TWindowTextCache();
    TWindowTextCache(const TWindowTextCache&) = delete;
    TWindowTextCache& operator=(const TWindowTextCache&) = delete;

    static std::string ClassName(HWND window);
    static std::string Caption(HWND window);

private:
    static TWindowTextCache* For(HWND window);

    HWND window_;
    std::optional<std::string> className_;
    std::optional<std::string> caption_;
    TWindowTextCache* outer_;
};

class TWindowClassNameCriterion : public TCriterion {
public:
    void Initialize() override;
    // Off while the class name is empty.
    bool IsEnabled() override;
    // Exact, case-sensitive comparison of the class name.
    bool Matches(HWND window) override;
    std::string WantedClassName() { return ParamText("window_class_name"); }
};

class TWindowCaptionCriterion : public TCriterion {
public:
    void Initialize() override;
    // Off while the caption is empty.
    bool IsEnabled() override;
    // Only "no" turns exact search off.
    bool IsExactSearch();
    // The whole caption, or (without exact search) any part of it, case-sensitive.
    bool Matches(HWND window) override;
    std::string WantedCaption() { return ParamText("window_caption"); }
    // The test of Matches on a caption already read.
    static bool CaptionMatches(const std::string& caption, const std::string& wanted, bool exact);
};

}  // namespace vpw
