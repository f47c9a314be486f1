// Ordered list of (key hash, item) entries with a linear lookup by hash.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "Exceptions.h"
#include "Md5.h"

namespace vpw {

VPW_DECLARE_EXCEPTION(EHashListError, Exception);

class THashList {
public:
    enum class THashKind { Crc32, Md5, Custom };      // Custom: h := h * 5 + byte
    enum class TDuplicates { Error, Replace, Ignore };
    using TItemDeleter = std::function<void(void*)>;

    THashList() = default;
    THashList(const THashList&) = delete;
    THashList& operator=(const THashList&) = delete;
    ~THashList();

    void SetHashKind(THashKind kind) { kind_ = kind; }
    void SetDuplicates(TDuplicates mode) { duplicates_ = mode; }
    void SetErrorOnAbsent(bool on) { errorOnAbsent_ = on; }
    void SetUpperCaseKeys(bool on) { upperCase_ = on; }
    // With a deleter the list owns its items and frees them when they go.
    void SetOwnsItems(TItemDeleter deleter) { deleter_ = std::move(deleter); }

    int Count() const { return static_cast<int>(entries_.size()); }
    int Capacity() const { return capacity_; }
    void SetCapacity(int capacity);

    void Add(const std::string& key, void* item) { Insert(Count(), key, item); }
    void Insert(int position, const std::string& key, void* item);
    int IndexOf(const std::string& key) const;
    void* Find(const std::string& key) const;
    void* Items(int position) const;
    void Delete(int position);
    void Remove(const std::string& key);
    void Clear();

private:
    using TKey = TMd5Digest;  // a 32-bit hash uses the first four bytes
    struct Entry {
        TKey key;
        void* item;
    };
    TKey KeyOf(const std::string& key) const;
    int IndexOfKey(const TKey& key) const;
    void Grow();
    void FreeItem(void* item) const { if (deleter_ && item) deleter_(item); }

    std::vector<Entry> entries_;
    int capacity_ = 0;
    THashKind kind_ = THashKind::Crc32;
    TDuplicates duplicates_ = TDuplicates::Error;
    bool errorOnAbsent_ = false;
    bool upperCase_ = true;
    TItemDeleter deleter_;
};

}  // namespace vpw
