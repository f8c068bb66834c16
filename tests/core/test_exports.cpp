#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <sstream>

#include "core/attributes.h"
#include "core/exports.h"
#include "core/shp_reader.h"
#include "tests/core/shp_builder.h"
#include "tests/test_support.h"

using namespace zemba;
using namespace zemba::test;

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t e = text.find("\r\n", at);
        if (e == std::string::npos) {
            out.push_back(text.substr(at));
            break;
        }
        out.push_back(text.substr(at, e - at));
        at = e + 2;
    }
    return out;
}

LayerStore PointLayer(std::vector<std::pair<double, double>> pts) {
    LayerStore s;
    s.AppendLayerSlot();
    ShpLayer& L = s.ShapeLayers[1];
    L.ShapeType = 1;
    L.NumRecords = static_cast<std::int32_t>(pts.size());
    L.Shapes.resize(pts.size() + 1);
    for (std::size_t k = 0; k < pts.size(); ++k) {
        ShpObj& o = L.Shapes[k + 1];
        o.XMin = o.XMax = pts[k].first;
        o.YMin = o.YMax = pts[k].second;
    }
    return s;
}

void AddPart(ShpObj& o, std::vector<std::pair<double, double>> pts) {
    if (o.Parts.empty()) {
        o.Parts.resize(1);
        o.PartSizes.resize(1);
    }
    PAR p;
    p.Pts.resize(pts.size() + 1);
    for (std::size_t j = 0; j < pts.size(); ++j) p.Pts[j + 1] = {pts[j].first, pts[j].second};
    o.Parts.push_back(std::move(p));
    o.PartSizes.push_back(static_cast<std::int32_t>(pts.size()));
    o.NumParts += 1;
    o.NumPoints += static_cast<std::int32_t>(pts.size());
}

LayerStore OneShapeLayer(std::int32_t type, std::vector<std::vector<std::pair<double, double>>> parts) {
    LayerStore s;
    s.AppendLayerSlot();
    ShpLayer& L = s.ShapeLayers[1];
    L.ShapeType = type;
    L.NumRecords = 1;
    L.Shapes.resize(2);
    for (auto& p : parts) AddPart(L.Shapes[1], p);
    return s;
}

using test::Shell;

}  // namespace

TEST(DxfExport, FixedSectionsAndPoints) {
    TempDir d;
    LayerStore s = PointLayer({{1.25, 2}, {3, 4.75}});
    NullProgress g;
    ASSERT_TRUE(ExportDxf(s, 1, d.file("p.dxf"), g));
    auto l = Lines(ReadFileBytes(d.file("p.dxf")));
    std::vector<std::string> head = {"999", "Ver 1.0 ZEMBA 2D dxf", "0", "SECTION", "2", "HEADER", "0", "ENDSEC", "0",
                                     "SECTION", "2", "TABLES", "0", "TABLE", "2", "LAYER", "0", "LAYER", "2", "0",
                                     "0", "ENDTAB", "0", "ENDSEC", "0", "SECTION", "2", "BLOCKS", "0", "ENDSEC", "0",
                                     "SECTION", "2", "ENTITIES"};
    ASSERT_GE(l.size(), head.size() + 4);
    EXPECT_EQ(std::vector<std::string>(l.begin(), l.begin() + head.size()), head);
    std::vector<std::string> point = {"0", "POINT", "8", "0", "10", "1.25", "20", "2.0", "30", "0.000000"};
    EXPECT_EQ(std::vector<std::string>(l.begin() + head.size(), l.begin() + head.size() + 10), point);
    EXPECT_EQ(l[head.size() + 15], "3.0");
    EXPECT_EQ(l[head.size() + 17], "4.75");
    EXPECT_EQ(std::vector<std::string>(l.end() - 4, l.end()), (std::vector<std::string>{"0", "ENDSEC", "0", "EOF"}));
    for (auto& x : l) EXPECT_NE(x, "SEQEND");
}

