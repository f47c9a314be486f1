// The named operations an action offers, with the glyphs of the caption
// button that runs them.
#pragma once
#include <windows.h>

#include <string>

#include "WinHandles.h"
#include "uEAGeneralClasses.h"

namespace vpw {

// Keys: NAME, CAPTION, HINT, IMAGE, DOWNIMAGE, IMAGE_SMALL, DOWNIMAGE_SMALL
// (bitmap resources of the library), DIRECTCALL, DEFAULT ("yes" in any case).
class TOperation : public TAbstractParamsItem, public virtual IOperation {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;

    void Initialize() override;
    void ParseParam(const std::string& key, const std::string& value) override;

    std::string GetCaption() override { return caption_; }
    std::string GetHint() override { return hint_; }
    HBITMAP GetImage() override { return image_.Get(); }
    HBITMAP GetDownImage() override { return downImage_.Get(); }
    HBITMAP GetSmallImage() override { return smallImage_.Get(); }
    HBITMAP GetSmallDownImage() override { return smallDownImage_.Get(); }
    bool GetDirectCall() override { return directCall_; }
    bool GetDefault() override { return default_; }

protected:
    ~TOperation() override = default;

private:
    // Replaces the bitmap in `field` by the named resource of the library, or none.
    static void LoadOperationBitmap(TBitmap& field, const std::string& resourceName);

    std::string caption_;
    std::string hint_;
    TBitmap image_;
    TBitmap downImage_;
    TBitmap smallImage_;
    TBitmap smallDownImage_;
    bool directCall_ = false;
    bool default_ = false;
};

class TOperations : public TAbstractCollection, public virtual IOperations {
public:
    bool QueryInterface(const TGUID& iid, void** out) override;
    IPtr<IOperation> GetOperation(const Variant& index) override { return LookupAs<IOperation>(index); }
    void Add(IOperation* operation) override { AddNamed(operation); }
};

// Registers "OPERATION".
void RegisterEAOperationClasses();

}  // namespace vpw
