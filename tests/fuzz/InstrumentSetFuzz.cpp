// Loads arbitrary bytes as an instrument set into an interface object in
// demonstration mode. Whatever the document, loading must end normally or in
// CArchiveException, leave no instrument half-made, and never crash.
#include <cstdint>
#include <cstdlib>

#include "../interface/FakeServices.h"
#include "interface/Vexaface.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FakeServices fake;
    fake.settings.WriteNumber(SettingsHive::CurrentUser, u"Software\\Brennick\\Vexa Interface\\Settings",
                              u"DemoMode", 1);
    // Some ids load through the catalogue, some only directly, some not at all.
    fake.instruments.known = [](uint32_t id) { return id % 3 == 0; };
    fake.instruments.direct = [](uint32_t id) { return id % 3 == 1; };
    {
        CVexaface face(fake.Services());
        face.Connect(true, false, false);
        face.AttachUnit(kUnitRelays);
        CMemFile file(data, size);
        CArchive ar(&file, CArchive::load);
        try {
            face.SerializeAll(ar);
        } catch (const CArchiveException&) {
        }
        // Every instrument made is either registered or destroyed.
        if (static_cast<size_t>(face.Events().GetCount()) != fake.instruments.made.size())
            std::abort();
    }
    return 0;
}
