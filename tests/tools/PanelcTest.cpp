// The layout compiler: the built-in DC supply panel, every control kind's
// record with defaults and with other values, source mistakes, and binaries
// the decompiler must refuse.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "Binary.h"
#include "Bmp.h"
#include "Printer.h"
#include "Source.h"

using namespace panelc;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Compile(const std::string& source, const fs::path& baseDir = {})
{
    return CompileLayout(ParseLayout(source, baseDir));
}

uint32_t U32(const Bytes& b, size_t at)
{
    return uint32_t(b.at(at)) | uint32_t(b.at(at + 1)) << 8 | uint32_t(b.at(at + 2)) << 16 |
           uint32_t(b.at(at + 3)) << 24;
}

uint16_t U16(const Bytes& b, size_t at)
{
    return uint16_t(b.at(at) | b.at(at + 1) << 8);
}

// The archive's text form of an ASCII text: FF FE FF, length, UTF-16LE.
Bytes ArchiveText(const std::string& text)
{
    Bytes out{0xFF, 0xFE, 0xFF, uint8_t(text.size())};
    for (char c : text) {
        out.push_back(uint8_t(c));
        out.push_back(0);
    }
    return out;
}

bool ContainsAt(const Bytes& b, size_t at, const Bytes& part)
{
    return at + part.size() <= b.size() && std::equal(part.begin(), part.end(), b.begin() + long(at));
}

// Decompiling, printing and reading the print again gives the same bytes.
void ExpectRoundTrip(const Bytes& bytes)
{
    const Layout layout = DecompileLayout(bytes);
    const std::string printed = PrintLayout(layout, {});
    EXPECT_EQ(CompileLayout(ParseLayout(printed, {})), bytes) << printed;
}

std::string ReadText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

constexpr size_t kFirstRecord = 52 + 4 + 2 * 9;  // header, then the title "DC SUPPLY"

// ---------------------------------------------------------------- DC supply

class DcSupplyLayout : public ::testing::Test {
protected:
    const fs::path source = fs::path(VEXA_SOURCE_DIR) / "vexares" / "panels" / "10040.panel";
    const Bytes bytes = Compile(ReadText(source), source.parent_path());
};

