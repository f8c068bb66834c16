#include <gtest/gtest.h>

#include <cstdio>

#include "core/file_io.h"
#include "tests/test_support.h"

using namespace zemba;
using namespace zemba::test;

namespace {

struct Ran {
    std::string out;
    int status = -1;
};

Ran Cli(const std::string& args) {
    Ran r;
    const std::string cmd = std::string(ZEMBA_BIN_DIR) + "/zemba-convert " + args + " 2>/dev/null";
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    while (std::size_t n = fread(buf, 1, sizeof buf, p)) r.out.append(buf, n);
    const int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

}  // namespace

TEST(SoilCli, ShpviewPrintsCountersAndDumps) {
    TempDir dir;
    CopySample("nc", dir.path());
    Ran r = Cli("shpview --dump " + dir.file("nc.shp"));
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("Areas or Lines: 100\n"), std::string::npos);
    EXPECT_NE(r.out.find("Islands: 108\n"), std::string::npos);
    EXPECT_NE(r.out.find("File type: Areas\n"), std::string::npos);
    EXPECT_TRUE(FileExists(dir.file("nc-shp.txt")));
    WriteFileBytes(dir.file("cut.shp"), ReadFileBytes(dir.file("nc.shp")).substr(0, 777));
    r = Cli("shpview " + dir.file("cut.shp"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("The file ends at byte 777"), std::string::npos);
    EXPECT_EQ(Cli("shpview").status, 2);
}

TEST(SoilCli, SoiltablesThenSoillookup) {
    TempDir dir;
    const std::string data = dir.file("survey");
    ASSERT_EQ(std::system(("mkdir -p " + data).c_str()), 0);
    auto put = [&](const char* name, const std::string& rows) { WriteFileBytes(data + "/" + name, "h\nh\n" + rows); };
    put("mapunit", "IL\t019\tO\tO'NEIL\tO'Neill loam\tC\t108\tAB\t300\nIL\t019\tA\tIL001\tDrummer\tC\t108\tAB\t1\n");
    put("comp", "IL\tO'NEIL\tO\tONeill\t1\tS4\t100\nIL\tIL001\tA\tSable\t1\tS1\t60\n");
    put("layer", "IL\tO'NEIL\t1\tS4\t1\t5\t0\t9\tFSL\nIL\tO'NEIL\t1\tS4\t2\t6\t9\t30\tSL\n");
    put("plantcom", "IL\tO'NEIL\t1\tSCSC\t60\n");
    put("windbrk", "IL\tO'NEIL\t1\tPIPO\t30\n");
    put("plantnm", "PIPO\tPinus ponderosa\tponderosa pine\n");
    for (const char* e : {"forest", "woodland", "compyld", "yldunits", "rsprod", "wlhabit", "woodmgt", "interp",
                          "taxclass"})
        put(e, "");
    WriteFileBytes(dir.file("il_a.shp"), "");
    Ran r = Cli("soiltables " + data + " " + dir.file("il_a.shp"));
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("comp: 2 rows"), std::string::npos);
    EXPECT_NE(r.out.find("Inputs not found: state"), std::string::npos);

    r = Cli("soillookup " + dir.file("il_a.shp") + " --statsgo \"O'NEIL\"");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("mapunit: MUID=O'NEIL STSSAID=IL"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("comp: MUID=O'NEIL SEQNUMS=1 SEQNUM=1 STSSAID=IL MUSYM=O COMPNAME=ONeill"), std::string::npos);
    EXPECT_NE(r.out.find("TEXTURE=FSL"), std::string::npos);
    EXPECT_NE(r.out.find("TEXTURE=SL"), std::string::npos);
    EXPECT_NE(r.out.find("plantcom: MUID=O'NEIL"), std::string::npos);
    EXPECT_NE(r.out.find("plantnm: PLANTSYM=PIPO SCINAME=Pinus ponderosa"), std::string::npos);
    r = Cli("soillookup " + dir.file("il_a.shp") + " --statsgo IL001 --comp 1");
    EXPECT_NE(r.out.find("COMPNAME=Sable"), std::string::npos);
    EXPECT_EQ(Cli("soillookup " + dir.file("il_a.shp") + " --statsgo IL999").status, 1);
    EXPECT_EQ(Cli("soillookup " + dir.file("il_a.shp") + " --ssurgo IL001").status, 1);

    // A folder without survey tables: nothing built, status 1.
    r = Cli("soiltables " + dir.path() + " " + dir.file("il_a.shp"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("nothing was built"), std::string::npos);
}
