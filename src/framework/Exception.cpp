#include "framework/Exception.h"

const char* CArchiveException::what() const noexcept
{
    switch (m_cause) {
    case none: return "archive: no error";
    case genericException: return "archive: unknown error";
    case readOnly: return "archive: tried to write to an archive opened for loading";
    case endOfFile: return "archive: unexpected end of file";
    case writeOnly: return "archive: tried to read from an archive opened for storing";
    case badIndex: return "archive: invalid format";
    case badClass: return "archive: unexpected object";
    case badSchema: return "archive: incompatible schema";
    }
    return "archive: error";
}

const char* CFileException::what() const noexcept
{
    switch (m_cause) {
    case none: return "file: no error";
    case fileNotFound: return "file: not found";
    case accessDenied: return "file: access denied";
    case endOfFile: return "file: end of file";
    case genericException: break;
    }
    return "file: error";
}