TEST_F(DcSupplyLayout, HeaderThenFourteenRecordsInOrder)
{
    ASSERT_EQ(bytes.size(), 660u);
    EXPECT_EQ(U32(bytes, 0), 1u);
    for (size_t unit = 0; unit < 10; ++unit)
        EXPECT_EQ(U32(bytes, 4 + 4 * unit), unit == 5 ? 7u : 0u) << "mask " << unit;
    EXPECT_EQ(U32(bytes, 44), 239u);
    EXPECT_EQ(U32(bytes, 48), 149u);
    EXPECT_TRUE(ContainsAt(bytes, 52, ArchiveText("DC SUPPLY")));
    EXPECT_EQ(U32(bytes, 656), kEndOfList);

    // Record sizes with their type codes: bitmap 33, the two labels 90 and
    // 100, power button 30, seven-segment display 32.
    const std::vector<std::pair<uint32_t, size_t>> records = {
        {32810, 33}, {32810, 33}, {32809, 90}, {32809, 100}, {32813, 30}, {32810, 33}, {32810, 33},
        {32810, 33}, {32810, 33}, {32810, 33}, {32810, 33}, {32810, 33}, {32810, 33}, {32814, 32}};
    size_t at = kFirstRecord;
    std::vector<size_t> starts;
    for (const auto& [code, size] : records) {
        EXPECT_EQ(U32(bytes, at), code) << "at " << at;
        starts.push_back(at);
        at += size;
    }
    EXPECT_EQ(at, 656u);

    // Two bitmaps outside the panel, then the grille's eight fins.
    EXPECT_EQ(U32(bytes, starts[0] + 28), 5500u);
    EXPECT_EQ(U32(bytes, starts[1] + 28), 5501u);
    EXPECT_LT(int32_t(U32(bytes, starts[0] + 12)), 0);  // right edge left of the panel
    EXPECT_LT(int32_t(U32(bytes, starts[1] + 12)), 0);
    for (size_t fin = 0; fin < 8; ++fin) {
        const size_t r = starts[5 + fin];
        EXPECT_EQ(U32(bytes, r + 28), 5504u);
        EXPECT_EQ(bytes[r + 32], 1);  // drawn with the top-left pixel as colour key
        EXPECT_EQ(int32_t(U32(bytes, r + 4)), int32_t(17 + 14 * fin));
        EXPECT_EQ(U32(bytes, r + 8), 89u);
        EXPECT_EQ(U32(bytes, r + 12) - U32(bytes, r + 4), 12u);
        EXPECT_EQ(U32(bytes, r + 16) - U32(bytes, r + 8), 54u);
    }

    // Labels: Tahoma, height -9, weight 700 and 0.
    for (size_t i : {2u, 3u}) {
        EXPECT_EQ(int32_t(U32(bytes, starts[i] + 28)), -9);
        EXPECT_EQ(U32(bytes, starts[i] + 28 + 16), i == 2 ? 700u : 0u);
        EXPECT_TRUE(ContainsAt(bytes, starts[i] + 28 + 28, ArchiveText("Tahoma")));
        EXPECT_EQ(U32(bytes, starts[i] + 28 + 44), 0xFFFFFFFFu);  // the skin's colour
    }
    EXPECT_TRUE(ContainsAt(bytes, starts[2] + 76, ArchiveText("POWER")));
    EXPECT_TRUE(ContainsAt(bytes, starts[3] + 76, ArchiveText("DC VOLTAGE")));

    // Power button: id 4302, stored flags 0x00010001, style 0, off.
    EXPECT_EQ(U32(bytes, starts[4] + 20), 4302u);
    EXPECT_EQ(U32(bytes, starts[4] + 24), 0x00010001u);
    EXPECT_EQ(bytes[starts[4] + 28], 0);
    EXPECT_EQ(bytes[starts[4] + 29], 0);

    // The display: id 13, flags 3, four digits of 42 x 55.
    const size_t seg7 = starts[13];
    EXPECT_EQ(U32(bytes, seg7 + 20), 13u);
    EXPECT_EQ(U32(bytes, seg7 + 24), 3u);
    EXPECT_EQ(U32(bytes, seg7 + 28), 4u);
    EXPECT_EQ(U32(bytes, seg7 + 12) - U32(bytes, seg7 + 4), 168u);
    EXPECT_EQ(U32(bytes, seg7 + 16) - U32(bytes, seg7 + 8), 55u);
}

TEST_F(DcSupplyLayout, ControlsLieInsideThePanelAndDoNotOverlap)
{
    const Layout layout = DecompileLayout(bytes);
    std::vector<std::array<int32_t, 4>> inside;
    for (const Control& control : layout.controls) {
        const auto& r = control.fields[0].rect;
        if (r[2] <= 0)
            continue;  // the two bitmaps parked outside
        EXPECT_GE(r[0], 0);
        EXPECT_GE(r[1], 0);
        EXPECT_LE(r[2], 239);
        EXPECT_LE(r[3], 149);
        for (const auto& o : inside)
            EXPECT_FALSE(r[0] < o[2] && o[0] < r[2] && r[1] < o[3] && o[1] < r[3]) << control.kind->name;
        inside.push_back(r);
    }
    EXPECT_EQ(inside.size(), 12u);
}

TEST_F(DcSupplyLayout, DecompiledSourceCompilesToTheSameBytes)
{
    ExpectRoundTrip(bytes);
}

// ---------------------------------------------------------------- every kind

struct KindCase {
    const char* kind;
    size_t recordSize;  // bytes after the type code with every field at its default
};

