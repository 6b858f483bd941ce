// CHotVexaValueDisplay: the meters' own read-out. It reads the multimeter's
// class-wide records itself and shows voltage, current, dB or power with the
// unit, the range's full scale and a bar of the fraction of full scale.
#pragma once

#include <cstdint>

#include "instruments/meter/MeterFormat.h"
#include "viframework/controls/ValueDisplay.h"

class CVexaMeter;

class CHotVexaValueDisplay : public CHotValueDisplay {
public:
    static constexpr size_t kDigitCells = 4;  // sign or blank and three digits; the point takes none

    // The type code stays CHotValueDisplay's until the layout or the
    // instrument that makes it sets another.
    CHotVexaValueDisplay();

    void SetMeter(CVexaMeter* meter) { m_meter = meter; }
    void SetKind(MeterDisplayKind kind) { m_kind = kind; }
    void SetQuantity(int32_t quantity) { m_quantity = quantity; }
    void SetChannelA(bool channelA) { m_channelA = channelA; }

    // Reads the record of its channel and quantity, the channel's range and
    // shunt (power: A's value and range, B's value, range and shunt) and
    // shows them; dashes without a meter. Call with the unit lock held.
    // True when anything shown changed.
    bool Refresh();
    // Shows a prepared reading; true when anything shown changed.
    bool Show(const MeterReading& reading);

    // The digits, the unit column and the bar at the natural width.
    void AutoSize() override;
    void Draw(IPanelGraphics& graphics, CVISkinManager& skin) override;

    CVexaMeter* Meter() const { return m_meter; }
    MeterDisplayKind Kind() const { return m_kind; }
    int32_t Quantity() const { return m_quantity; }
    bool ChannelA() const { return m_channelA; }
    const CString& RangeText() const { return m_rangeText; }
    double Fraction() const { return m_fraction; }

    // Geometry inside the rectangle, for drawing and its tests [panel units].
    float DigitHeight() const;
    float DigitWidth() const;
    RectF BarArea() const;

private:
    CVexaMeter* m_meter = nullptr;
    MeterDisplayKind m_kind = MeterDisplayKind::Voltage;
    int32_t m_quantity = 4;
    bool m_channelA = true;
    CString m_rangeText;
    double m_fraction = 0;
    FontRecord m_rangeFont;
};
