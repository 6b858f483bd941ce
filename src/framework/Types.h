// Basic types shared by the portable core. Stored formats are little-endian and
// hold text as UTF-16, so text is kept as char16_t whatever the platform's
// wchar_t is; on Windows a CString's data can be handed to the wide API as is.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

using CString = std::u16string;

// Converts UTF-8 to UTF-16; invalid sequences become U+FFFD.
CString Utf8ToString(std::string_view text);

// Converts UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string StringToUtf8(std::u16string_view text);

// Decodes 8-bit text of the Western Windows code page (1252), the code page
// older stored texts were written in.
CString AnsiToString(std::string_view text);
