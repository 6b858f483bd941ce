// The meters' small dialogs: one number in edit field 151, checked against
// its limits when the user presses OK. A refused entry is told and the
// dialog stays open with the old value untouched.
#pragma once

#include <windows.h>

#include <cstdint>

#include "instruments/meter/NumberEntry.h"

class CNumberEntryDlg {
public:
    static constexpr int kEditId = 151;

    CNumberEntryDlg(uint32_t templateId, const EntryLimits& limits, uint32_t refusalTextId, double value)
        : m_templateId(templateId), m_limits(limits), m_refusalTextId(refusalTextId), m_value(value)
    {
    }
    virtual ~CNumberEntryDlg() = default;

    // True when the user accepted a valid value.
    bool DoModal(HWND owner);
    double Value() const { return m_value; }

private:
    static INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
    bool Accept(HWND dialog);

    uint32_t m_templateId;
    EntryLimits m_limits;
    uint32_t m_refusalTextId;
    double m_value;
};

// The shunt resistance of an ammeter [Ohm].
class CSelectShuntDlg : public CNumberEntryDlg {
public:
    static constexpr uint32_t kTemplateId = 6007;
    static constexpr uint32_t kRefusalText = 6010;
    explicit CSelectShuntDlg(double ohms) : CNumberEntryDlg(kTemplateId, kShuntLimits, kRefusalText, ohms) {}
};

// The thermometer's calibration offset [degrees].
class CCalibrateTempDlg : public CNumberEntryDlg {
public:
    static constexpr uint32_t kTemplateId = 6008;
    static constexpr uint32_t kRefusalText = 6011;
    explicit CCalibrateTempDlg(double offset)
        : CNumberEntryDlg(kTemplateId, kCalibrationLimits, kRefusalText, offset)
    {
    }
};
