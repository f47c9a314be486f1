#include "Variant.h"

#include <cstdio>

namespace vpw {

std::string Variant::AsString() const {
    switch (kind_) {
    case Kind::Empty:
    case Kind::Null: return {};
    case Kind::Boolean: return int_ ? "True" : "False";
    case Kind::Int8:
    case Kind::Int16:
    case Kind::Int32:
    case Kind::Int64: return std::to_string(int_);
    case Kind::Double: {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%.15g", double_);
        return buf;
    }
    case Kind::String: return str_;
    case Kind::WideString: {
        // Outside the ANSI range there is no faithful byte; keep what fits.
        std::string s;
        s.reserve(wstr_.size());
        for (wchar_t c : wstr_) s.push_back(static_cast<unsigned>(c) < 256 ? static_cast<char>(c) : '?');
        return s;
    }
    }
    return {};
}

bool operator==(const Variant& a, const Variant& b) {
    if (a.IsText() && b.IsText()) return a.AsString() == b.AsString();
    if (a.kind_ != b.kind_) {
        bool ai = a.IsPosition() || a.kind_ == Variant::Kind::Int64;
        bool bi = b.IsPosition() || b.kind_ == Variant::Kind::Int64;
        return ai && bi && a.int_ == b.int_;
    }
    switch (a.kind_) {
    case Variant::Kind::Empty:
    case Variant::Kind::Null: return true;
    case Variant::Kind::Double: return a.double_ == b.double_;
    default: return a.int_ == b.int_;
    }
}

}  // namespace vpw
