// A small tagged value for collection indexes and parameter values.
#pragma once
#include <cstdint>
#include <string>

namespace vpw {

class Variant {
public:
    enum class Kind { Empty, Null, Boolean, Int8, Int16, Int32, Int64, Double, String, WideString };

    Variant() = default;
    Variant(bool v) : kind_(Kind::Boolean), int_(v ? 1 : 0) {}
    Variant(std::int8_t v) : kind_(Kind::Int8), int_(v) {}
    Variant(std::int16_t v) : kind_(Kind::Int16), int_(v) {}
    Variant(int v) : kind_(Kind::Int32), int_(v) {}
    Variant(long v) : kind_(sizeof(long) == 4 ? Kind::Int32 : Kind::Int64), int_(v) {}
    Variant(long long v) : kind_(Kind::Int64), int_(v) {}
    Variant(double v) : kind_(Kind::Double), double_(v) {}
    Variant(const char* v) : kind_(Kind::String), str_(v ? v : "") {}
    Variant(std::string v) : kind_(Kind::String), str_(std::move(v)) {}
    Variant(std::wstring v) : kind_(Kind::WideString), wstr_(std::move(v)) {}
    Variant(const wchar_t* v) : kind_(Kind::WideString), wstr_(v ? v : L"") {}

    static Variant Null() { Variant v; v.kind_ = Kind::Null; return v; }

    Kind kind() const { return kind_; }
    bool IsEmpty() const { return kind_ == Kind::Empty; }
    // An integer of 8, 16 or 32 bits: what a collection takes as a position.
    bool IsPosition() const { return kind_ == Kind::Int8 || kind_ == Kind::Int16 || kind_ == Kind::Int32; }
    bool IsText() const { return kind_ == Kind::String || kind_ == Kind::WideString; }

    long long AsInt64() const { return int_; }
    int AsInteger() const { return static_cast<int>(int_); }
    // Text form, as saved: integers in decimal, empty and null as empty text,
    // Booleans as "True"/"False".
    std::string AsString() const;

    friend bool operator==(const Variant& a, const Variant& b);
    friend bool operator!=(const Variant& a, const Variant& b) { return !(a == b); }

private:
    Kind kind_ = Kind::Empty;
    long long int_ = 0;
    double double_ = 0;
    std::string str_;
    std::wstring wstr_;
};

}  // namespace vpw