TEST(DxfExport, LinesAndRingsAndFullPrecision) {
    TempDir d;
    NullProgress g;
    LayerStore line = OneShapeLayer(3, {{{512345.67, 4000000.125}, {2, 2}, {3, 1}}});
    ASSERT_TRUE(ExportDxf(line, 1, d.file("l.dxf"), g));
    std::string text = ReadFileBytes(d.file("l.dxf"));
    EXPECT_NE(text.find("POLYLINE\r\n8\r\n0\r\n70\r\n8\r\n66\r\n1\r\n10\r\n0.000000"), std::string::npos);
    EXPECT_NE(text.find("10\r\n512345.67\r\n20\r\n4000000.125\r\n"), std::string::npos);
    auto l = Lines(text);
    std::vector<std::string> xs;
    for (std::size_t k = 0; k + 2 < l.size(); ++k)
        if (l[k] == "VERTEX") xs.push_back(l[k + 4]);
    EXPECT_EQ(xs, (std::vector<std::string>{"512345.67", "2.0", "3.0"}));

    LayerStore ring = OneShapeLayer(5, {{{0, 0}, {0, 4}, {4, 4}, {4, 0}, {0, 0}}, {{1, 1}, {2, 1}, {1, 1}}});
    ASSERT_TRUE(ExportDxf(ring, 1, d.file("r.dxf"), g));
    auto r = Lines(ReadFileBytes(d.file("r.dxf")));
    int vertices = 0, polylines = 0, seqends = 0;
    for (std::size_t k = 0; k < r.size(); ++k) {
        vertices += r[k] == "VERTEX";
        polylines += r[k] == "POLYLINE";
        seqends += r[k] == "SEQEND";
        if (r[k] == "70") {
            EXPECT_EQ(r[k + 1], "1");
        }
    }
    EXPECT_EQ(vertices, 4 + 2);
    EXPECT_EQ(polylines, 2);
    EXPECT_EQ(seqends, 2);

    LayerStore mp = OneShapeLayer(8, {{{1, 1}, {2, 2}}});
    mp.ShapeLayers[1].Shapes[1].PartSizes.clear();
    ASSERT_TRUE(ExportDxf(mp, 1, d.file("m.dxf"), g));
    std::string m = ReadFileBytes(d.file("m.dxf"));
    EXPECT_NE(m.find("ENTITIES\r\n0\r\nENDSEC\r\n0\r\nEOF\r\n"), std::string::npos);
}

TEST(DxfExport, RealReadersReadTheDrawingBack) {
    TempDir d;
    SilentPrompter p;
    NullProgress g;
    LayerStore s;
    s.AppendLayerSlot();
    s.LayerFileName = DataPath("nc.shp");
    ASSERT_TRUE(ReadShapefile(s, p, g));
    ASSERT_TRUE(ExportDxf(s, 1, d.file("nc.dxf"), g));
    LayerStore pts = PointLayer({{512345.67, -4000000.25}, {1e-7, 3}});
    ASSERT_TRUE(ExportDxf(pts, 1, d.file("pts.dxf"), g));

    const ShpObj& first = s.ShapeLayers[1].Shapes[1];
    std::ostringstream script;
    script.precision(17);
    script << "import ezdxf, sys\n"
           << "doc = ezdxf.readfile(sys.argv[1])\n"
           << "ents = list(doc.modelspace())\n"
           << "polys = [e for e in ents if e.dxftype() == 'POLYLINE']\n"
           << "print(len(polys), len(list(polys[0].vertices)), repr(list(polys[0].vertices)[0].dxf.location[0]))\n"
           << "doc = ezdxf.readfile(sys.argv[2])\n"
           << "print(' '.join(repr(c) for e in doc.modelspace() for c in (e.dxf.location.x, e.dxf.location.y)))\n";
    WriteFileBytes(d.file("check.py"), script.str());
    std::string out =
        Shell("/usr/bin/python3 '" + d.file("check.py") + "' '" + d.file("nc.dxf") + "' '" + d.file("pts.dxf") + "' 2>&1");
    std::istringstream in(out);
    int polylines = 0, verts = 0;
    double x0 = 0;
    in >> polylines >> verts >> x0;
    EXPECT_EQ(polylines, 100 + s.ShapeLayers[1].NumExtraParts) << out;
    EXPECT_EQ(verts, first.PartSizes[1] - 1) << out;
    EXPECT_EQ(x0, first.Parts[1].Pts[1].X) << out;
    double a, b, c, e;
    in >> a >> b >> c >> e;
    EXPECT_EQ(a, 512345.67) << out;
    EXPECT_EQ(b, -4000000.25) << out;
    EXPECT_EQ(c, 1e-7) << out;
    EXPECT_EQ(e, 3.0) << out;

    // GDAL's DXF driver agrees on the entity count.
    std::string info = Shell("ogrinfo -ro -so -al '" + d.file("nc.dxf") + "' 2>&1");
    EXPECT_NE(info.find("Feature Count: " + std::to_string(polylines)), std::string::npos) << info;
}

