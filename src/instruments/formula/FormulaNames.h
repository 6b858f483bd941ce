// The names of the formula language: constants and functions of one or two
// arguments, with their exact definitions. Some functions also look at the
// variable X (GE, GT, LE, LT, IN) or draw a pseudo-random number (RND).
#pragma once

#include <cstdint>
#include <string_view>

// What a function may use besides its arguments.
struct FormulaContext {
    double x = 0;
    uint32_t randomState = 1;

    // A pseudo-random integer from 0 to 32767, in the sequence of the
    // platform's C library generator.
    int NextRandom()
    {
        randomState = randomState * 214013u + 2531011u;
        return static_cast<int>((randomState >> 16) & 0x7FFF);
    }
};

using FormulaFunction = double (*)(const double* args, FormulaContext& context);

struct FormulaName {
    std::u16string_view name;
    int arity;              // 0 for a constant
    FormulaFunction function;
};

// The entry of a name, or null for a name the language does not know.
// Names are matched exactly: they are written in capital letters.
const FormulaName* FindFormulaName(std::u16string_view name);
// The entry at an index of the table (as the code refers to it), or null.
const FormulaName* FormulaNameAt(size_t index);
size_t FormulaNameIndex(const FormulaName* entry);