// The sizes follow from each kind's stored fields and defaults; a field of
// the wrong width or a missing one changes them.
const KindCase kKindCases[] = {
    {"label", 24 + 52},        {"bitmap", 24 + 5},        {"status", 24 + 5},        {"text", 24 + 94},
    {"power_button", 24 + 2},  {"seg7", 24 + 4},          {"button", 24 + 16},       {"dig_seg7", 24 + 12},
    {"radio", 24 + 1},         {"hyperlink", 24 + 67},    {"check", 24 + 1},         {"tool_button", 24 + 24},
    {"frame", 24 + 36},        {"group_box", 24 + 14},    {"lcd", 24 + 24},          {"bitmap_knob", 24 + 12},
    {"value_display", 24},     {"menu", 24 + 4},          {"value", 24 + 101},       {"knob", 24},
    {"lcd_matrix", 24 + 32},   {"analog_meter", 24 + 216}, {"tab_control", 24 + 6},  {"up_down", 24 + 16},
    {"sliding_scale", 24 + 99}, {"slider", 24 + 115},     {"progress", 24 + 95},     {"metafile", 24 + 8},
    {"scroll_bar", 24 + 43},   {"button_group", 24 + 14}, {"rectangle", 16 + 8},
};

// Field names are unique in each structure, and every condition looks at an
// earlier field, which the reader has already read.
void ExpectWellFormed(const StructSpec& spec, const std::string& where)
{
    for (size_t i = 0; i < spec.fields.size(); ++i) {
        const FieldSpec& field = spec.fields[i];
        EXPECT_EQ(spec.IndexOf(field.name), int(i)) << where << ": " << field.name << " twice";
        if (!field.when.Always()) {
            const int index = spec.IndexOf(field.when.field);
            EXPECT_TRUE(index >= 0 && index < int(i)) << where << ": " << field.name;
        }
        if (field.sub != nullptr)
            ExpectWellFormed(*field.sub, where + "." + field.name);
    }
}

TEST(PanelKinds, EveryKindHasACaseAndAWellFormedRecord)
{
    EXPECT_EQ(Kinds().size(), std::size(kKindCases));
    for (const KindSpec& kind : Kinds())
        ExpectWellFormed(kind.record, kind.name);
}

TEST(PanelKinds, DefaultRecordsHaveTheirStoredSizeAndRoundTrip)
{
    for (const KindCase& c : kKindCases) {
        SCOPED_TRACE(c.kind);
        const Bytes bytes = Compile(std::string("size 10 10\n") + c.kind + "\n");
        const size_t header = 52 + 4;
        ASSERT_EQ(bytes.size(), header + 4 + c.recordSize + 4);
        EXPECT_EQ(U32(bytes, header), FindKind(c.kind)->code);
        EXPECT_EQ(DecompileLayout(bytes), ParseLayout(std::string("size 10 10\n") + c.kind, {}));
        ExpectRoundTrip(bytes);
    }
}

