#include "charts/Export.h"

#include <cstdarg>
#include <cstdio>

#include "framework/Exception.h"
#include "framework/File.h"

namespace {

constexpr uint32_t kExportSchema = 1;
constexpr uint32_t kFormatSchema = 1;
constexpr uint32_t kImageFormatSchema = 2;

void ReadSchema(CArchive& ar, uint32_t expected)
{
    uint32_t schema = 0;
    ar >> schema;
    if (schema != expected)
        throw CArchiveException(CArchiveException::badSchema);
}

}  // namespace

void CExportFormat::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kFormatSchema << fileName;
        return;
    }
    ReadSchema(ar, kFormatSchema);
    ar >> fileName;
}

void CExportImageFormat::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kImageFormatSchema << width << height;
    } else {
        ReadSchema(ar, kImageFormatSchema);
        int32_t w = 0, h = 0;
        ar >> w >> h;
        // A damaged size would make a bitmap no memory can hold.
        if (w < smallest || w > largest || h < smallest || h > largest)
            throw CArchiveException(CArchiveException::badSchema);
        width = w;
        height = h;
    }
    CExportFormat::Serialize(ar);
}

CExportFormatWmf::CExportFormatWmf()
{
    hasOptions = true;
    nameId = 1211;
    width = 150;
    height = 150;
    largest = 320;
}

CExportFormatBmp::CExportFormatBmp()
{
    hasOptions = true;
    nameId = 1212;
    width = 400;
    height = 350;
    largest = 1000;
}

CExportChartSimpleTxt::CExportChartSimpleTxt()
{
    nameId = 1213;
}

CExport::CExport()
{
    formats.push_back(std::make_unique<CExportFormatWmf>());
    formats.push_back(std::make_unique<CExportFormatBmp>());
}

void CExport::AddTextFormat()
{
    formats.push_back(std::make_unique<CExportChartSimpleTxt>());
}

CExportFormat* CExport::Chosen() const
{
    return formatIndex < formats.size() ? formats[formatIndex].get() : nullptr;
}

void CExport::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar << kExportSchema << destination << formatIndex;
        for (const auto& format : formats)
            format->Serialize(ar);
        return;
    }
    ReadSchema(ar, kExportSchema);
    uint32_t storedDestination = 0, storedIndex = 0;
    ar >> storedDestination >> storedIndex;
    if (storedDestination > file)
        throw CArchiveException(CArchiveException::badSchema);
    // The formats read into themselves; a damaged one further on must not
    // leave the earlier ones changed, so they are kept aside and put back.
    CMemFile kept;
    {
        CArchive keep(&kept, CArchive::store);
        for (const auto& format : formats)
            format->Serialize(keep);
    }
    try {
        for (const auto& format : formats)
            format->Serialize(ar);
    } catch (const CArchiveException&) {
        CMemFile back(kept.Data().data(), kept.Data().size());
        CArchive restore(&back, CArchive::load);
        for (const auto& format : formats)
            format->Serialize(restore);
        throw;
    }
    destination = storedDestination;
    // A chart whose list grew or shrank since keeps a usable choice.
    formatIndex = storedIndex < formats.size() ? storedIndex : 0;
}

CString ExportFormatTitle(std::u16string_view resourceText)
{
    return CString(resourceText.substr(0, resourceText.find(u'|')));
}

CString ExportFormatExtension(std::u16string_view resourceText)
{
    const size_t bar = resourceText.find(u'|');
    // The filter reads "*.ext": the extension starts three characters on.
    if (bar == std::u16string_view::npos || bar + 3 > resourceText.size())
        return {};
    const std::u16string_view rest = resourceText.substr(bar + 3);
    return CString(rest.substr(0, rest.find(u'|')));
}

void CMemStream::Format(const char* format, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (length < 0)
        return;
    if (size_t(length) < sizeof buffer) {
        m_text += Utf8ToString(std::string_view(buffer, size_t(length)));
        return;
    }
    std::string longer(size_t(length) + 1, '\0');
    va_start(args, format);
    std::vsnprintf(longer.data(), longer.size(), format, args);
    va_end(args);
    longer.resize(size_t(length));
    m_text += Utf8ToString(longer);
}

void UseDecimalSign(CString& text, char16_t decimalSign)
{
    if (decimalSign == u'.' || decimalSign == 0)
        return;
    for (char16_t& c : text)
        if (c == u'.')
            c = decimalSign;
}

std::vector<uint8_t> EncodeTextFile(std::u16string_view text, uint32_t codePage,
                                    std::vector<uint8_t> (*convert)(std::u16string_view, uint32_t))
{
    std::vector<uint8_t> bytes;
    if (codePage == 1200) {
        bytes.reserve(2 + 2 * text.size());
        bytes.push_back(0xFF);
        bytes.push_back(0xFE);
        for (char16_t c : text) {
            bytes.push_back(uint8_t(c & 0xFF));
            bytes.push_back(uint8_t(c >> 8));
        }
        return bytes;
    }
    if (codePage == 65001) {
        const std::string utf8 = StringToUtf8(text);
        bytes = {0xEF, 0xBB, 0xBF};
        bytes.insert(bytes.end(), utf8.begin(), utf8.end());
        return bytes;
    }
    if (convert)
        return convert(text, codePage);
    for (char16_t c : text)
        bytes.push_back(c <= 0xFF ? uint8_t(c) : uint8_t('?'));
    return bytes;
}
