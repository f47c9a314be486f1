// Exception base of the whole system: every error class carries its message.
#pragma once
#include <exception>
#include <string>

namespace vpw {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const char* what() const noexcept override { return message_.c_str(); }
    const std::string& Message() const noexcept { return message_; }

private:
    std::string message_;
};

#define VPW_DECLARE_EXCEPTION(Name, Base)            \
    class Name : public Base {                       \
    public:                                          \
        using Base::Base;                            \
    }

}  // namespace vpw
