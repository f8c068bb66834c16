// The palette editor: the generators, the colour file and the "Filed" set
// across layer opens.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "app/file_commands.h"
#include "app/palette.h"
#include "tests/test_support.h"

namespace fs = std::filesystem;
using namespace zemba;
using zemba::test::ReadFileBytes;
using zemba::test::ScriptedPrompter;
using zemba::test::TempDir;
using zemba::test::WriteFileBytes;

namespace {

std::uint32_t FixedSeed() { return 4242; }

// A palette nobody would generate.
Palette256 Odd() {
    Palette256 p{};
    for (int i = 0; i < 256; ++i) p[i] = MakeColorRef(i, 255 - i, (i * 7) & 0xFF);
    return p;
}

}  // namespace

TEST(Palette, HueRampsRunFromFullStrengthToBlack) {
    struct Case {
        int type;
        COLORREF first;
    } cases[] = {{csBlue, 0xFF0000},  {csAqua, 0xFFFF00}, {csGreen, 0x00FF00}, {csYellow, 0x00FFFF},
                 {csPurple, 0xFF00FF}, {csRed, 0x0000FF},  {csSilver, 0xFFFFFF}};
    for (const Case& c : cases) {
        const Palette256 p = RampPalette(c.type);
        EXPECT_EQ(p[0], c.first) << ColorSetName(c.type);
        EXPECT_EQ(p[255], 0u) << ColorSetName(c.type);
        EXPECT_EQ(p[55], RampPalette(c.type)[55]);
    }
    // Blue entry 55 is (0, 0, 200): blue sits in the third byte.
    EXPECT_EQ(RampPalette(csBlue)[55], 200u << 16);
    EXPECT_STREQ(ColorSetName(9), "#Set");
    EXPECT_STREQ(ColorSetName(11), "");
}

TEST(Palette, RandomAndSeededSets) {
    const Palette256 r = RandomPalette(7);
    for (COLORREF c : r) EXPECT_LT(c, 16000000u);
    EXPECT_EQ(r, RandomPalette(7));
    EXPECT_NE(r, RandomPalette(8));

    // The seeded ramp: same seed, same palette; starts on (64, 64, 64)
    // blending towards the first drawn colour; ends black.
    const Palette256 a = SeededRamp(32), b = SeededRamp(32), c = SeededRamp(33);
    EXPECT_EQ(a, b);
    EXPECT_NE(a, c);
    EXPECT_EQ(a[255], 0u);
    // t is 0.05 at entry 0: within 0.05 * 255 of grey 64 in every channel.
    for (int ch : {RedOf(a[0]), GreenOf(a[0]), BlueOf(a[0])}) EXPECT_NEAR(ch, 64, 13);
    // A smooth blend: each step moves t by at most 0.05, and a new band
    // starts where the last one ended.
    std::set<COLORREF> distinct;
    for (int i = 1; i < 255; ++i) {
        EXPECT_LE(std::abs(RedOf(a[i]) - RedOf(a[i - 1])), 14) << i;
        EXPECT_LE(std::abs(GreenOf(a[i]) - GreenOf(a[i - 1])), 14) << i;
        EXPECT_LE(std::abs(BlueOf(a[i]) - BlueOf(a[i - 1])), 14) << i;
        distinct.insert(a[i]);
    }
    EXPECT_GT(distinct.size(), 150u);
}

TEST(Palette, SubvertInvertAndClear) {
    const Palette256 s = SubvertPalette();
    EXPECT_EQ(s[0], MakeColorRef(0, 0, 255));         // block 0 blue
    EXPECT_EQ(s[15], MakeColorRef(0, 0, 255 - 180));  // step 12
    EXPECT_EQ(s[6 * 16 + 1], MakeColorRef(243, 243, 243));
    EXPECT_EQ(s[7 * 16 + 15], MakeColorRef(0, 0, 255 - 210));  // step 14
    EXPECT_EQ(s[255], MakeColorRef(45, 0, 0));                 // block 15 red

    // Entry 0 pure yellow: red and green ramp, blue stays 0.
    Palette256 y = RampPalette(csYellow);
    const Palette256 inv = InvertPalette(y);
    EXPECT_EQ(inv[0], 0u);
    EXPECT_EQ(inv[200], MakeColorRef(200, 200, 0));
    EXPECT_EQ(inv[255], MakeColorRef(255, 255, 0));
    // A channel that is 254 does not count.
    y[0] = MakeColorRef(254, 255, 255);
    EXPECT_EQ(InvertPalette(y)[9], MakeColorRef(0, 9, 9));
    for (COLORREF c : WhitePalette()) EXPECT_EQ(c, 0xFFFFFFu);
}

