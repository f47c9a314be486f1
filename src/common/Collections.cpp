#include "Collections.h"

#include "Routines.h"

namespace vpw {

void* TBaseCollection::AddItem(void* item, bool generateKey, std::string& key) {
    if (generateKey) {
        key = NextAutoKey();
    } else if (CompareTextAscii(Trim(highestKey_), Trim(key)) < 0) {
        highestKey_ = key;
    }
    try {
        list_.Add(key, item);
    } catch (const EHashListError& e) {
        if (e.Message() != "Duplicate entry.") throw;
        return nullptr;
    }
    return item;
}

std::string TBaseCollection::NextAutoKey() {
    if (highestKey_.empty() || static_cast<unsigned char>(highestKey_.back()) == 255)
        highestKey_.push_back('!');
    else
        highestKey_.back() = static_cast<char>(static_cast<unsigned char>(highestKey_.back()) + 1);
    return highestKey_;
}

int TBaseCollection::PositionOf(const Variant& index) const {
    if (index.IsPosition()) return index.AsInteger();
    if (index.IsText()) return list_.IndexOf(index.AsString());
    return -1;
}

void* TBaseCollection::GetItem(const Variant& index) const {
    if (index.IsPosition()) return list_.Items(index.AsInteger());
    int i = PositionOf(index);
    return i < 0 ? nullptr : list_.Items(i);
}

void TBaseCollection::Delete(const Variant& index) {
    if (index.IsPosition()) {
        list_.Delete(index.AsInteger());
    } else if (index.IsText()) {
        list_.Remove(index.AsString());
    }
}

void TBaseCollection::Clear() { list_.Clear(); }

// --- interfaces: one counted reference per stored entry

TInterfaceCollection::~TInterfaceCollection() { TInterfaceCollection::Clear(); }

IPtr<IInterface> TInterfaceCollection::Add(const IPtr<IInterface>& item, bool generateKey, std::string& key) {
    if (AddItem(item.get(), generateKey, key) && item) item->AddRef();
    return item;
}

IPtr<IInterface> TInterfaceCollection::GetItem(const Variant& index) const {
    return IPtr<IInterface>(static_cast<IInterface*>(TBaseCollection::GetItem(index)));
}

void TInterfaceCollection::Delete(const Variant& index) {
    int i = PositionOf(index);
    if (index.IsText() && i < 0) throw EHashListError("Hash not found.");
    if (!index.IsPosition() && !index.IsText()) return;
    auto* item = static_cast<IInterface*>(list_.Items(i));
    list_.Delete(i);
    if (item) item->Release();
}

void TInterfaceCollection::Clear() {
    for (int i = Count() - 1; i >= 0; --i) Delete(i);
}

// --- texts: the collection keeps its own copies

TStringCollection::~TStringCollection() { TStringCollection::Clear(); }

std::string TStringCollection::Add(const std::string& text, bool generateKey, std::string& key) {
    auto* copy = new std::string(text);
    if (!AddItem(copy, generateKey, key)) delete copy;
    return text;
}

std::string TStringCollection::GetItem(const Variant& index) const {
    auto* s = static_cast<std::string*>(TBaseCollection::GetItem(index));
    return s ? *s : std::string();
}

void TStringCollection::Delete(const Variant& index) {
    int i = PositionOf(index);
    if (index.IsText() && i < 0) throw EHashListError("Hash not found.");
    if (!index.IsPosition() && !index.IsText()) return;
    auto* s = static_cast<std::string*>(list_.Items(i));
    list_.Delete(i);
    delete s;
}

void TStringCollection::Clear() {
    for (int i = Count() - 1; i >= 0; --i) Delete(i);
}

}  // namespace vpw