// Each line sets fields away from their defaults, across every field type.
const char* const kNonDefault[] = {
    R"(label box=-5,7,30,11 id=3 flags=0x1 font={face="Arial" height=-12 italic=1 weight=400} colour=0xFF123456 text="Spannung \"U\" \u00B5V ⚡")",
    R"(bitmap rect=1,2,3,4 bitmap=0 dib=hex"28000000 01000000 01000000 0100 1800 00000000" transparent=0)",
    R"(status style=2 own_look=1 look={size=17 lit={border_width=3 centre=0x80FF0000} unlit={highlight_y=-2}})",
    R"(text style=1 corner=4 inset=9 shadow_colour=0x00000000 colour=default font={face="Tahoma"} text="A\nB" mode=0)",
    R"(power_button flags=0x8005 style=3 on=1 appearance={g1_n1=20 g3_c2=0xFF00FF00 single2=9})",
    R"(seg7 id=13 digits=5)",
    R"(button style=4 notify_press_release=1 text="OK" auto_repeat=0 first_delay=65535 shortest_delay=1 delay_step=0)",
    R"(dig_seg7 digits=7 mode=3 radix=16)",
    R"(radio id=200 checked=1)",
    R"(hyperlink checked=1 font={underline=1} text="www")",
    R"(check id=0xFFFFFFFE checked=1)",
    R"(tool_button image_bitmap=5200 image_index=4 text="")",
    R"(frame flags=0 param=-1)",
    R"(group_box caption="")",
    R"(lcd width_dots=64 height_dots=32 dot_pitch=2 lit_colour=0xFF00FF00)",
    R"(bitmap_knob bitmap=5201 frames=3 frame=2)",
    R"(value_display id=6 flags=0x3)",
    R"(menu id=20 menu=638)",
    R"(value version=2 font_height=-11 option=0 decimals=0 title="U" font={height=-11} value=-1.25e-7)",
    R"(knob id=100 flags=0x80000005)",
    R"(lcd_matrix version=1 dot_size=2 gap=1 lines=4 columns=20)",
    R"(analog_meter minimum=-1 maximum=1 major_step=0.1 band1=1 band2_to=1e300 start_angle=0.1 title="V" unit="" value=-0 divisor=0.3 label_font={face="Courier New" height=-8})",
    R"(tab_control id=500 items=[{text="Kanal A" data=1} {text="B" enabled=0}])",
    R"(up_down id=100 style=20 auto_repeat=1)",
    R"(sliding_scale labels=0 span=12.5 font={height=-12 weight=700})",
    R"(slider style=0 minimum=-10 slider_minimum=-10 slider_maximum=10 slider_value=3 slider_factor=0.5)",
    R"(progress style=0 maximum=1000 text="%")",
    R"(metafile encoding=2 data=hex"01000000ff")",
    R"(scroll_bar horizontal=0 arrow_size=16 minimum=-100 rest=-50 factor=2 delay_step=50)",
    R"(button_group toggle=1 horizontal=0 spacing=2 items=[{text="x1"} {text="x10" selected=1} {text="x100" enabled=0}])",
    R"(rectangle box=0,0,239,149 param1=1 param2=0xC0000000)",
};

TEST(PanelKinds, OtherValuesReachTheRecordAndRoundTrip)
{
    for (const char* line : kNonDefault) {
        SCOPED_TRACE(line);
        const std::string kind = std::string(line).substr(0, std::string(line).find(' '));
        const Bytes bytes = Compile(std::string("size 10 10\n") + line + "\n");
        EXPECT_NE(bytes, Compile("size 10 10\n" + kind + (kind == "bitmap" ? " rect=1,2,3,4 transparent=0" : "")));
        const Layout layout = DecompileLayout(bytes);
        EXPECT_EQ(layout, ParseLayout(std::string("size 10 10\n") + line, {}));
        ExpectRoundTrip(bytes);
    }
}

// ---------------------------------------------------------------- stored forms

TEST(PanelRecords, PowerButtonAppearanceFollowsOnlyWithFlagBit15)
{
    const Bytes plain = Compile("size 1 1\npower_button\n");
    const Bytes styled = Compile("size 1 1\npower_button flags=0x00018005 appearance={g1_n1=40}\n");
    ASSERT_EQ(styled.size(), plain.size() + 34 * 4);
    const size_t block = 56 + 4 + 24 + 2;
    EXPECT_EQ(U32(styled, block), 40u);
    EXPECT_EQ(U32(styled, block + 4), 18u);
    EXPECT_EQ(U32(styled, block + 16), 0xFF800000u);  // the first colour comes after four numbers
    EXPECT_EQ(U32(styled, block + 33 * 4), 7u);
    // Without an appearance given, the constructor's values are stored.
    EXPECT_EQ(U32(Compile("size 1 1\npower_button flags=0x8000\n"), block), 12u);
}