TEST(Palette, Set256GivesEveryLayerItsDefaultColours) {
    LayerStore store;
    for (int i = 0; i < 3; ++i) {
        store.AppendLayerSlot();
        store.SetLoadedLayerDefaults(store.LayerCount);
        store.SymLayers[store.LayerCount].LineColor = 0x123456;
        store.SymLayers[store.LayerCount].FillColor = 0x654321;
    }
    SetLayerColours(store);
    for (int i = 1; i <= 3; ++i) {
        EXPECT_EQ(store.SymLayers[i].LineColor, palette(i + 1));
        EXPECT_EQ(store.SymLayers[i].FillColor, palette(i));
    }
    LayerStore empty;
    SetLayerColours(empty);  // no layers: nothing to do, nothing touched
    EXPECT_EQ(empty.SymLayers.size(), 1u);
}

TEST(ColorFile, IsExactly1024LittleEndianBytesAndRoundTrips) {
    TempDir dir;
    const std::string path = dir.file("pal.2cp");
    ASSERT_TRUE(WriteColorFile(path, Odd()));
    const std::string bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 1024u);
    // Entry 1 = (1, 254, 7): red in the low byte.
    EXPECT_EQ(static_cast<unsigned char>(bytes[4]), 1);
    EXPECT_EQ(static_cast<unsigned char>(bytes[5]), 254);
    EXPECT_EQ(static_cast<unsigned char>(bytes[6]), 7);
    EXPECT_EQ(bytes[7], 0);
    Palette256 back = WhitePalette();
    ASSERT_TRUE(ReadColorFile(path, back));
    EXPECT_EQ(back, Odd());
}

TEST(ColorFile, WrongSizesAreRefusedAndThePaletteKept) {
    TempDir dir;
    for (std::size_t size : {0u, 1000u, 1023u, 1025u, 4096u}) {
        const std::string path = dir.file("bad" + std::to_string(size));
        WriteFileBytes(path, std::string(size, '\x11'));
        Palette256 p = Odd();
        Result r = ReadColorFile(path, p);
        EXPECT_FALSE(r) << size;
        EXPECT_NE(r.reason.find(path), std::string::npos) << r.reason;
        EXPECT_EQ(p, Odd()) << size;
    }
    Palette256 p = Odd();
    Result r = ReadColorFile(dir.file("none.2cp"), p);
    EXPECT_FALSE(r);
    EXPECT_NE(r.reason.find("none.2cp"), std::string::npos);

    // Through the editor: the box names the file, nothing changes.
    Options o;
    ScriptedPrompter prompter;
    PaletteEditor ed(o, prompter, dir.path());
    ed.Subvert();
    EXPECT_FALSE(ed.OpenFile(dir.file("bad1000")));
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_NE(prompter.shown[0].value.find("1000 bytes"), std::string::npos) << prompter.shown[0].value;
    EXPECT_EQ(ed.Colors(), SubvertPalette());
    EXPECT_EQ(o.ColorFileName, "COLORFILE.2CP");
    EXPECT_EQ(o.ColorSetType, 8);
}

TEST(ColorFile, SaveFailureIsReportedWithPathAndReason) {
    TempDir dir;
    Options o;
    ScriptedPrompter prompter;
    PaletteEditor ed(o, prompter, dir.path());
    EXPECT_FALSE(ed.SaveFile(dir.file("no/such/folder/c.2cp")));
    ASSERT_EQ(prompter.shown.size(), 1u);
    EXPECT_NE(prompter.shown[0].value.find("no/such/folder"), std::string::npos);
    EXPECT_NE(prompter.shown[0].value.find("No such file"), std::string::npos) << prompter.shown[0].value;
}

