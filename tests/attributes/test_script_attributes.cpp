// The attribute commands of zemba-info's script language, run as a user
// runs them.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "core/attributes.h"
#include "core/file_io.h"
#include "core/shp_reader.h"
#include "tests/test_support.h"

using namespace zemba;
using namespace zemba::test;

namespace {

struct InfoRun {
    int status;
    std::string out;
};

InfoRun Info(const std::string& script) {
    const std::string cmd = "QT_QPA_PLATFORM=offscreen " + std::string(ZEMBA_BIN_DIR) + "/zemba-info -e '" + script + "' 2>&1";
    InfoRun r{0, {}};
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return {-1, {}};
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    r.status = pclose(p);
    return r;
}

}  // namespace

TEST(ScriptAttributes, SetAddFieldAndSave) {
    TempDir d;
    CopySample("nc", d.path());
    const std::string nc = d.file("nc.shp");
    InfoRun r = Info("open " + nc + "; shape 4; set NAME \"New Ashe\"; addfield Rank Integer; set rank 7; "
                 "addfield Rank String 12; save " + d.file("out.shp"));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("Shape 1.4 NAME = New Ashe"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Field 15: Rank1 String 12"), std::string::npos) << r.out;

    LayerStore s;
    SilentPrompter p;
    NullProgress g;
    s.AppendLayerSlot();
    s.LayerFileName = d.file("out.shp");
    ASSERT_TRUE(ReadShapefile(s, p, g));
    ASSERT_TRUE(LoadAttributes(s, 1, g));
    const ShpLayer& L = s.ShapeLayers[1];
    ASSERT_EQ(L.NumFields, 16);
    EXPECT_EQ(L.Shapes[4].Values[4], "New Ashe");
    EXPECT_EQ(L.Shapes[4].Values[14], "7");
    EXPECT_EQ(L.Shapes[5].Values[14], "0");
    // The source is untouched until saved over.
    EXPECT_EQ(ReadFileBytes(d.file("nc.dbf")), ReadFileBytes(DataPath("nc.dbf")));

    // Refusals end the run with status 1 and say why.
    r = Info("open " + nc + "; shape 2; set BIR74 lots");
    EXPECT_NE(r.status, 0);
    EXPECT_NE(r.out.find("is not a number"), std::string::npos) << r.out;
    r = Info("open " + nc + "; set NAME x");
    EXPECT_NE(r.out.find("no shape is selected"), std::string::npos) << r.out;
    r = Info("open " + nc + "; addfield Width String 1x");
    EXPECT_NE(r.out.find("not a valid integer value"), std::string::npos) << r.out;
    r = Info("open " + nc + "; addfield Width Text");
    EXPECT_NE(r.out.find("unknown field type"), std::string::npos) << r.out;
}
