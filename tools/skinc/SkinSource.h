// The readable text form of a skin and its translation to and from the skin
// record (custom resource type 304) that CVISkinManager reads.
//
// The text is a list of `name = value` lines grouped in sections:
//   (no section)       version, rendering settings, background, label colour, text font,
//                      the two single colours
//   [colour_table]     the ten colours of the table, by purpose
//   [look]             the 28 look parameters, by purpose (faces as face.field)
//   [power_button]     the 34 values of the power-button appearance, by group
//   [displays]         graphic-LCD and seven-segment colours
//   [lamp_style]       one status-lamp look; the section repeats, one per style, in order
// Every field of a section must be given exactly once.
//
// Values: numbers in decimal or 0x-hex (negative where a field is signed);
// colours as #RRGGBB (opaque) or #AARRGGBB, or a number for the raw word;
// COLORREF fields (background, LCD) take #RRGGBB too and store it as the
// platform's 0x00BBGGRR; fonts as "Face" height weight, optionally followed by
// width=, escapement=, orientation=, italic=, underline=, strike_out=,
// charset=, out_precision=, clip_precision=, quality=, pitch_family=.
// A '#' followed by a blank or at the end of a line starts a comment.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

class CVISkinManager;

// A text that is not a skin, or a record that cannot be turned into text.
class SkinSourceError : public std::runtime_error {
public:
    SkinSourceError(int line, const std::string& message)
        : std::runtime_error(line > 0 ? "line " + std::to_string(line) + ": " + message : message), m_line(line)
    {
    }
    int m_line;  // 0 when the error belongs to no line
};

// Reads the text form into the skin's fields (lamp styles replaced).
void ParseSkinSource(std::string_view text, CVISkinManager& skin);
// The text form of the skin's fields, with a comment for every field.
std::string FormatSkinSource(const CVISkinManager& skin);
// The record bytes of the skin's fields.
std::vector<uint8_t> StoreSkinRecord(CVISkinManager& skin);

// Text form to record bytes.
std::vector<uint8_t> CompileSkin(std::string_view text);
// Record bytes to text form. Refuses records that are cut short, carry bytes
// after their end, or would not compile back to the very same bytes.
std::string DecompileSkin(const std::vector<uint8_t>& bytes);
