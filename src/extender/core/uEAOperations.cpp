#include "uEAOperations.h"

#include "EARoutines.h"
#include "Routines.h"

namespace vpw {

bool TOperation::QueryInterface(const TGUID& iid, void** out) {
    *out = nullptr;
    return AnswerInterfaces<IOperation>(this, iid, out) || TAbstractParamsItem::QueryInterface(iid, out);
}

void TOperation::Initialize() {
    TAbstractParamsItem::Initialize();
    for (TBitmap* b : {&image_, &downImage_, &smallImage_, &smallDownImage_}) b->Reset();
}

void TOperation::LoadOperationBitmap(TBitmap& field, const std::string& resourceName) {
    // A key given twice must not leak the first bitmap.
    field.Reset();
    field.Reset(LoadBitmapA(LibraryInstance(), resourceName.c_str()));
}

void TOperation::ParseParam(const std::string& key, const std::string& value) {
    try {
        TAbstractParamsItem::ParseParam(key, value);
        if (key == "CAPTION") caption_ = value;
        else if (key == "HINT") hint_ = value;
        else if (key == "DEFAULT") default_ = IsYes(value);
        else if (key == "DIRECTCALL") directCall_ = IsYes(value);
        else if (key == "IMAGE") LoadOperationBitmap(image_, value);
        else if (key == "DOWNIMAGE") LoadOperationBitmap(downImage_, value);
        else if (key == "IMAGE_SMALL") LoadOperationBitmap(smallImage_, value);
        else if (key == "DOWNIMAGE_SMALL") LoadOperationBitmap(smallDownImage_, value);
    } catch (...) {
    }
}

bool TOperations::QueryInterface(const TGUID& iid, void** out) {
    *out = nullptr;
    return AnswerInterfaces<IOperations>(this, iid, out) || TAbstractCollection::QueryInterface(iid, out);
}

void RegisterEAOperationClasses() { RegisterEAItemClass(ItemClassOf<TOperation>(), "OPERATION"); }

}  // namespace vpw
