// The exception classes of the class library the program was designed
// around. Handlers and tests catch by these types, so the hierarchy follows
// the library's: EOutOfResources is an EOutOfMemory, EReadError a
// EStreamError, ERangeError an EIntError.
#pragma once

#include <exception>
#include <string>

class Exception : public std::exception {
public:
    explicit Exception(std::string message) : FMessage(std::move(message)) {}
    const std::string& Message() const noexcept { return FMessage; }
    const char* what() const noexcept override { return FMessage.c_str(); }

private:
    std::string FMessage;
};

#define FV_DECLARE_EXCEPTION(Name, Parent)  \
    class Name : public Parent {            \
    public:                                 \
        using Parent::Parent;               \
    }

// Silent exception: ends an operation without a message.
class EAbort : public Exception {
public:
    using Exception::Exception;
    EAbort() : Exception("Operation aborted") {}
};

FV_DECLARE_EXCEPTION(EHeapException, Exception);
class EOutOfMemory : public EHeapException {
public:
    using EHeapException::EHeapException;
    EOutOfMemory() : EHeapException("Out of memory") {}
};
FV_DECLARE_EXCEPTION(EOutOfResources, EOutOfMemory);

FV_DECLARE_EXCEPTION(EStreamError, Exception);
FV_DECLARE_EXCEPTION(EReadError, EStreamError);
FV_DECLARE_EXCEPTION(EWriteError, EStreamError);
FV_DECLARE_EXCEPTION(EFileStreamError, EStreamError);
FV_DECLARE_EXCEPTION(EFOpenError, EFileStreamError);
FV_DECLARE_EXCEPTION(EFCreateError, EFileStreamError);

FV_DECLARE_EXCEPTION(EIntError, Exception);
class ERangeError : public EIntError {
public:
    using EIntError::EIntError;
    ERangeError() : EIntError("Range check error") {}
};

FV_DECLARE_EXCEPTION(EConvertError, Exception);
FV_DECLARE_EXCEPTION(EListError, Exception);
FV_DECLARE_EXCEPTION(EInvalidOperation, Exception);
FV_DECLARE_EXCEPTION(EInvalidGraphic, Exception);
FV_DECLARE_EXCEPTION(EInvalidGraphicOperation, Exception);
FV_DECLARE_EXCEPTION(EOSError, Exception);
