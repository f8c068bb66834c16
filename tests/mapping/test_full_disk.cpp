// Outputs written to a full disk: a failure with its reason and status 1,
// the earlier files byte for byte as they were, nothing left beside them.
#include <gtest/gtest.h>

#include <cstdlib>

#include "core/file_io.h"
#include "tests/convert/dlg_builder.h"
#include "tests/test_support.h"

namespace zemba {
namespace {

using test::TempDir;

struct FullDiskRun {
    std::string output, before, after, listing;
};

// Copies the files of `old` onto a tiny disk, fills it, runs `cmd` there
// (in that folder) and gathers what it printed and what the folder holds.
bool RunOnFullDisk(const TempDir& dir, const std::string& old, const std::string& cmd, FullDiskRun& run) {
    const std::string disk = dir.file("disk");
    const std::string script = "cd '" + disk + "' && cp -p '" + old + "'/* . && md5sum * > ../before.md5 && " +
                               "(head -c 100000000 /dev/zero > filler 2>/dev/null; true) && " + cmd +
                               "; echo status=$?; rm -f filler; md5sum * > ../after.md5; echo listing: $(ls -A)";
    const std::string du = test::Shell("du -sk '" + old + "'");
    const int kb = std::atoi(du.c_str()) + 64;
    if (!test::ShellOnTinyDisk(disk, kb, script, run.output)) return false;
    run.before = test::ReadFileBytes(dir.file("before.md5"));
    run.after = test::ReadFileBytes(dir.file("after.md5"));
    run.listing = run.output.substr(run.output.find("listing:"));
    return true;
}

const std::string kBin = ZEMBA_BIN_DIR;

TEST(FullDisk, LayoutRenderAndDlgConversionFailAndKeepTheEarlierFiles) {
    TempDir dir;
    test::CopySample("nc", dir.path());
    const std::string old = dir.file("old");
    test::Shell("mkdir -p '" + old + "'");
    // A project to lay out, and earlier outputs of each command.
    std::string made = test::Shell("cd '" + dir.path() + "' && " + kBin + "/zemba-info -e 'open " + dir.file("nc.shp") + "; save-project p.zmp' 2>&1 && " +
                                   kBin + "/zemba-convert layout p.zmp old/p.pdf 2>&1 && " + kBin +
                                   "/zemba-info -e 'open nc.shp; render old/v.png' 2>&1 && " + kBin +
                                   "/zemba-convert dlg2shp --lines '" + test::SamplePath() + "' old/hy.shp 2>&1; echo made=$?");
    ASSERT_NE(made.find("made=0"), std::string::npos) << made;

    FullDiskRun run;
    if (!RunOnFullDisk(dir, old,
                       kBin + "/zemba-convert layout '" + dir.file("p.zmp") + "' p.pdf", run))
        GTEST_SKIP() << "no private mounts here";
    EXPECT_NE(run.output.find("status=1"), std::string::npos) << run.output;
    EXPECT_EQ(run.output.find("Wrote"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("No space left"), std::string::npos) << run.output;
    EXPECT_EQ(run.before, run.after);
    EXPECT_EQ(run.listing, "listing: hy.dbf hy.prj hy.shp hy.shx hy_.dbf p.pdf v.png\n");

    ASSERT_TRUE(RunOnFullDisk(dir, old, kBin + "/zemba-info -e 'open " + dir.file("nc.shp") + "; render v.png'", run));
    EXPECT_NE(run.output.find("status=1"), std::string::npos) << run.output;
    EXPECT_NE(run.output.find("v.png"), std::string::npos) << run.output;
    EXPECT_EQ(run.before, run.after);
    EXPECT_EQ(run.listing, "listing: hy.dbf hy.prj hy.shp hy.shx hy_.dbf p.pdf v.png\n");

    ASSERT_TRUE(RunOnFullDisk(dir, old, kBin + "/zemba-convert dlg2shp --areas '" + test::SamplePath() + "' hy.shp", run));
    EXPECT_NE(run.output.find("status=1"), std::string::npos) << run.output;
    EXPECT_EQ(run.before, run.after);
    EXPECT_EQ(run.listing, "listing: hy.dbf hy.prj hy.shp hy.shx hy_.dbf p.pdf v.png\n");
}

}  // namespace
}  // namespace zemba