TEST(ColorFile, RelativeNameResolvesAgainstTheOptionsFolder) {
    TempDir dir;
    EXPECT_EQ(ResolveColorFile("COLORFILE.2CP", "/opt/z/"), "/opt/z/COLORFILE.2CP");
    EXPECT_EQ(ResolveColorFile("COLORFILE.2CP", "/opt/z"), "/opt/z/COLORFILE.2CP");
    EXPECT_EQ(ResolveColorFile("/abs/c.2cp", "/opt/z/"), "/abs/c.2cp");

    Options o;
    ScriptedPrompter prompter;
    PaletteEditor ed(o, prompter, dir.path());
    ed.Subvert();
    ASSERT_TRUE(ed.SaveFile(o.ColorFileName));  // the default, relative name
    EXPECT_TRUE(fs::exists(dir.file("COLORFILE.2CP")));
    // Chosen in the options folder: kept by name alone.
    ASSERT_TRUE(WriteColorFile(dir.file("mine.2cp"), Odd()));
    ASSERT_TRUE(ed.OpenFile(dir.file("mine.2cp")));
    EXPECT_EQ(o.ColorFileName, "mine.2cp");
}

TEST(ColorFile, FiledPaletteSurvivesLayerOpensAndTheNextSave) {
    TempDir dir;
    const std::string file = dir.file("user.2cp");
    ASSERT_TRUE(WriteColorFile(file, Odd()));

    LayerStore store;
    Options options;
    SetDefaultOptions(options, dir.path());
    ScriptedPrompter prompter;
    NullProgress progress;
    MainState state;
    PaletteEditor ed(options, prompter, dir.path());
    ed.ClockSeedFn = FixedSeed;
    FileCommands commands(store, options, prompter, progress, state);
    commands.hooks().RefreshPalette = [&] { ed.Setup(); };

    ASSERT_TRUE(ed.OpenFile(file));
    EXPECT_EQ(options.ColorSetType, csFiled);
    EXPECT_EQ(ed.Colors(), Odd());

    // Two layer opens, each regenerating the palette.
    zemba::test::CopySample("world", dir.path());
    for (int k = 0; k < 2; ++k) {
        store.LayerFileName = dir.file("world.shp");
        ASSERT_TRUE(commands.NewLayer());
        EXPECT_EQ(options.ColorSetType, csFiled);
        EXPECT_EQ(ed.Colors(), Odd()) << "open " << k;
    }
    // The type stays in the options file too.
    const std::string pof = dir.file("zemba.pof");
    ASSERT_TRUE(WriteOptionsFile(pof, options));
    Options back;
    ASSERT_TRUE(ReadOptionsFile(pof, back));
    EXPECT_EQ(back.ColorSetType, csFiled);

    // The next Save writes the user's colours, not random ones.
    ASSERT_TRUE(ed.SaveFile(options.ColorFileName));
    Palette256 saved{};
    ASSERT_TRUE(ReadColorFile(file, saved));
    EXPECT_EQ(saved, Odd());

    // The file damaged meanwhile: a layer open keeps the palette, quietly.
    WriteFileBytes(file, std::string(1000, '\0'));
    ed.Setup();
    EXPECT_EQ(ed.Colors(), Odd());
    EXPECT_TRUE(prompter.shown.empty());
    // Picking "Filed" by hand says why.
    ed.SelectType(csFiled);
    EXPECT_EQ(prompter.shown.size(), 1u);
    EXPECT_EQ(ed.Colors(), Odd());
}

TEST(PaletteEditor, RadioTypesAndSeedBox) {
    TempDir dir;
    Options o;
    ScriptedPrompter prompter;
    PaletteEditor ed(o, prompter, dir.path());
    ed.ClockSeedFn = FixedSeed;
    ed.SelectType(csGreen);
    EXPECT_EQ(o.ColorSetType, csGreen);
    EXPECT_EQ(ed.Colors(), RampPalette(csGreen));
    ed.SelectType(csRandom);
    EXPECT_EQ(ed.Colors(), RandomPalette(4242));
    ed.SelectSeeded(99);
    EXPECT_EQ(o.ColorSeed, 99);
    EXPECT_EQ(o.ColorSetType, csSeeded);
    EXPECT_EQ(ed.Colors(), SeededRamp(99));
    // Regenerating "#Set" on the next layer open gives the same colours.
    ed.Setup();
    EXPECT_EQ(ed.Colors(), SeededRamp(99));
    ed.SetEntry(3, 0xFF123456);  // only 24 bits are a colour
    EXPECT_EQ(ed.Entry(3), 0x123456u);
    ed.SelectType(0);  // outside the group: ignored
    EXPECT_EQ(o.ColorSetType, csSeeded);
    EXPECT_TRUE(prompter.shown.empty());
}
