// Exceptions and the system helper routines every module uses.
//
// The program's `string` is std::string holding UTF-8; lengths and positions are
// in bytes. Every exception of the program derives from `Exception` and carries
// one message text.
#pragma once

#include <stdexcept>
#include <string>

namespace lumvor {

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : message_(std::move(message)) {}
    const std::string& Message() const { return message_; }
    void SetMessage(std::string message) { message_ = std::move(message); }
    const char* what() const noexcept override { return message_.c_str(); }

private:
    std::string message_;
};

// Declares an exception class that adds nothing but its type to its base.
#define LUMVOR_EXCEPTION(Name, Base)        \
    class Name : public Base {              \
    public:                                 \
        using Base::Base;                   \
    }

LUMVOR_EXCEPTION(EConvertError, Exception);
LUMVOR_EXCEPTION(EListError, Exception);
LUMVOR_EXCEPTION(EOutOfMemory, Exception);
LUMVOR_EXCEPTION(EInOutError, Exception);
LUMVOR_EXCEPTION(EStreamError, Exception);
LUMVOR_EXCEPTION(EReadError, EStreamError);
LUMVOR_EXCEPTION(EWriteError, EStreamError);
LUMVOR_EXCEPTION(EFileStreamError, EStreamError);
LUMVOR_EXCEPTION(EFOpenError, EFileStreamError);
LUMVOR_EXCEPTION(EFCreateError, EFileStreamError);
LUMVOR_EXCEPTION(EInvalidGraphic, Exception);
LUMVOR_EXCEPTION(EInvalidOperation, Exception);

}  // namespace lumvor
