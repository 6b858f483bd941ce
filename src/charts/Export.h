// What a chart remembers about exporting itself: the formats it offers with
// their sizes and last file names, the chosen format and destination; and
// the text side of exporting (the wide text the data are written to, the
// locale's decimal sign, the bytes of a text file).
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "framework/Archive.h"
#include "framework/Types.h"

class CExportFormat {
public:
    enum class Kind { metafile, bitmap, text };

    virtual ~CExportFormat() = default;
    virtual Kind GetKind() const = 0;
    // Stores or loads the format's settings (a schema word first).
    virtual void Serialize(CArchive& ar);

    bool hasOptions = false;
    uint32_t nameId = 0;  // "Name|*.ext|" in the resource library
    CString fileName;     // last one chosen
};

// An image format: a size the user sets within limits.
class CExportImageFormat : public CExportFormat {
public:
    void Serialize(CArchive& ar) override;

    int32_t width = 0;
    int32_t height = 0;
    int32_t smallest = 10;
    int32_t largest = 0;
};

// An enhanced metafile; size in millimetres.
class CExportFormatWmf : public CExportImageFormat {
public:
    CExportFormatWmf();
    Kind GetKind() const override { return Kind::metafile; }
};

// A bitmap; size in pixels.
class CExportFormatBmp : public CExportImageFormat {
public:
    CExportFormatBmp();
    Kind GetKind() const override { return Kind::bitmap; }
};

// The chart's data as tab-separated text.
class CExportChartSimpleTxt : public CExportFormat {
public:
    CExportChartSimpleTxt();
    Kind GetKind() const override { return Kind::text; }
};

class CExport {
public:
    enum Destination : uint32_t { clipboard = 0, file = 1 };

    // Every chart offers a metafile (index 0) and a bitmap (index 1).
    CExport();

    // Adds the text format (index 2) for charts whose data can be written.
    void AddTextFormat();
    // The chosen format, or null when the index points nowhere.
    CExportFormat* Chosen() const;

    // Stores or loads destination, format index and each format in list
    // order (the count is not stored: the chart's kind fixes its list).
    void Serialize(CArchive& ar);

    uint32_t destination = clipboard;
    uint32_t formatIndex = 0;
    std::vector<std::unique_ptr<CExportFormat>> formats;
};

// The part of a format's resource text shown in the list ("Bitmap" of
// "Bitmap|*.bmp|") and its file extension ("bmp").
CString ExportFormatTitle(std::u16string_view resourceText);
CString ExportFormatExtension(std::u16string_view resourceText);

// A wide-character text being written in memory.
class CMemStream {
public:
    CMemStream& operator<<(std::u16string_view text)
    {
        m_text += text;
        return *this;
    }
    // printf-style, UTF-8 format and arguments.
    void Format(const char* format, ...);
    const CString& Text() const { return m_text; }
    CString& Text() { return m_text; }

private:
    CString m_text;
};

// Every '.' replaced by the locale's decimal sign (nothing when it is '.').
void UseDecimalSign(CString& text, char16_t decimalSign);

// The bytes of a text file in a code page: 1200 writes U+FEFF and UTF-16LE,
// 65001 the UTF-8 mark and UTF-8; any other, the text converted by
// `convert` (without one: characters above U+00FF become '?').
std::vector<uint8_t> EncodeTextFile(std::u16string_view text, uint32_t codePage,
                                    std::vector<uint8_t> (*convert)(std::u16string_view, uint32_t) = nullptr);
