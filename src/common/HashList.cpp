#include "HashList.h"

#include <cstring>
#include <string_view>

#include "Routines.h"
#include "crc_32.h"

namespace vpw {

namespace {
constexpr int kMaxCapacity = 134217727;
}

THashList::~THashList() {
    try {
        Clear();
    } catch (...) {
    }
}

THashList::TKey THashList::KeyOf(const std::string& key) const {
    // Every lookup hashes its key: short ones are upper-cased on the stack.
    char buffer[64];
    std::string_view text = key;
    std::string upper;
    if (upperCase_ && key.size() <= sizeof buffer) {
        for (std::size_t i = 0; i < key.size(); ++i) {
            char c = key[i];
            buffer[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
        }
        text = std::string_view(buffer, key.size());
    } else if (upperCase_) {
        upper = UpperCaseAscii(key);
        text = upper;
    }
    TKey k{};
    if (kind_ == THashKind::Md5) return Md5Digest(text.data(), text.size());
    std::uint32_t h = 0;
    if (kind_ == THashKind::Crc32) {
        h = crc_32(text.data(), text.size());
    } else {
        for (unsigned char c : text) h = h * 5 + c;
    }
    std::memcpy(k.data(), &h, sizeof h);
    return k;
}

int THashList::IndexOfKey(const TKey& key) const {
    for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].key == key) return static_cast<int>(i);
    return -1;
}

void THashList::SetCapacity(int capacity) {
    if (capacity < Count() || capacity > kMaxCapacity) throw EHashListError("Invalid HashList capacity.");
    capacity_ = capacity;
    entries_.reserve(static_cast<std::size_t>(capacity));
}

void THashList::Grow() {
    int delta = capacity_ < 9 ? 4 : (capacity_ <= 64 ? 16 : capacity_ / 4);
    SetCapacity(capacity_ + delta);
}

void THashList::Insert(int position, const std::string& key, void* item) {
    if (position < 0 || position > Count()) throw EHashListError("Invalid position for HashList.");
    TKey k = KeyOf(key);
    int found = IndexOfKey(k);
    if (found >= 0) {
        switch (duplicates_) {
        case TDuplicates::Error: throw EHashListError("Duplicate entry.");
        case TDuplicates::Ignore: return;
        case TDuplicates::Replace:
            if (entries_[found].item != item) FreeItem(entries_[found].item);
            entries_[found].item = item;
            return;
        }
    }
    if (Count() == capacity_) Grow();
    entries_.insert(entries_.begin() + position, Entry{k, item});
}

int THashList::IndexOf(const std::string& key) const { return IndexOfKey(KeyOf(key)); }

void* THashList::Find(const std::string& key) const {
    int i = IndexOf(key);
    if (i < 0) {
        if (errorOnAbsent_) throw EHashListError("Hash not found.");
        return nullptr;
    }
    return entries_[i].item;
}

void* THashList::Items(int position) const {
    if (position < 0 || position >= Count()) throw EHashListError("Invalid index.");
    return entries_[position].item;
}

void THashList::Delete(int position) {
    if (position < 0 || position >= Count()) throw EHashListError("Invalid index.");
    void* item = entries_[position].item;
    entries_.erase(entries_.begin() + position);
    if (Count() < capacity_ / 2) capacity_ /= 2;
    FreeItem(item);
}

void THashList::Remove(const std::string& key) {
    int i = IndexOf(key);
    if (i < 0) throw EHashListError("Hash not found.");
    Delete(i);
}

void THashList::Clear() {
    std::vector<Entry> old;
    old.swap(entries_);
    capacity_ = 0;
    for (const Entry& e : old) FreeItem(e.item);
}

}  // namespace vpw