TEST(PanelRecords, ArchivedObjectsCarryTheirClassOnceThenAReference)
{
    const Bytes bytes = Compile(
        "size 1 1\n"
        "status own_look=1\n"
        "tab_control items=[{text=\"A\"} {text=\"B\" data=7}]\n"
        "tab_control items=[{text=\"C\"}]\n");
    const std::string statusClass = "CHotStatusInfo";
    size_t at = 56 + 4 + 24 + 4 + 1;
    EXPECT_EQ(U16(bytes, at), 0xFFFF);
    EXPECT_EQ(U16(bytes, at + 2), 1);  // schema
    EXPECT_EQ(U16(bytes, at + 4), statusClass.size());
    EXPECT_TRUE(ContainsAt(bytes, at + 6, Bytes(statusClass.begin(), statusClass.end())));
    at += 6 + statusClass.size();
    EXPECT_EQ(U32(bytes, at), 21u);
    EXPECT_EQ(U32(bytes, at + 4 + 4), 0xFFFF0000u);  // lit border colour
    at += 4 + 2 * 24;
    // Class index 1 and object 2 went to the lamp; CHotTabItem becomes 3.
    at += 4 + 24 + 4;
    EXPECT_EQ(U16(bytes, at), 2);  // item count
    EXPECT_EQ(U16(bytes, at + 2), 0xFFFF);
    at += 2 + 6 + 11 + ArchiveText("A").size() + 5;
    EXPECT_EQ(U16(bytes, at), 0x8003);
    EXPECT_EQ(U32(bytes, at + 2 + ArchiveText("B").size()), 7u);
    at += 2 + ArchiveText("B").size() + 5;
    at += 4 + 24 + 4;
    EXPECT_EQ(U16(bytes, at), 1);
    EXPECT_EQ(U16(bytes, at + 2), 0x8003);
    ExpectRoundTrip(bytes);
}

TEST(PanelRecords, ButtonGroupItemsAreCountedInThirtyTwoBits)
{
    const Bytes bytes = Compile("size 1 1\nbutton_group items=[{text=\"a\"} {selected=1}]\n");
    const size_t tail = 56 + 4 + 24;
    EXPECT_EQ(U32(bytes, tail + 10), 2u);
    EXPECT_TRUE(ContainsAt(bytes, tail + 14, ArchiveText("a")));
    EXPECT_EQ(bytes[tail + 14 + 6], 1);  // enabled
    EXPECT_EQ(bytes[tail + 14 + 7], 0);  // selected
    EXPECT_EQ(bytes[tail + 14 + 8 + 4 + 1], 1);
}

TEST(PanelRecords, ConditionalBlocksFollowTheirSwitch)
{
    // Metafile: the byte count and bytes only for encoding 2.
    EXPECT_EQ(Compile("size 1 1\nmetafile encoding=1\n").size(), Compile("size 1 1\nmetafile\n").size() - 4);
    const Bytes emf = Compile("size 1 1\nmetafile data=hex\"0a0b0c\"\n");
    EXPECT_EQ(U32(emf, 56 + 4 + 24 + 4), 3u);
    EXPECT_TRUE(ContainsAt(emf, 56 + 4 + 24 + 8, {0x0A, 0x0B, 0x0C}));
    // Status: the own look only with own_look = 1.
    EXPECT_EQ(Compile("size 1 1\nstatus own_look=2\n").size(), Compile("size 1 1\nstatus\n").size());
}

