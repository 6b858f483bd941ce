// The framework's exceptions. They are thrown by value and caught by reference,
// so nothing leaks when an exception crosses several frames.
#pragma once

#include <cstdint>
#include <exception>

class CException : public std::exception {
public:
    const char* what() const noexcept override { return "framework exception"; }
};

// A stored format that cannot be read or written. The causes keep the
// framework's numbering, which error reports show.
class CArchiveException : public CException {
public:
    enum Cause {
        none = 0,
        genericException = 1,
        readOnly = 2,
        endOfFile = 3,
        writeOnly = 4,
        badIndex = 5,
        badClass = 6,
        badSchema = 7,
    };

    explicit CArchiveException(Cause cause) : m_cause(cause) {}
    const char* what() const noexcept override;

    Cause m_cause;
};

// A file that cannot be opened, read or written.
class CFileException : public CException {
public:
    enum Cause {
        none = 0,
        genericException = 1,
        fileNotFound = 2,
        accessDenied = 5,
        endOfFile = 14,
    };

    explicit CFileException(Cause cause) : m_cause(cause) {}
    const char* what() const noexcept override;

    Cause m_cause;
};

// A resource (a panel layout, say) that neither the resource library nor the
// module itself holds. Reports show the framework's prompt kTextResourceMissing.
class CResourceException : public CException {
public:
    const char* what() const noexcept override { return "a required resource was not found"; }
};

// The framework's prompt for a missing resource; an id of the framework's own
// prompts beside the others it shows (61706 and on).
constexpr uint32_t kTextResourceMissing = 61712;

// An argument outside what an operation accepts (an index beyond a list, say).
class CInvalidArgException : public CException {
public:
    const char* what() const noexcept override { return "invalid argument"; }
};
