#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <map>

#include "core/file_io.h"
#include "mapping/project_files.h"
#include "mapping_fixture.h"

namespace zemba {
namespace {

using test::TempDir;

double DoubleAt(const std::string& b, std::size_t off) {
    return LoadLEDouble(reinterpret_cast<const unsigned char*>(b.data()) + off);
}
std::int32_t IntAt(const std::string& b, std::size_t off) {
    return LoadLEInt(reinterpret_cast<const unsigned char*>(b.data()) + off);
}

// Every field of the records set to a value of its own.
MapProject DistinctProject() {
    MapProject p;
    MapInfoRec& m = p.MapInfo;
    m.Name = "NAME";
    m.Date = "1990, 2001";
    m.Revision = "P";
    m.Scale = "24,000";
    m.Quadrangle = "QUAD";
    m.ProductType = "Geo";
    m.PreProcessing = "pre";
    m.Resampling = "cubic";
    m.MetadataFile = "meta.txt";
    for (int k = 0; k < 12; ++k) m.EdgeFlags[k] = static_cast<char>('a' + k);
    m.IsProjected = 1, m.NeverProjected = 1, m.IgnoreDatum = 0, m.IgnoreErrors = 1, m.UtmNorth = 0;
    m.ProjectionValid = 1;
    m.Category = 5, m.ProjectionCode = 4, m.Units = 2, m.UtmZone = 17, m.Datum = 14, m.Spheroid = 8;
    m.StatePlaneZone = 3200;
    int k = 0;
    for (double* d : m.ParamRefs()) *d = 100.5 + k++;
    for (double& d : m.Affine) d = 200.25 + k++;
    for (double& d : m.AffineP) d = 300.125 + k++;
    m.ZUnits = 1, m.MUnits = 5;
    m.XMax = 1, m.XMin = 2, m.YMax = 3, m.YMin = 4, m.ZMax = 5, m.ZMin = 6, m.MMax = 7, m.MMin = 8;
    m.CoordinatesValid = 1;
    m.ULLon = -1, m.ULLat = -2, m.URLon = -3, m.URLat = -4, m.LLLon = -5, m.LLLat = -6, m.LRLon = -7, m.LRLat = -8;
    LegendRec& l = p.MapLegend;
    l.ProjectionName = "4: LamCC";
    l.ProjectionIndex = 4;
    l.LineCounts = {3, 1, 1, 1, 1, 1, 1, 2};
    l.Lines[0] = {"Title one", "Title two", "Title three"};
    l.Lines[7] = {"contour", "20 ft"};
    for (int e = 1; e < 7; ++e) l.Lines[e] = {"line " + std::to_string(e)};
    l.ShowText = {1, 0, 1, 0, 1, 0, 1, 1};
    for (int e = 0; e < 8; ++e)
        for (int j = 0; j < 8; ++j) l.TextPlace[e][j] = 1000 + e * 10 + j;
    l.ShowBitmap = {1, 1, 0, 1, 0, 1};
    for (int q = 0; q < 6; ++q)
        for (int j = 0; j < 8; ++j) l.BitmapPlace[q][j] = 2000 + q * 10 + j;
    l.PaperPlace = {9, 8, 7, 6, 5, 4, 3, 2};
    l.GridName = "Lat Long";
    l.NorthArrowFile = "/x/north.bmp";
    l.LegendFile = "/x/legend.bmp";
    l.LocationFile = "/x/loc.bmp";
    l.ScaleBarFile = "/x/scale.bmp";
    l.FeatureFile = "/x/feat.bmp";
    p.SaveMode = 1;
    return p;
}

LoadMapHooks Hooks(LayerStore& store) {
    LoadMapHooks h;
    h.OpenLayer = [&store] { return test::OpenLayer(store, store.LayerFileName); };
    return h;
}

struct Loaded {
    LayerStore store;
    MapProject project;
    test::ScriptedPrompter prompter;
    NullProgress progress;
    Result Load(const std::string& file) { return LoadMap(store, project, file, prompter, progress, Hooks(store)); }
};

TEST(ProjectFiles, BinaryLayoutsHaveTheirSizesAndOffsets) {
    LayerStore store;
    store.LayerCount = 2;
    store.ShapeLayers.resize(3);
    store.LayerOrder = {2, 1};
    MapProject p = DistinctProject();
    const std::string zmp = EncodeZmp(store, p);
    ASSERT_EQ(zmp.size(), 1180u);
    EXPECT_EQ(DoubleAt(zmp, 0), 1.0);
    EXPECT_EQ(IntAt(zmp, 10), 2);
    EXPECT_EQ(IntAt(zmp, 14), 4);
    EXPECT_EQ(IntAt(zmp, 18), 3);
    EXPECT_EQ(IntAt(zmp, 46), 2);  // LineCounts[7]
    for (int k = 50; k < 82; ++k) EXPECT_EQ(zmp[k], 0) << "font slot byte " << k;
    EXPECT_EQ(zmp[82], 1);
    EXPECT_EQ(zmp[83], 0);
    EXPECT_EQ(zmp[90], 1);
    EXPECT_EQ(IntAt(zmp, 91), 1000);
    EXPECT_EQ(IntAt(zmp, 91 + 255 - 3), 1077);  // last int of TextPlace[7]
    EXPECT_EQ(zmp[347], 1);
    EXPECT_EQ(zmp[349], 0);
    EXPECT_EQ(IntAt(zmp, 353), 2000);
    EXPECT_EQ(IntAt(zmp, 545), 9);
    EXPECT_EQ(zmp[577], 'a');
    EXPECT_EQ(zmp[588], 'l');
    EXPECT_EQ(zmp[589], 1);   // IsProjected
    EXPECT_EQ(zmp[592], 1);   // IgnoreErrors
    EXPECT_EQ(zmp[593], 0);   // UtmNorth
    EXPECT_EQ(IntAt(zmp, 595), 5);
    EXPECT_EQ(IntAt(zmp, 599), 4);
    EXPECT_EQ(IntAt(zmp, 619), 3200);
    EXPECT_EQ(DoubleAt(zmp, 623), 100.5);        // Mode
    EXPECT_EQ(DoubleAt(zmp, 623 + 32 * 8), 132.5);  // Path
    EXPECT_EQ(DoubleAt(zmp, 887), 200.25 + 33);
    EXPECT_EQ(DoubleAt(zmp, 1007), 300.125 + 48);
    EXPECT_EQ(IntAt(zmp, 1039), 1);
    EXPECT_EQ(IntAt(zmp, 1043), 5);
    EXPECT_EQ(DoubleAt(zmp, 1047), 1.0);
    EXPECT_EQ(DoubleAt(zmp, 1103), 8.0);
    EXPECT_EQ(zmp[1111], 1);
    EXPECT_EQ(DoubleAt(zmp, 1112), -1.0);
    EXPECT_EQ(DoubleAt(zmp, 1168), -8.0);
    EXPECT_EQ(IntAt(zmp, 1176), 1);

    const std::string lpj = EncodeLpj(p.MapInfo);
    ASSERT_EQ(lpj.size(), 599u);
    EXPECT_EQ(lpj, zmp.substr(577, 599));  // the same block as in the project
}

TEST(ProjectFiles, TextFileHasOneLinePerValue) {
    TempDir dir;
    test::CopySample("nc", dir.path());
    test::CopySample("world", dir.path());
    LayerStore store;
    ASSERT_TRUE(test::OpenLayer(store, dir.file("nc.shp")));
    ASSERT_TRUE(test::OpenLayer(store, dir.file("world.shp")));
    MapProject p = DistinctProject();
    NullProgress progress;
    ASSERT_TRUE(SaveMap(store, p, dir.file("m.zmp"), progress));
    const std::string zmt = test::ReadFileBytes(dir.file("m.zmt"));
    const std::vector<std::string> lines = SplitLines(zmt);
    // 4 + 2N + 1 + sum(LineCounts) + 6 + 8 + 1 with N = 2 and counts summing to 11.
    EXPECT_EQ(lines.size(), 4u + 4 + 1 + 11 + 6 + 8 + 1);
    EXPECT_EQ(zmt.substr(0, 5), "not\r\n");
    EXPECT_EQ(lines[4], "nc.shp");
    EXPECT_EQ(lines[5], dir.path() + "/");
    EXPECT_EQ(lines[6], "world.shp");
    EXPECT_EQ(lines[9], "Title one");
    EXPECT_EQ(lines.back(), "meta.txt");
    EXPECT_EQ(store.BaseImagePath, "not");
    EXPECT_EQ(store.BaseImageName, "not");
    EXPECT_EQ(test::ReadFileBytes(dir.file("m.zmp")).size(), 1180u);

    // No layers: nothing written.
    LayerStore empty;
    EXPECT_FALSE(SaveMap(empty, p, dir.file("none.zmp"), progress));
    EXPECT_FALSE(FileExists(dir.file("none.zmp")));
}

TEST(ProjectFiles, RoundTripRestoresEveryFieldAndTheDrawingOrder) {
    TempDir dir;
    test::CopySample("nc", dir.path());
    test::CopySample("world", dir.path());
    LayerStore store;
    ASSERT_TRUE(test::OpenLayer(store, dir.file("nc.shp")));
    ASSERT_TRUE(test::OpenLayer(store, dir.file("world.shp")));
    store.LayerOrder = {2, 1};
    MapProject saved = DistinctProject();
    saved.MapInfo.Name = std::string(300, 'N');  // cut to 255
    NullProgress progress;
    ASSERT_TRUE(SaveMap(store, saved, dir.file("m.zmp"), progress));
    EXPECT_EQ(store.ProjectName, "m.zmp");

    Loaded l;
    ASSERT_TRUE(l.Load(dir.file("m.zmp")));
    ASSERT_EQ(l.store.LayerCount, 2);
    EXPECT_EQ(l.store.ShapeLayers[1].ShpName, "world.shp");
    EXPECT_EQ(l.store.ShapeLayers[2].ShpName, "nc.shp");
    EXPECT_EQ(l.store.ProjectName, "m.zmp");
    EXPECT_EQ(l.store.ProjectPath, dir.path() + "/");
    EXPECT_TRUE(l.store.MapChanged);
    EXPECT_EQ(EncodeLpj(l.project.MapInfo), EncodeLpj(saved.MapInfo));
    EXPECT_EQ(l.project.MapInfo.Name, std::string(255, 'N'));
    EXPECT_EQ(l.project.MapInfo.Resampling, "cubic");
    EXPECT_EQ(l.project.MapInfo.MetadataFile, "meta.txt");
    EXPECT_EQ(l.project.SaveMode, 1);
    const LegendRec& a = l.project.MapLegend;
    const LegendRec& b = saved.MapLegend;
    EXPECT_EQ(a.ProjectionName, b.ProjectionName);
    EXPECT_EQ(a.ProjectionIndex, b.ProjectionIndex);
    EXPECT_EQ(a.LineCounts, b.LineCounts);
    EXPECT_EQ(a.Lines, b.Lines);
    EXPECT_EQ(a.ShowText, b.ShowText);
    EXPECT_EQ(a.TextPlace, b.TextPlace);
    EXPECT_EQ(a.ShowBitmap, b.ShowBitmap);
    EXPECT_EQ(a.BitmapPlace, b.BitmapPlace);
    EXPECT_EQ(a.PaperPlace, b.PaperPlace);
    EXPECT_EQ(a.GridName, b.GridName);
    EXPECT_EQ(a.FeatureFile, b.FeatureFile);
    EXPECT_TRUE(a.Fonts[0] != nullptr);  // fonts are not stored: the window's stay
    // Saving what was loaded gives the same bytes.
    ASSERT_TRUE(SaveMap(l.store, l.project, dir.file("again.zmp"), progress));
    EXPECT_EQ(test::ReadFileBytes(dir.file("again.zmp")), test::ReadFileBytes(dir.file("m.zmp")));
    EXPECT_EQ(test::ReadFileBytes(dir.file("again.zmt")), test::ReadFileBytes(dir.file("m.zmt")));
}

// A saved project in a temp dir with the nc layer.
struct SavedProject {
    TempDir dir;
    std::string zmp, zmt;
    SavedProject() {
        test::CopySample("nc", dir.path());
        LayerStore store;
        EXPECT_TRUE(test::OpenLayer(store, dir.file("nc.shp")));
        MapProject p = DistinctProject();
        NullProgress progress;
        EXPECT_TRUE(SaveMap(store, p, dir.file("m.zmp"), progress));
        zmp = test::ReadFileBytes(dir.file("m.zmp"));
        zmt = test::ReadFileBytes(dir.file("m.zmt"));
    }
    void Write(const std::string& bin, const std::string& text) {
        test::WriteFileBytes(dir.file("m.zmp"), bin);
        test::WriteFileBytes(dir.file("m.zmt"), text);
    }
};

TEST(ProjectFiles, SecondShowTextByteWinsAndLfLinesRead) {
    SavedProject s;
    std::string bin = s.zmp;
    bin[82] = 1;
    bin[90] = 0;
    std::string lf;
    for (char c : s.zmt)
        if (c != '\r') lf += c;
    s.Write(bin, lf);
    Loaded l;
    ASSERT_TRUE(l.Load(s.dir.file("m.zmp")));
    EXPECT_EQ(l.project.MapLegend.ShowText[0], 0);
    EXPECT_EQ(l.project.MapLegend.Lines[0][2], "Title three");
    EXPECT_EQ(l.project.MapInfo.MetadataFile, "meta.txt");
}

TEST(ProjectFiles, DamagedOrNewerProjectsChangeNothing) {
    SavedProject s;
    auto withDouble = [&](double v) {
        std::string b = s.zmp;
        StoreLEDouble(reinterpret_cast<unsigned char*>(&b[0]), v);
        return b;
    };
    auto withInt = [&](std::size_t off, std::int32_t v) {
        std::string b = s.zmp;
        StoreLE32(reinterpret_cast<unsigned char*>(&b[off]), static_cast<std::uint32_t>(v));
        return b;
    };
    const std::string shortText = s.zmt.substr(0, s.zmt.size() / 2);
    struct Case {
        const char* what;
        std::string bin, text;
    } cases[] = {
        {"version 2.0", withDouble(2.0), s.zmt},
        {"version NaN", withDouble(std::numeric_limits<double>::quiet_NaN()), s.zmt},
        {"short binary", s.zmp.substr(0, 600), s.zmt},
        {"long binary", s.zmp + "x", s.zmt},
        {"empty binary", "", s.zmt},
        {"short text", s.zmp, shortText},
        {"negative layer count", withInt(10, -1), s.zmt},
        {"huge layer count", withInt(10, 0x7fffffff), s.zmt},
        {"negative line count", withInt(18, -5), s.zmt},
        {"huge line count", withInt(18, 0x7fffffff), s.zmt},
        {"datum out of range", withInt(577 + 18 + 16, 26), s.zmt},
        {"spheroid out of range", withInt(577 + 18 + 20, 31), s.zmt},
        {"units out of range", withInt(577 + 18 + 8, -1), s.zmt},
        {"projection out of range", withInt(577 + 18 + 4, 99), s.zmt},
        {"projection index out of range", withInt(14, 33), s.zmt},
        {"save mode out of range", withInt(1176, 2), s.zmt},
    };
    for (const Case& c : cases) {
        s.Write(c.bin, c.text);
        Loaded l;
        l.store.ProjectName = "old.zmp";
        l.project.MapInfo.Name = "KEEP";
        const std::string before = EncodeLpj(l.project.MapInfo);
        Result r = l.Load(s.dir.file("m.zmp"));
        EXPECT_FALSE(r) << c.what;
        EXPECT_EQ(l.store.ProjectName, "old.zmp") << c.what;
        EXPECT_EQ(l.store.LayerCount, 0) << c.what;
        EXPECT_EQ(l.project.MapInfo.Name, "KEEP") << c.what;
        EXPECT_EQ(EncodeLpj(l.project.MapInfo), before) << c.what;
        ASSERT_EQ(l.prompter.shown.size(), 1u) << c.what;
        EXPECT_NE(l.prompter.shown[0].value.find("m.zm"), std::string::npos) << c.what;
    }
    // Any version below 2.0 loads.
    s.Write(withDouble(1.99), s.zmt);
    Loaded ok;
    EXPECT_TRUE(ok.Load(s.dir.file("m.zmp")));
}

TEST(ProjectFiles, MissingTableSkipsThatLayerOnly) {
    TempDir dir;
    test::CopySample("nc", dir.path());
    test::CopySample("world", dir.path());
    LayerStore store;
    ASSERT_TRUE(test::OpenLayer(store, dir.file("nc.shp")));
    ASSERT_TRUE(test::OpenLayer(store, dir.file("world.shp")));
    MapProject p;
    NullProgress progress;
    ASSERT_TRUE(SaveMap(store, p, dir.file("m.zmp"), progress));
    std::remove(dir.file("nc.dbf").c_str());
    Loaded l;
    ASSERT_TRUE(l.Load(dir.file("m.zmp")));
    EXPECT_EQ(l.prompter.Count(MsgFamily::Error, 20), 1);
    ASSERT_EQ(l.store.LayerCount, 1);
    EXPECT_EQ(l.store.ShapeLayers[1].ShpName, "world.shp");
}

TEST(ProjectFiles, AttributeSideFilesGoBesideEachShapefile) {
    TempDir data, projects;
    test::CopySample("nc", data.path());
    LayerStore store;
    ASSERT_TRUE(test::OpenLayer(store, data.file("nc.shp")));
    MapProject p;
    p.SaveMode = 1;
    NullProgress progress;
    ASSERT_TRUE(SaveMap(store, p, projects.file("m.zmp"), progress));
    EXPECT_TRUE(FileExists(data.file("nc.att")));
    EXPECT_TRUE(FileExists(data.file("nc.atx")));
    EXPECT_FALSE(FileExists(projects.file("nc.att")));
}

TEST(ProjectFiles, LayerDescriptionRoundTripAndDamage) {
    TempDir dir;
    MapInfoRec m = DistinctProject().MapInfo;
    ASSERT_TRUE(WriteLayerDescription(dir.file("a.lpj"), dir.file("a.lpt"), m));
    EXPECT_EQ(test::ReadFileBytes(dir.file("a.lpj")).size(), 599u);
    EXPECT_EQ(SplitLines(test::ReadFileBytes(dir.file("a.lpt"))).size(), 9u);
    MapInfoRec back = MapProject::BlankMapInfo();
    ASSERT_TRUE(ReadLayerDescription(dir.file("a.lpj"), dir.file("a.lpt"), back));
    EXPECT_EQ(EncodeLpj(back), EncodeLpj(m));
    EXPECT_EQ(EncodeLpt(back), EncodeLpt(m));

    const std::string lpj = test::ReadFileBytes(dir.file("a.lpj"));
    const std::string lpt = test::ReadFileBytes(dir.file("a.lpt"));
    std::string badDatum = lpj;
    StoreLE32(reinterpret_cast<unsigned char*>(&badDatum[18 + 16]), 40);
    for (const auto& c : {std::make_pair(lpj.substr(0, 598), lpt), std::make_pair(badDatum, lpt),
                          std::make_pair(lpj, lpt.substr(0, 20))}) {
        test::WriteFileBytes(dir.file("b.lpj"), c.first);
        test::WriteFileBytes(dir.file("b.lpt"), c.second);
        MapInfoRec keep = MapProject::BlankMapInfo();
        Result r = ReadLayerDescription(dir.file("b.lpj"), dir.file("b.lpt"), keep);
        EXPECT_FALSE(r);
        EXPECT_NE(r.reason.find("b.lp"), std::string::npos);
        EXPECT_EQ(EncodeLpj(keep), EncodeLpj(MapProject::BlankMapInfo()));
        EXPECT_EQ(keep.Name, "COLLINSVILLE IL");
    }
}

TEST(ProjectFiles, BlankProjectAndLayer) {
    MapProject p = DistinctProject();
    InitializeBlankMapLegend(p);
    EXPECT_EQ(p.MapInfo.Name, "COLLINSVILLE IL");
    EXPECT_EQ(p.MapInfo.StatePlaneZone, 1202);
    EXPECT_EQ(p.MapInfo.Datum, 13);
    EXPECT_EQ(p.MapLegend.ProjectionName, "0: Geo");
    EXPECT_EQ(p.MapLegend.TextPlace[4], (PlacementSlot{10, 192, 46, 31, 0, 0, 0, 0}));
    EXPECT_EQ(p.MapLegend.PaperPlace, (PlacementSlot{8, 160, 172, 230, 0, 0, 0, 0}));
    EXPECT_EQ(p.MapLegend.Fonts[0], p.MapLegend.Fonts[7]);  // one shared font
    p.MapLegend.ProjectionName = "1: UTM";
    FillLayerBlankProjection(p);
    EXPECT_EQ(p.MapLegend.ProjectionName, "0: Geo");
    EXPECT_EQ(EncodeLpj(p.LayerInfo), EncodeLpj(p.MapInfo));
}

// The project, its text file and every layer's style files commit together,
// whatever step of the commit fails.
TEST(ProjectFiles, SaveWithStylesIsAllOrNothingAtEveryStep) {
    struct Disarm {
        ~Disarm() { commit_faults::Disarm(); }
    } disarm;
    // Names and bytes, with the folder's own name taken out of the text.
    auto listing = [](const std::string& dir) {
        std::map<std::string, std::string> out;
        for (const auto& e : std::filesystem::directory_iterator(dir)) {
            std::string bytes = test::ReadFileBytes(e.path().string());
            for (std::size_t at; (at = bytes.find(dir)) != std::string::npos;) bytes.replace(at, dir.size(), "DIR");
            out[e.path().filename().string()] = bytes;
        }
        return out;
    };
    auto names = [](const std::map<std::string, std::string>& m) {
        std::string s;
        for (const auto& kv : m) s += kv.first + " ";
        return s;
    };
    // Saves the project twice in `dir`: the second save's title differs.
    auto prepare = [](const std::string& dir, LayerStore& store, MapProject& p) {
        test::CopySample("nc", dir);
        test::CopySample("world", dir);
        ASSERT_TRUE(test::OpenLayer(store, dir + "/nc.shp"));
        ASSERT_TRUE(test::OpenLayer(store, dir + "/world.shp"));
        p = DistinctProject();
        NullProgress progress;
        ASSERT_TRUE(SaveMap(store, p, dir + "/m.zmp", progress));
        p.MapLegend.Lines[0][0] = "A new title";
        store.SymLayers[1].SymObjs[1].PenColor ^= 0xFFFFFF;
    };
    std::map<std::string, std::string> before, after;
    {
        TempDir dir;
        LayerStore store;
        MapProject p;
        prepare(dir.path(), store, p);
        before = listing(dir.path());
        NullProgress progress;
        ASSERT_TRUE(SaveMap(store, p, dir.file("m.zmp"), progress));
        after = listing(dir.path());
    }
    ASSERT_NE(before.at("m.zmt"), after.at("m.zmt"));
    ASSERT_NE(before.at("nc.att"), after.at("nc.att"));
    for (auto kind : {commit_faults::Kind::Write, commit_faults::Kind::Rename, commit_faults::Kind::Die}) {
        bool done = false;
        for (int k = 1; k < 100 && !done; ++k) {
            SCOPED_TRACE("fault " + std::to_string(int(kind)) + " at " + std::to_string(k));
            TempDir dir;
            LayerStore store;
            MapProject p;
            prepare(dir.path(), store, p);
            NullProgress progress;
            commit_faults::Arm(kind, k);
            Result r = SaveMap(store, p, dir.file("m.zmp"), progress);
            commit_faults::Disarm();
            if (r) {
                done = true;
                EXPECT_TRUE(listing(dir.path()) == after) << names(listing(dir.path()));
                continue;
            }
            if (kind == commit_faults::Kind::Die) {
                // Reopening the project mends the folder first.
                Loaded l;
                EXPECT_TRUE(l.Load(dir.file("m.zmp")));
                EXPECT_EQ(l.prompter.shown.size(), 1u);
                auto now = listing(dir.path());
                EXPECT_TRUE(now == before || now == after) << names(now);
            } else {
                EXPECT_TRUE(listing(dir.path()) == before) << names(listing(dir.path()));
            }
        }
        EXPECT_TRUE(done);
    }
}

TEST(ProjectFiles, LayerFolderTooLongForTheProjectIsRefused) {
    TempDir dir;
    std::string deep = dir.path();
    while (deep.size() < 300) deep += "/" + std::string(60, 'd');
    std::filesystem::create_directories(deep);
    test::CopySample("nc", deep);
    LayerStore store;
    ASSERT_TRUE(test::OpenLayer(store, deep + "/nc.shp"));
    MapProject p;
    NullProgress progress;
    Result r = SaveMap(store, p, dir.file("m.zmp"), progress);
    ASSERT_FALSE(r);
    EXPECT_NE(r.reason.find("nc.shp"), std::string::npos) << r.reason;
    EXPECT_FALSE(FileExistsAny(dir.file("m.zmp")));
    EXPECT_FALSE(FileExistsAny(dir.file("m.zmt")));
}

}  // namespace
}  // namespace zemba