TEST(PanelRecords, EmbeddedBitmapComesFromABmpFileWithoutItsFileHeader)
{
    const fs::path dir = fs::temp_directory_path() / "panelc-dib-test";
    fs::create_directories(dir);
    const Bytes dib = {40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0, 0,
                       0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 3, 4, 5, 6, 0, 0};
    const auto bmp = BmpFileFromDib(dib);
    ASSERT_TRUE(bmp);
    EXPECT_EQ(U32(*bmp, 10), 14u + 40u);
    std::ofstream(dir / "pixel.bmp", std::ios::binary).write(reinterpret_cast<const char*>(bmp->data()), long(bmp->size()));
    const Bytes bytes = Compile("size 1 1\nbitmap bitmap=0 dib=\"pixel.bmp\"\n", dir);
    const size_t tail = 56 + 4 + 24;
    EXPECT_EQ(U32(bytes, tail), 0u);
    EXPECT_EQ(U32(bytes, tail + 4), dib.size());
    EXPECT_TRUE(ContainsAt(bytes, tail + 8, dib));
    EXPECT_EQ(bytes[tail + 8 + dib.size()], 1);  // transparent
    // The decompiler keeps a large block in a file that reads back the same.
    const std::string printed = PrintLayout(DecompileLayout(bytes), [&](BlobKind kind, const Bytes& blob) {
        EXPECT_EQ(kind, BlobKind::Dib);
        const auto file = BmpFileFromDib(blob);
        std::ofstream(dir / "again.bmp", std::ios::binary).write(reinterpret_cast<const char*>(file->data()), long(file->size()));
        return std::string("again.bmp");
    });
    EXPECT_NE(printed.find("dib=\"again.bmp\""), std::string::npos);
    EXPECT_EQ(Compile(printed, dir), bytes);
    fs::remove_all(dir);
}

TEST(PanelRecords, TextsAndNumbersSurviveExactly)
{
    const Bytes bytes = Compile(
        "size 1 1\n"
        "label text=\"\\uD800 lone, \\uD83D\\uDE00 pair, tab\\t, \\u0001\"\n"
        "analog_meter minimum=0.1 maximum=1e-300 major_step=-0 value=123456789.123456789 divisor=1e-7\n");
    const Layout layout = DecompileLayout(bytes);
    EXPECT_EQ(layout.controls[0].fields[5].text, u"\xD800 lone, \xD83D\xDE00 pair, tab\t, \x0001");
    EXPECT_EQ(layout.controls[1].fields[9].real, 0.1);
    EXPECT_TRUE(std::signbit(layout.controls[1].fields[11].real));
    EXPECT_EQ(std::bit_cast<float>(uint32_t(layout.controls[1].fields[34].integer)), 1e-7f);
    ExpectRoundTrip(bytes);

    // Not-a-number values keep their bits, written as hex.
    const Bytes nan = Compile("size 1 1\nanalog_meter value=0x7FF0000000000001 divisor=0xFF800001\n");
    const size_t divisor = nan.size() - 4 - 4 - 4;
    EXPECT_EQ(U32(nan, divisor - 8), 1u);
    EXPECT_EQ(U32(nan, divisor - 4), 0x7FF00000u);
    EXPECT_EQ(U32(nan, divisor), 0xFF800001u);
    EXPECT_NE(PrintLayout(DecompileLayout(nan), {}).find("divisor=0xFF800001"), std::string::npos);
    ExpectRoundTrip(nan);
}

TEST(PanelRecords, BoxAndRectDescribeTheSameRectangle)
{
    EXPECT_EQ(Compile("size 1 1\nknob box=10,20,30,40\n"), Compile("size 1 1\nknob rect=10,20,40,60\n"));
    EXPECT_EQ(Compile("size 1 1\nknob id=-1\n"), Compile("size 1 1\nknob id=0xFFFFFFFF\n"));
    EXPECT_EQ(Compile("size 1 1\n# a comment\nknob     # the knob\n    id=5  # its id\n"),
              Compile("size 1 1\nknob id=5"));
}

// ---------------------------------------------------------------- mistakes

struct MistakeCase {
    const char* source;
    int line;
    const char* message;
};