TEST(DatExport, PolygonDumpHoldsCountsAndVertices) {
    TempDir d;
    NullProgress g;
    LayerStore s = OneShapeLayer(5, {{{0, 0}, {0, 4}, {4, 4}, {4, 0}, {0, 0}}, {{1, 1}, {2, 1}, {2, 2}, {1, 1}}});
    ASSERT_TRUE(ExportCoordinates(s, 1, d.file("poly.shp"), g));
    std::string dat = ReadFileBytes(d.file("poly.dat"));
    ASSERT_EQ(dat.size(), 31u * 8);
    EXPECT_EQ(GetD(dat, 0), 5.0);
    EXPECT_EQ(GetD(dat, 9 * 8), 1.0);   // NumRecords
    EXPECT_EQ(GetD(dat, 10 * 8), 2.0);  // NumParts
    EXPECT_EQ(GetD(dat, 11 * 8), 5.0);  // first part size
    EXPECT_EQ(GetD(dat, 14 * 8), 0.0);  // second vertex X
    EXPECT_EQ(GetD(dat, 15 * 8), 4.0);  // second vertex Y
    EXPECT_EQ(GetD(dat, 22 * 8), 4.0);  // second part size

    LayerStore pts = PointLayer({{1, 2}, {3, 4}});
    ASSERT_TRUE(ExportCoordinates(pts, 1, d.file("pts.shp"), g));
    EXPECT_EQ(ReadFileBytes(d.file("pts.dat")).size(), (9u + 1 + 4) * 8);
}

TEST(DatExport, ZAndMultipointBranchesWriteKeptValues) {
    TempDir d;
    SilentPrompter p;
    NullProgress g;
    LayerStore z;
    z.AppendLayerSlot();
    z.LayerFileName = DataPath("types/pointz.shp");
    ASSERT_TRUE(ReadShapefile(z, p, g));
    ASSERT_TRUE(ExportCoordinates(z, 1, d.file("z.shp"), g));
    std::string dat = ReadFileBytes(d.file("z.dat"));
    ASSERT_EQ(dat.size(), (9u + 1 + 3 * 4) * 8);
    EXPECT_EQ(GetD(dat, 12 * 8), z.ShapeLayers[1].Shapes3[1].ZMin);

    LayerStore m;
    m.AppendLayerSlot();
    m.LayerFileName = DataPath("types/multipointz.shp");
    ASSERT_TRUE(ReadShapefile(m, p, g));
    ASSERT_TRUE(ExportCoordinates(m, 1, d.file("m.shp"), g));
    // type, 8 ranges, count; then box, n, n points, Z range, n Z, M range, n M
    EXPECT_EQ(ReadFileBytes(d.file("m.dat")).size(), (10u + 4 + 1 + 6 + 2 + 3 + 2 + 3) * 8);
}
