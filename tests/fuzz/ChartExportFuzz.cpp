// Loads a chart's export settings from arbitrary bytes: the first byte says
// whether the chart offers the text format, the rest is the archive. A
// damaged archive may end in an archive exception and must then leave the
// settings as they were; one that loads must give a usable choice and image
// sizes a bitmap can be made of, and store and load back to itself.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "charts/Export.h"
#include "framework/Exception.h"
#include "framework/File.h"

namespace {

void Check(bool condition)
{
    if (!condition)
        std::abort();
}

std::vector<uint8_t> Stored(CExport& settings)
{
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        settings.Serialize(ar);
    }
    return file.Data();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    CExport settings;
    if (data[0] & 1)
        settings.AddTextFormat();
    settings.formats[0]->fileName = u"before.emf";
    const std::vector<uint8_t> before = Stored(settings);
    try {
        CMemFile file(data + 1, size - 1);
        CArchive ar(&file, CArchive::load);
        settings.Serialize(ar);
    } catch (const CArchiveException&) {
        Check(Stored(settings) == before);
        return 0;
    }
    Check(settings.destination <= CExport::file && settings.Chosen() != nullptr);
    for (const auto& format : settings.formats) {
        if (const auto* image = dynamic_cast<const CExportImageFormat*>(format.get()))
            Check(image->width >= image->smallest && image->width <= image->largest &&
                  image->height >= image->smallest && image->height <= image->largest);
    }
    const std::vector<uint8_t> stored = Stored(settings);
    CExport again;
    if (data[0] & 1)
        again.AddTextFormat();
    CMemFile file(stored.data(), stored.size());
    CArchive ar(&file, CArchive::load);
    again.Serialize(ar);
    Check(Stored(again) == stored);
    return 0;
}
