// Compiles arbitrary text as a formula and evaluates what compiles. Whatever
// the text, compiling ends in code or a diagnostic inside the text, and
// evaluating stays within the stack the compiler sized.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "framework/Types.h"
#include "instruments/formula/ForComp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const CString text = Utf8ToString(std::string_view(reinterpret_cast<const char*>(data), size));
    CForComp formula;
    if (!formula.Compile(text)) {
        if (formula.Diagnostic().position > text.size() || formula.IsCompiled())
            std::abort();
        return 0;
    }
    std::vector<double> values;
    formula.EvaluateOver(64, -10, 10, values);
    double value;
    formula.Evaluate(0, value);
    return 0;
}
