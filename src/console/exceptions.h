// The exceptions the console services raise. Nothing in the game catches
// them: they travel to the process's outermost handler, which reports.
#pragma once

#include <cstdint>
#include <string_view>

// The message lives inside the object, so raising needs no allocation of
// its own (the object for memory exhaustion is made once at start-up).
class Exception {
public:
    explicit Exception(std::string_view message);
    virtual ~Exception() = default;
    virtual const char* ClassName() const { return "Exception"; }
    std::string_view Message() const { return {message_, length_}; }

private:
    static constexpr std::size_t Capacity = 96;
    char message_[Capacity];
    std::size_t length_;
};

class EInOutError : public Exception {
public:
    EInOutError(std::string_view message, std::int32_t code) : Exception(message), resultCode(code) {}
    const char* ClassName() const override { return "EInOutError"; }
    std::int32_t resultCode;
};

class EHeapException : public Exception {
public:
    using Exception::Exception;
    const char* ClassName() const override { return "EHeapException"; }
};

class EOutOfMemory : public EHeapException {
public:
    using EHeapException::EHeapException;
    const char* ClassName() const override { return "EOutOfMemory"; }
};

// Raised whenever memory runs out; exists from start-up.
extern const EOutOfMemory OutOfMemory;

// Where the exception in flight was raised, for the report.
extern const void* RaiseAddress;

// Takes the code out of StreamResult (leaving 0) and makes its error.
EInOutError MakeIoError();

// Raises the pending I/O error as if at address. While the report itself
// is being written, a failure ends the process at once with status 1.
[[noreturn]] void SignalRunError(const void* address);

// Raises OutOfMemory at the caller's position.
[[noreturn]] void RaiseOutOfMemory();
