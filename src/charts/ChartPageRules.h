// What the chart property pages accept, apart from their windows: numbers as
// a user types them, the scale of a linear and of a logarithmic axis with
// its refusals, the automatic range, pen widths and label font heights.
#pragma once

#include <cstdint>
#include <optional>

#include "charts/AxisScale.h"
#include "framework/Types.h"

// String resources of the pages' refusals.
constexpr uint32_t kTextPageNotANumber = 3130;
constexpr uint32_t kTextPageMaximumNotAbove = 3131;
constexpr uint32_t kTextPageStepNotPositive = 3132;
constexpr uint32_t kTextPageTooManyLabels = 3133;
constexpr uint32_t kTextPageSubdivisions = 3134;
constexpr uint32_t kTextPageLogNotPositive = 3135;
constexpr uint32_t kTextPageWidth = 3136;

// Limits of the pages' entries.
constexpr double kMostAxisLabels = 1000;
constexpr int32_t kMostSubdivisions = 100;
constexpr int32_t kMostPenWidth = 10;
// The automatic range aims at about this many steps.
constexpr int kAutomaticDivisions = 10;

// A number typed into a page: an optional sign, digits with a point or a
// comma (whatever the user's decimal sign is), an optional exponent
// ("1E-3"); blanks around it are ignored. None for anything else and for
// values that are not finite.
std::optional<double> ParsePageNumber(const CString& text);
// A whole number from minimum to maximum, written with digits only.
std::optional<int32_t> ParsePageInteger(const CString& text, int32_t minimum, int32_t maximum);
// How a page shows a number: up to 12 significant digits, the decimal sign
// given, an exponent only where plain digits would run long.
CString FormatPageNumber(double value, char16_t decimal);

// Which field a refusal is about; the page selects it.
enum class PageField { none, minimum, maximum, step, subdivisions };

// The scale page's fields as typed.
struct ScaleEntry {
    CString minimum;
    CString maximum;
    CString step;
    CString subdivisions;
    bool operator==(const ScaleEntry&) const = default;
};

// What the fields come to: the range and subdivisions to set, or the field
// refused with the string resource saying why.
struct ScaleVerdict {
    PageField refused = PageField::none;
    uint32_t messageId = 0;
    AxisRange range;
    int32_t subdivisions = 0;
    bool Accepted() const { return refused == PageField::none; }
    // Refuses the entry for a field, with the message that says why.
    ScaleVerdict& Refuse(PageField field, uint32_t id)
    {
        refused = field;
        messageId = id;
        return *this;
    }
};

// The scale of an axis as its page shows and takes it. A field the user
// left as it was shown keeps the value it stood for exactly, so that
// confirming an untouched page changes nothing.
class CScaleRules {
public:
    CScaleRules(const AxisRange& current, int32_t subdivisions, char16_t decimal);

    // The texts a linear axis's page opens with.
    ScaleEntry Fields() const;
    // A linear axis: every field a number, maximum above minimum, a step
    // above 0 that gives at most kMostAxisLabels labels, subdivisions 0 to
    // kMostSubdivisions. The divisor follows the step unless the range is
    // the one shown.
    ScaleVerdict Judge(const ScaleEntry& typed) const;
    // The automatic button: the readable range for the typed minimum and
    // maximum put in their fields and the step's; the subdivisions stay.
    ScaleVerdict Automatic(const ScaleEntry& typed) const;
    // The fields of an accepted range, as the page then shows them.
    ScaleEntry FieldsOf(const ScaleVerdict& verdict) const;

    // A logarithmic axis: the page shows minimum and maximum only; both
    // above 0, maximum above minimum. They become whole decades.
    ScaleVerdict JudgeLogarithmic(const ScaleEntry& typed) const;

private:
    std::optional<double> Value(const CString& typed, double current) const;
    CString Text(double value) const { return FormatPageNumber(value, m_decimal); }

    AxisRange m_current;
    int32_t m_subdivisions;
    char16_t m_decimal;
};

// A pen width typed on the line style page: 0 (thinnest) to kMostPenWidth.
std::optional<int32_t> ParsePenWidth(const CString& text);

// The stored label font height for a size the font dialog chose, in tenths
// of a point: whole points, negative (the character height), at least 1.
int32_t StoredFontHeight(int32_t pointTenths);

// Line breaks as a multi-line edit control needs them: every line feed
// preceded by a carriage return.
CString WithCarriageReturns(const CString& text);
