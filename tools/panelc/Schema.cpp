#include "Schema.h"

#include <algorithm>
#include <cstdio>

namespace panelc {

const FieldSpec* StructSpec::Find(std::string_view name) const
{
    const int index = IndexOf(name);
    return index < 0 ? nullptr : &fields[size_t(index)];
}

int StructSpec::IndexOf(std::string_view name) const
{
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name == name)
            return int(i);
    return -1;
}

namespace {

// ---------------------------------------------------------------- helpers

FieldSpec F(std::string name, FieldType type, std::string def = {})
{
    FieldSpec f;
    f.name = std::move(name);
    f.type = type;
    f.defaultText = std::move(def);
    return f;
}

FieldSpec Sub(std::string name, FieldType type, const StructSpec& sub, std::string def = {})
{
    FieldSpec f = F(std::move(name), type, std::move(def));
    f.sub = &sub;
    return f;
}

FieldSpec Font(std::string name, std::string def)
{
    return Sub(std::move(name), FieldType::Font, FontSpec(), std::move(def));
}

FieldSpec When(FieldSpec f, std::string field, uint32_t mask, uint32_t equals)
{
    f.when = Condition{std::move(field), mask, equals};
    return f;
}

std::vector<FieldSpec> Join(std::vector<FieldSpec> a, const std::vector<FieldSpec>& b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

std::string Hex(uint32_t value)
{
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08X", value);
    return buffer;
}

// ---------------------------------------------------------------- structures

const StructSpec& LampStateSpec()
{
    static const StructSpec spec{"", 0, {
        F("border_width", FieldType::U32, "1"),
        F("border", FieldType::Argb, "0xFF000000"),
        F("centre", FieldType::Argb, "0xFFFFFFFF"),
        F("surround", FieldType::Argb, "0xFF000000"),
        F("highlight_x", FieldType::I32, "5"),
        F("highlight_y", FieldType::I32, "5"),
    }};
    return spec;
}

const StructSpec& StatusInfoSpec()
{
    static const StructSpec spec{"CHotStatusInfo", 1, {
        F("size", FieldType::U32, "21"),
        Sub("lit", FieldType::Struct, LampStateSpec(),
            "{border_width=1 border=0xFFFF0000 centre=0xFFFFFFFF surround=0xFF0000FF highlight_x=5 highlight_y=5}"),
        Sub("unlit", FieldType::Struct, LampStateSpec(),
            "{border_width=2 border=0xFF000000 centre=0xFF1717FF surround=0xFF000059 highlight_x=7 highlight_y=7}"),
    }};
    return spec;
}

// The power button's 34 numbers: five groups of sizes and three colours, and
// two single numbers, in the order they are stored.
const StructSpec& PowerAppearanceSpec()
{
    static const StructSpec spec = [] {
        StructSpec s;
        auto group = [&s](const char* prefix, std::vector<uint32_t> numbers, std::vector<uint32_t> colours) {
            for (size_t i = 0; i < numbers.size(); ++i)
                s.fields.push_back(F(std::string(prefix) + "_n" + std::to_string(i + 1), FieldType::U32,
                                     std::to_string(numbers[i])));
            for (size_t i = 0; i < colours.size(); ++i)
                s.fields.push_back(F(std::string(prefix) + "_c" + std::to_string(i + 1), FieldType::Argb,
                                     Hex(colours[i])));
        };
        group("g1", {12, 18, 1, 3}, {0xFF800000u, 0xFFFF0000u, 0xFF000000u});
        group("g2", {3, 1, 5}, {0xFF8B0000u, 0xFFFFFBF0u, 0xFFFF0000u});
        s.fields.push_back(F("single1", FieldType::U32, "7"));
        group("g3", {16, 16, 1, 3}, {0xFF008000u, 0xFF008080u, 0xFF000000u});
        group("g4", {3, 1, 5}, {0xFF008000u, 0xFFFFFBF0u, 0xFF00FF00u});
        group("g5", {4, 1, 5}, {0xFF8B0000u, 0xFFFFFBF0u, 0xFFFF0000u});
        s.fields.push_back(F("single2", FieldType::U32, "7"));
        return s;
    }();
    return spec;
}

const StructSpec& TabItemSpec()
{
    static const StructSpec spec{"CHotTabItem", 1, {
        F("text", FieldType::Text),
        F("data", FieldType::U32, "0"),
        F("enabled", FieldType::U8, "1"),
    }};
    return spec;
}

const StructSpec& ButtonItemSpec()
{
    static const StructSpec spec{"", 0, {
        F("text", FieldType::Text),
        F("enabled", FieldType::U8, "1"),
        F("selected", FieldType::U8, "0"),
    }};
    return spec;
}

// ---------------------------------------------------------------- shared tails

std::vector<FieldSpec> ButtonTail(const char* style)
{
    return {
        F("style", FieldType::U32, style),
        F("notify_press_release", FieldType::U8, "0"),
        F("text", FieldType::Text),
        F("auto_repeat", FieldType::U8, "1"),
        F("first_delay", FieldType::U16, "500"),
        F("shortest_delay", FieldType::U16, "10"),
        F("delay_step", FieldType::U16, "100"),
    };
}

std::vector<FieldSpec> FrameTail()
{
    return {
        F("style", FieldType::U32, "3"),
        F("corner", FieldType::U32, "10"),
        F("inset", FieldType::U32, "5"),
        F("shadow_size", FieldType::U32, "6"),
        F("shadow_x", FieldType::U32, "2"),
        F("shadow_y", FieldType::U32, "2"),
        F("shadow_colour", FieldType::Colour, "0x00FFFFFF"),
        F("param", FieldType::U32, "0"),
        F("colour", FieldType::Colour, "0x00C0C0C0"),
    };
}

std::vector<FieldSpec> ProgressTail()
{
    return {
        F("style", FieldType::U8, "1"),
        F("minimum", FieldType::I32, "0"),
        F("maximum", FieldType::I32, "100"),
        F("param1", FieldType::U32, "12"),
        F("param2", FieldType::U32, "4"),
        F("param3", FieldType::U32, "10"),
        F("bar_colour", FieldType::Colour, "0xFF5B7ACA"),
        F("frame_colour", FieldType::Colour, "0xFF000000"),
        F("colour3", FieldType::Colour, "0xFF90EE90"),
        F("colour4", FieldType::Colour, "0xFF90EE90"),
        Font("font", "{face=\"Courier New\" height=-12}"),
        F("text", FieldType::Text),
    };
}

// rect, id and flags, with the kind's constructor defaults.
std::vector<FieldSpec> Common(const char* id, uint32_t flags)
{
    return {F("rect", FieldType::Rect, "0,0,0,0"), F("id", FieldType::Id, id), F("flags", FieldType::Flags, Hex(flags))};
}

KindSpec Kind(const char* name, uint32_t code, const char* className, const char* id, uint32_t flags,
              std::vector<FieldSpec> tail)
{
    return KindSpec{name, code, className, StructSpec{"", 0, Join(Common(id, flags), tail)}};
}

std::vector<KindSpec> MakeKinds()
{
    const FieldType U8 = FieldType::U8, U16 = FieldType::U16, U32 = FieldType::U32, I32 = FieldType::I32;
    const FieldType F32 = FieldType::F32, F64 = FieldType::F64, Colour = FieldType::Colour;
    const FieldType Text = FieldType::Text;

    FieldSpec dib = When(F("dib", FieldType::Blob), "bitmap", 0xFFFFFFFFu, 0);
    dib.blob = BlobKind::Dib;
    dib.required = true;
    FieldSpec metafileData = When(F("data", FieldType::Blob), "encoding", 0xFFFFFFFFu, 2);
    metafileData.blob = BlobKind::Metafile;

    std::vector<KindSpec> kinds;
    kinds.push_back(Kind("label", 32809, "CHotLabel", "-1", 0x3, {
        Font("font", "{face=\"Tahoma\" height=-9}"),
        F("colour", Colour, "default"),
        F("text", Text),
    }));
    kinds.push_back(Kind("bitmap", 32810, "CHotBitmap", "-1", 0x3, {
        F("bitmap", U32, "5500"),
        dib,
        F("transparent", U8, "1"),
    }));
    kinds.push_back(Kind("status", 32811, "CHotStatus", "0", 0x3, {
        F("style", U32, "0"),
        F("own_look", U8, "0"),
        When(Sub("look", FieldType::Object, StatusInfoSpec()), "own_look", 0xFF, 1),
    }));
    kinds.push_back(Kind("text", 32812, "CHotText", "-1", 0x7, Join(FrameTail(), {
        Font("font", "{face=\"Arial\" height=-24}"),
        F("text_colour", Colour, "0xFF000000"),
        F("back_colour", Colour, "0xFFFFFFFF"),
        F("text", Text),
        F("mode", U32, "1"),
    })));
    kinds.push_back(Kind("power_button", 32813, "CHotPowerButton", "0", 0x00010005, {
        F("style", U8, "0"),
        F("on", U8, "0"),
        When(Sub("appearance", FieldType::Struct, PowerAppearanceSpec()), "flags", 0x8000, 0x8000),
    }));
    kinds.push_back(Kind("seg7", 32814, "CHotSeg7", "0", 0x3, {F("digits", U32, "3")}));
    kinds.push_back(Kind("button", 32816, "CHotButton", "0", 0x00010001, ButtonTail("0")));
    kinds.push_back(Kind("dig_seg7", 32817, "CHotDigSeg7", "0", 0x3, {
        F("digits", U32, "7"),
        F("mode", U32, "0"),
        F("radix", U32, "0"),
    }));
    kinds.push_back(Kind("radio", 32818, "CHotRadio", "0", 0x00010001, {F("checked", U8, "0")}));
    kinds.push_back(Kind("hyperlink", 32819, "CHotHyperlink", "0", 0x00010001, {
        F("checked", U8, "0"),
        Font("font", "{face=\"Tahoma\" height=-9}"),
        F("text", Text, "\"HYPERLINK\""),
    }));
    kinds.push_back(Kind("check", 32820, "CHotCheck", "1", 0x00010001, {F("checked", U8, "0")}));
    kinds.push_back(Kind("tool_button", 32821, "CHotToolButton", "0", 0x00010001, Join(ButtonTail("9"), {
        F("image_bitmap", U32, "5135"),
        F("image_index", U32, "0"),
    })));
    kinds.push_back(Kind("frame", 32822, "CHotFrame", "-1", 0x7, FrameTail()));
    kinds.push_back(Kind("group_box", 32823, "CHotGroupBox", "-1", 0x7, {F("caption", Text, "\"GROUP\"")}));
    kinds.push_back(Kind("lcd", 32824, "CHotLCD", "0", 0x3, {
        F("width_dots", U32, "128"),
        F("height_dots", U32, "64"),
        F("dot_pitch", U32, "3"),
        F("frame_colour", Colour, "default"),
        F("lit_colour", Colour, "default"),
        F("unlit_colour", Colour, "default"),
    }));
    kinds.push_back(Kind("bitmap_knob", 32825, "CHotBitmapKnob", "0", 0x3, {
        F("bitmap", U32, "0"),
        F("frames", U32, "5"),
        F("frame", U32, "0"),
    }));
    kinds.push_back(Kind("value_display", 32826, "CHotValueDisplay", "0", 0x3, {}));
    kinds.push_back(Kind("menu", 32827, "CHotMenu", "0", 0x1, {F("menu", U32, "0")}));
    kinds.push_back(Kind("value", 32828, "CHotValue", "0", 0x1, {
        F("version", U32, "1"),
        F("style", U32, "0"),
        F("back_colour", Colour, "0xFFFFFFFF"),
        F("frame_colour", Colour, "0xFFADD8E6"),
        F("param", U32, "0"),
        F("font_height", I32, "-20"),
        F("option", U8, "1"),
        F("decimals", U32, "2"),
        F("title_colour", Colour, "0xFFFFFFFF"),
        F("value_colour", Colour, "0xFF000000"),
        F("title", Text, "\"Title\""),
        Font("font", "{face=\"Arial\" height=-20 weight=700}"),
        F("value", F64, "0"),
    }));
    kinds.push_back(Kind("knob", 32829, "CHotKnob", "0", 0x00040005, {}));
    kinds.push_back(Kind("lcd_matrix", 32830, "CHotLcdMatrix", "0", 0x3, {
        F("version", U32, "1"),
        F("dot_size", U32, "3"),
        F("frame_colour", Colour, "default"),
        F("lit_colour", Colour, "default"),
        F("unlit_colour", Colour, "default"),
        F("gap", U32, "0"),
        F("lines", U32, "3"),
        F("columns", U32, "10"),
    }));
    kinds.push_back(Kind("analog_meter", 32831, "CHotAnalogMeter", "0", 0x3, {
        F("colour1", Colour, "0xFF808080"),
        F("colour2", Colour, "0xFFFFFFFF"),
        F("colour3", Colour, "0x64000080"),
        F("colour4", Colour, "0x80A6CAF0"),
        F("scale_colour", Colour, "0xFF000000"),
        F("rest_at_zero", U8, "1"),
        F("minimum", F64, "0"),
        F("maximum", F64, "150"),
        F("major_step", F64, "10"),
        F("minor_ticks", U32, "4"),
        F("decimals", U32, "0"),
        F("band1", U8, "0"),
        F("band1_from", F64, "50"),
        F("band1_to", F64, "100"),
        F("band1_colour", Colour, "0xFFFFFF00"),
        F("band2", U8, "0"),
        F("band2_from", F64, "0"),
        F("band2_to", F64, "0"),
        F("band2_colour", Colour, "0xFFFF0000"),
        F("start_angle", F64, "0.5235987755982988"),
        F("end_angle", F64, "5.759586531581287"),
        F("draw1", U32, "5"),
        F("draw2", U32, "90"),
        F("draw3", U32, "7"),
        F("needle_colour", Colour, "0xFFFF0000"),
        Font("label_font", "{face=\"Courier New\" height=-10}"),
        F("title", Text),
        F("unit", Text, "\"[ ]\""),
        F("face", U8, "1"),
        F("face_colour", Colour, "0xBEC0C0C0"),
        F("value", F64, "0"),
        F("divisor", F32, "1"),
        F("label_param", U32, "30"),
    }));
    kinds.push_back(Kind("tab_control", 32832, "CHotTabControl", "10", 0x80000005, {
        F("version", U32, "1"),
        Sub("items", FieldType::ObjectArray, TabItemSpec()),
    }));
    kinds.push_back(Kind("up_down", 32833, "CHotUpDownButton", "0", 0x80010001, ButtonTail("20")));
    kinds.push_back(Kind("sliding_scale", 32834, "CHotSlidingScale", "0", 0x3, {
        F("labels", U8, "1"),
        F("span", F64, "100"),
        F("param1", U32, "10"),
        F("param2", U32, "20"),
        F("param3", U32, "4"),
        F("param4", U32, "10"),
        F("colour1", Colour, "0xFF000000"),
        F("colour2", Colour, "0xFFFFFFFF"),
        F("colour3", Colour, "0xFF000000"),
        F("colour4", Colour, "0xFF000000"),
        F("colour5", Colour, "0xFF0000FF"),
        Font("font", "{face=\"Courier New\" height=-18}"),
    }));
    kinds.push_back(Kind("slider", 32835, "CHotSlider", "0", 0x00040005, Join(ProgressTail(), {
        F("slider_minimum", I32, "0"),
        F("slider_maximum", I32, "100"),
        F("slider_value", I32, "0"),
        F("slider_factor", F64, "1"),
    })));
    kinds.push_back(Kind("progress", 32836, "CHotProgress", "0", 0x3, ProgressTail()));
    kinds.push_back(Kind("metafile", 32837, "CHotMetafile", "-1", 0x7, {
        F("encoding", U32, "2"),
        metafileData,
    }));
    kinds.push_back(Kind("scroll_bar", 32838, "CHotScrollBar", "0", 0x80040005, {
        F("horizontal", U8, "1"),
        F("arrow_size", U32, "17"),
        F("thumb_size", U32, "12"),
        F("colour", Colour, "0xFF5B5B5B"),
        F("thumb_colour", Colour, "0xFF5B7ACA"),
        F("minimum", I32, "0"),
        F("maximum", I32, "100"),
        F("rest", I32, "0"),
        F("factor", F64, "1"),
        F("first_delay", U16, "500"),
        F("shortest_delay", U16, "10"),
        F("delay_step", U16, "100"),
    }));
    kinds.push_back(Kind("button_group", 32839, "CHotButtonGroup", "0", 0x80000005, {
        F("version", U32, "1"),
        F("toggle", U8, "0"),
        F("horizontal", U8, "1"),
        F("spacing", U32, "0"),
        Sub("items", FieldType::List, ButtonItemSpec()),
    }));
    // The rectangle record has no id and no flags: the view makes its control.
    kinds.push_back(KindSpec{"rectangle", 32850, "CHotRectangle", StructSpec{"", 0, {
        F("rect", FieldType::Rect, "0,0,0,0"),
        F("param1", U32, "0"),
        F("param2", U32, "0"),
    }}});
    return kinds;
}

} // namespace

const StructSpec& FontSpec()
{
    static const StructSpec spec{"", 0, {
        F("height", FieldType::I32, "0"),
        F("width", FieldType::I32, "0"),
        F("escapement", FieldType::I32, "0"),
        F("orientation", FieldType::I32, "0"),
        F("weight", FieldType::I32, "0"),
        F("italic", FieldType::U8, "0"),
        F("underline", FieldType::U8, "0"),
        F("strike_out", FieldType::U8, "0"),
        F("charset", FieldType::U8, "0"),
        F("out_precision", FieldType::U8, "0"),
        F("clip_precision", FieldType::U8, "0"),
        F("quality", FieldType::U8, "0"),
        F("pitch_family", FieldType::U8, "0"),
        F("face", FieldType::Text),
    }};
    return spec;
}

const std::vector<KindSpec>& Kinds()
{
    static const std::vector<KindSpec> kinds = MakeKinds();
    return kinds;
}

const KindSpec* FindKind(std::string_view name)
{
    const auto& kinds = Kinds();
    const auto it = std::find_if(kinds.begin(), kinds.end(), [&](const KindSpec& k) { return k.name == name; });
    return it == kinds.end() ? nullptr : &*it;
}

const KindSpec* FindKind(uint32_t code)
{
    const auto& kinds = Kinds();
    const auto it = std::find_if(kinds.begin(), kinds.end(), [&](const KindSpec& k) { return k.code == code; });
    return it == kinds.end() ? nullptr : &*it;
}

} // namespace panelc
