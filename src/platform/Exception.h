#pragma once
// The one base of every failure meant for the user: it carries a finished message (UTF-8).
#include <stdexcept>
#include <string>

namespace qm {

class Exception : public std::runtime_error {
public:
    explicit Exception(const std::string& message) : std::runtime_error(message) {}
    const std::string Message() const { return what(); }
};

// A text that the ANSI code page cannot represent, or bytes that are not valid in it.
class EEncodingError : public Exception {
public:
    using Exception::Exception;
};

// Reading past the end of a stream.
class EReadError : public Exception {
public:
    using Exception::Exception;
};

// A write that the stream could not complete.
class EWriteError : public Exception {
public:
    using Exception::Exception;
};

// Assign from an object of another class, an index out of bounds and similar misuse.
class EConvertError : public Exception {
public:
    using Exception::Exception;
};

class EListError : public Exception {
public:
    using Exception::Exception;
};

} // namespace qm
