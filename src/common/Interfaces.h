// Counted interfaces identified by GUIDs, and the one smart pointer over them.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

namespace vpw {

struct TGUID {
    std::uint8_t bytes[16] = {};

    // Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (braces optional) at compile time.
    static constexpr TGUID Parse(const char* text) {
        TGUID g{};
        int n = 0;
        bool high = true;
        std::uint8_t acc = 0;
        for (const char* p = text; *p && n < 16; ++p) {
            int v = -1;
            if (*p >= '0' && *p <= '9') v = *p - '0';
            else if (*p >= 'a' && *p <= 'f') v = *p - 'a' + 10;
            else if (*p >= 'A' && *p <= 'F') v = *p - 'A' + 10;
            if (v < 0) continue;
            if (high) { acc = static_cast<std::uint8_t>(v << 4); high = false; }
            else { g.bytes[n++] = static_cast<std::uint8_t>(acc | v); high = true; }
        }
        return g;
    }
    friend constexpr bool operator==(const TGUID& a, const TGUID& b) {
        for (int i = 0; i < 16; ++i)
            if (a.bytes[i] != b.bytes[i]) return false;
        return true;
    }
    std::string ToString() const;  // "{...}" upper case
};

#define VPW_INTERFACE_ID(text) \
    static constexpr ::vpw::TGUID IID = ::vpw::TGUID::Parse(text)

// The root of every interface: QueryInterface by GUID and a reference count.
class IInterface {
public:
    VPW_INTERFACE_ID("{00000000-0000-0000-C000-000000000046}");
    virtual bool QueryInterface(const TGUID& iid, void** out) = 0;
    virtual int AddRef() = 0;
    virtual int Release() = 0;

protected:
    virtual ~IInterface() = default;
};

// Intrusive counted pointer; holds one reference while it points somewhere.
template <class T>
class IPtr {
public:
    IPtr() = default;
    IPtr(std::nullptr_t) {}
    IPtr(T* p) : p_(p) { if (p_) p_->AddRef(); }
    IPtr(const IPtr& o) : p_(o.p_) { if (p_) p_->AddRef(); }
    IPtr(IPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    template <class U, class = std::enable_if_t<std::is_convertible_v<U*, T*>>>
    IPtr(const IPtr<U>& o) : p_(o.get()) { if (p_) p_->AddRef(); }
    ~IPtr() { reset(); }

    IPtr& operator=(const IPtr& o) { IPtr(o).swap(*this); return *this; }
    IPtr& operator=(IPtr&& o) noexcept { IPtr(std::move(o)).swap(*this); return *this; }
    IPtr& operator=(std::nullptr_t) { reset(); return *this; }

    // Takes over a reference that the caller already holds (no AddRef).
    static IPtr Adopt(T* p) { IPtr r; r.p_ = p; return r; }

    void reset() { if (T* p = std::exchange(p_, nullptr)) p->Release(); }
    void swap(IPtr& o) noexcept { std::swap(p_, o.p_); }
    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T& operator*() const { return *p_; }
    explicit operator bool() const { return p_ != nullptr; }
    friend bool operator==(const IPtr& a, const IPtr& b) { return a.p_ == b.p_; }
    friend bool operator==(const IPtr& a, std::nullptr_t) { return a.p_ == nullptr; }

private:
    T* p_ = nullptr;
};

// Asks any interface for another one; empty when the object does not answer it.
template <class T, class S>
IPtr<T> Supports(S* source) {
    if (!source) return {};
    void* out = nullptr;
    if (!source->QueryInterface(T::IID, &out) || !out) return {};
    return IPtr<T>::Adopt(static_cast<T*>(out));
}
template <class T, class S>
IPtr<T> Supports(const IPtr<S>& source) { return Supports<T>(source.get()); }

// Answers a QueryInterface for the listed interfaces of `self`.
template <class... Is, class Self>
bool AnswerInterfaces(Self* self, const TGUID& iid, void** out) {
    bool found = false;
    ((!found && iid == Is::IID
          ? (*out = static_cast<Is*>(self), self->AddRef(), found = true)
          : false),
     ...);
    return found;
}

// The counted base of every interfaced object. It starts with no references
// and deletes itself when the last one goes. The live count lets tests (and
// the Windows build, which has no leak sanitizer) see objects that never die.
class TDebugInterfacedObject : public virtual IInterface {
public:
    TDebugInterfacedObject() { ++live_; }
    TDebugInterfacedObject(const TDebugInterfacedObject&) = delete;
    TDebugInterfacedObject& operator=(const TDebugInterfacedObject&) = delete;

    bool QueryInterface(const TGUID& iid, void** out) override {
        *out = nullptr;
        return AnswerInterfaces<IInterface>(this, iid, out);
    }
    int AddRef() override { return ++refs_; }
    int Release() override {
        int r = --refs_;
        if (r == 0) delete this;
        return r;
    }
    int RefCount() const { return refs_; }
    // Drops a reference that was taken only to survive construction.
    void ReleaseNoDelete() { --refs_; }
    static int LiveObjects() { return live_; }

protected:
    ~TDebugInterfacedObject() override { --live_; }

private:
    std::atomic<int> refs_{0};
    static inline std::atomic<int> live_{0};
};

}  // namespace vpw