const MistakeCase kMistakes[] = {
    {"size 1 1\nlable box=0,0,1,1\n", 2, "unknown control kind 'lable'"},
    {"size 1 1\nlabel colr=0\n", 2, "label has no field 'colr'"},
    {"size 1 1\n\nbitmap transparent=300\n", 3, "does not fit 8 bits"},
    {"size 1 1\nlabel font={height=-9\nlabel\n", 3, "'}' missing"},
    {"size 1 1\nlabel font={height=-9", 2, "never closed"},
    {"size 1 1\nlabel font={size=3}\n", 2, "font has no field 'size'"},
    {"size 1 1\nlabel text=\"open\n", 2, "closing quote"},
    {"size 1 1\nlabel\n    text=5\n", 3, "expected a quoted text"},
    {"size 1 1\nbitmap bitmap=5 dib=hex\"00\"\n", 2, "'dib' is stored only when bitmap is 0"},
    {"size 1 1\n\nbitmap bitmap=0\n", 3, "bitmap needs 'dib' when bitmap is 0"},
    {"size 1 1\npower_button appearance={}\n", 2, "flags has bit 0x00008000 set"},
    {"size 1 1\nlabel text=\"a\"\n  text=\"b\"\n", 3, "'text' is given twice"},
    {"size 1 1\nknob rect=0,0,1,1 box=0,0,1,1\n", 2, "given twice"},
    {"title \"x\"\nknob\n", 0, "no 'size' line"},
    {"size 1 1\nmasks 0 0 0 0 0 7 0 0 0\n", 2, "ten numbers"},
    {"  size 1 1\n", 1, "at the start of a line"},
    {"size 1 1\n  knob\n", 2, "unexpected 'knob' after 'size'"},
    {"size 1 1\nbitmap bitmap=0 dib=\"missing.bmp\"\n", 2, "cannot read 'missing.bmp'"},
    {"size 1 1\ntab_control items=[{text=\"a\" data=x}]\n", 2, "expected a number"},
    {"size 1 1\nanalog_meter value=1.5.2\n", 2, "is not a number"},
    {"size 1 1\nsize 2 2\n", 2, "'size' is given twice"},
    {"size 1 1 1\n", 1, "unexpected"},
    {"size 1 1\nlabel text=\"\\q\"\n", 2, "unknown escape"},
    {"size 1 1\nknob id=0x1FFFFFFFF\n", 2, "does not fit 32 bits"},
    {"size 1 1\nknob id=5;\n", 2, "unexpected character ';'"},
};

TEST(PanelSource, MistakesNameTheirLine)
{
    for (const MistakeCase& c : kMistakes) {
        SCOPED_TRACE(c.source);
        try {
            ParseLayout(c.source, fs::temp_directory_path());
            ADD_FAILURE() << "accepted";
        } catch (const SourceError& e) {
            EXPECT_EQ(e.line, c.line);
            EXPECT_NE(std::string(e.what()).find(c.message), std::string::npos) << e.what();
        }
    }
}

// ---------------------------------------------------------------- binaries refused

TEST(PanelBinary, UnreadableOrForeignBinariesAreRefused)
{
    const Bytes good = Compile("size 1 1\nknob\ntab_control items=[{text=\"a\"}]\n");
    Bytes unknown = good;
    unknown[56] = 0x2F;  // 32815: a code without a kind
    Bytes trailing = good;
    trailing.push_back(0);
    const Bytes cut(good.begin(), good.end() - 3);
    // The title in the older 8-bit form reads, but would not be written so.
    Bytes narrow = Compile("size 1 1\ntitle \"AB\"\n");
    narrow.erase(narrow.begin() + 52, narrow.begin() + 52 + 8);
    narrow.insert(narrow.begin() + 52, {2, 'A', 'B'});
    Bytes otherClass = good;
    const size_t name = 56 + 28 + 28 + 4 + 2 + 6;  // knob, tab record, version, count, tag
    ASSERT_EQ(otherClass[name], 'C');
    otherClass[name] = 'X';

    const std::pair<const Bytes*, const char*> cases[] = {
        {&unknown, "no control kind"}, {&trailing, "follow the end code"}, {&cut, "ends inside"},
        {&narrow, "not in the form"},   {&otherClass, "XHotTabItem"}};
    for (const auto& [bytes, message] : cases) {
        SCOPED_TRACE(message);
        try {
            DecompileLayout(*bytes);
            ADD_FAILURE() << "accepted";
        } catch (const BinaryError& e) {
            EXPECT_NE(std::string(e.what()).find(message), std::string::npos) << e.what();
        }
    }
    ExpectRoundTrip(good);
}

} // namespace
