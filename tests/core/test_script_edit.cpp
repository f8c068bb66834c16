// zemba-info's editing commands: picking, shape and vertex edits, creation
// and undo, run as a batch on a copy of the sample map.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>

#include "tests/test_support.h"

using namespace zemba::test;

namespace {

struct Outcome {
    int status;
    std::string out;
};

Outcome Script(const std::string& commands) {
    const std::string cmd = std::string(ZEMBA_BIN_DIR) + "/zemba-info -e '" + commands + "' 2>&1";
    Outcome r{-1, {}};
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) r.out.append(buf, n);
    const int st = pclose(p);
    r.status = WIFEXITED(st) ? WEXITSTATUS(st) : -1;
    return r;
}

TEST(ScriptEdit, HitPicksTheCountyUnderThePointAndEditsUndo) {
    TempDir dir;
    CopySample("nc", dir.path());
    const Outcome r = Script("open " + dir.file("nc.shp") +
                             "; fit; hit -81.70 36.25; select -81.70 36.25; delete; undo; redo; undo; "
                             "select -81.70 36.25; copymove 0.5 0; select -81.70 36.25; vdup 1 2 0.01 0.01; vdel 1 3");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("Obj : 1.1 Type: Areas\n"), std::string::npos) << r.out;  // Ashe's box holds it
    EXPECT_NE(r.out.find("Obj : 1.19 Type: Areas *\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Deleted 1.19\nUndone Delete\nRedone Delete\nUndone Delete\nSelected 1.19\nMoved 1.19 (copy 1.101)"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("Deleted a vertex of 1.101"), std::string::npos) << r.out;
}

TEST(ScriptEdit, CreationRefusesWhatIsNotValid) {
    TempDir dir;
    CopySample("nc", dir.path());
    const std::string base = "open " + dir.file("nc.shp") + "; newlayer polygon " + dir.file("made") + "; ";
    Outcome r = Script(base + "polygon -80 35 -79 36; line -80 35 -79 36");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("Created 2.1"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("cannot hold this kind of feature"), std::string::npos) << r.out;

    r = Script(base + "polygon -80 35 -80 36");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("both width and height"), std::string::npos) << r.out;

    WriteFileBytes(dir.file("taken.shx"), "x");
    r = Script("open " + dir.file("nc.shp") + "; newlayer point " + dir.file("taken"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("message 7"), std::string::npos) << r.out;

    r = Script("open " + dir.file("nc.shp") + "; undo");
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("nothing to undo"), std::string::npos) << r.out;
}

}  // namespace
