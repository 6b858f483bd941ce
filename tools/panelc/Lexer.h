// The words of a layout source: names, numbers, quoted texts, hex"..." byte
// strings and the marks = , { } [ ]. A '#' outside quotes starts a comment
// that runs to the end of the line.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/Types.h"

namespace panelc {

struct Token {
    enum class Kind { Name, Number, Text, Bytes, Mark, End };
    Kind kind = Kind::End;
    std::string spelling;        // as written (names, numbers, marks)
    CString text;                // Text: the decoded characters
    std::vector<uint8_t> bytes;  // Bytes: the decoded bytes
    int line = 0;
    bool startsLine = false;     // first on its line and in the first column

    bool Is(std::string_view mark) const { return kind == Kind::Mark && spelling == mark; }
};

// Splits a source into tokens, ending with an End token; throws SourceError.
std::vector<Token> Tokenize(std::string_view source);

} // namespace panelc
