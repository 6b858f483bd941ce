// Drives the layout compiler's two readers over arbitrary input. The first
// byte chooses: even, the rest is a stored layout; odd, a layout source.
// Whatever the input, reading ends normally or in the compiler's own error
// (BinaryError, SourceError); and whatever reads must survive the whole
// circle: a decompiled layout prints as a source that compiles to the same
// bytes, and a compiled source decompiles again.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "Binary.h"
#include "Printer.h"
#include "Source.h"

using namespace panelc;

namespace {

void CheckPrintedSource(const Layout& layout, const std::vector<uint8_t>& bytes)
{
    const std::string printed = PrintLayout(layout, {});
    if (CompileLayout(ParseLayout(printed, {})) != bytes)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const std::vector<uint8_t> input(data + 1, data + size);
    if (data[0] % 2 == 0) {
        Layout layout;
        try {
            layout = DecompileLayout(input);
        } catch (const BinaryError&) {
            return 0;
        }
        CheckPrintedSource(layout, input);
        return 0;
    }
    Layout layout;
    try {
        // No folder: blob files named by the source are never found.
        layout = ParseLayout(std::string_view(reinterpret_cast<const char*>(input.data()), input.size()),
                             "/nonexistent");
    } catch (const SourceError&) {
        return 0;
    }
    const std::vector<uint8_t> bytes = CompileLayout(layout);
    CheckPrintedSource(DecompileLayout(bytes), bytes);
    return 0;
}
