// A DLG conversion puts its shapefile, table, table copy and .prj in place
// together: whatever step fails, the earlier conversion stays whole.
#include <gtest/gtest.h>

#include <dirent.h>

#include <map>

#include "convert/dlg_to_shp.h"
#include "core/file_io.h"
#include "tests/convert/dlg_builder.h"
#include "tests/test_support.h"

using namespace zemba;
using namespace zemba::test;

namespace {

using Folder = std::map<std::string, std::string>;

Folder Snapshot(const std::string& dir) {
    Folder out;
    DIR* d = opendir(dir.c_str());
    while (dirent* e = readdir(d)) {
        std::string n = e->d_name;
        if (n != "." && n != "..") out[n] = ReadFileBytes(dir + "/" + n);
    }
    closedir(d);
    return out;
}

std::string Names(const Folder& f) {
    std::string s;
    for (const auto& kv : f) s += kv.first + " ";
    return s;
}

Result Export(const std::string& out, ExportLayer layer) {
    DlgShapeOptions o;
    o.Layer = layer;
    SilentPrompter quiet(Answer::Ignore);
    NullProgress none;
    DlgShapeReport rep;
    return ExportDlgToShape(SamplePath(), out, o, quiet, none, rep);
}

}  // namespace

TEST(ExportCommit, DlgConversionIsAllOrNothingAtEveryStep) {
    struct Disarm {
        ~Disarm() { commit_faults::Disarm(); }
    } disarm;
    Folder before, after;
    {
        TempDir dir;
        ASSERT_TRUE(Export(dir.file("hy.shp"), ExportLayer::Lines));
        before = Snapshot(dir.path());
        ASSERT_TRUE(Export(dir.file("hy.shp"), ExportLayer::Areas));
        after = Snapshot(dir.path());
    }
    ASSERT_EQ(Names(before), "hy.dbf hy.prj hy.shp hy.shx hy_.dbf ");
    ASSERT_NE(before.at("hy.dbf"), after.at("hy.dbf"));
    for (auto kind : {commit_faults::Kind::Write, commit_faults::Kind::Rename, commit_faults::Kind::Die}) {
        bool done = false;
        for (int k = 1; k < 100 && !done; ++k) {
            SCOPED_TRACE("fault " + std::to_string(int(kind)) + " at " + std::to_string(k));
            TempDir dir;
            ASSERT_TRUE(Export(dir.file("hy.shp"), ExportLayer::Lines));
            commit_faults::Arm(kind, k);
            Result r = Export(dir.file("hy.shp"), ExportLayer::Areas);
            commit_faults::Disarm();
            if (r) {
                done = true;
                EXPECT_TRUE(Snapshot(dir.path()) == after) << Names(Snapshot(dir.path()));
                continue;
            }
            if (kind == commit_faults::Kind::Die) {
                EXPECT_EQ(RecoverInterruptedCommits(dir.file("hy.shp")).size(), 1u);
                const Folder now = Snapshot(dir.path());
                EXPECT_TRUE(now == before || now == after) << Names(now);
            } else {
                const Folder now = Snapshot(dir.path());
                EXPECT_TRUE(now == before) << Names(now) << r.reason;
            }
        }
        EXPECT_TRUE(done);
    }
}
