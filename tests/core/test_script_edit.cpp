// zemba-info's editing commands: picking, shape and vertex edits, creation
// and undo, run as a batch on a copy of the sample map.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

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

TEST(ScriptEdit, TextAndLabelAreTwoCommands) {
    TempDir dir;
    CopySample("nc", dir.path());
    // "text" makes a text feature; "label" still labels by a field.
    const Outcome r = Script("open " + dir.file("nc.shp") + "; newlayer text " + dir.file("notes") +
                             "; text -80 35 Hello; layer 1; label NAME");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("Created 2.1"), std::string::npos) << r.out;

    // Every command name is taken once.
    FILE* p = popen((std::string(ZEMBA_BIN_DIR) + "/zemba-info --commands").c_str(), "r");
    ASSERT_TRUE(p);
    std::string text;
    char buf[4096];
    std::size_t n;
    while ((n = fread(buf, 1, sizeof buf, p)) > 0) text.append(buf, n);
    EXPECT_EQ(pclose(p), 0);
    std::vector<std::string> names;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find('\n', at);
        const std::string line = text.substr(at, end - at);
        if (!line.empty() && line[0] != ' ') names.push_back(line.substr(0, line.find(' ')));
        at = end == std::string::npos ? text.size() : end + 1;
    }
    EXPECT_NE(std::find(names.begin(), names.end(), "text"), names.end());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end());
}

namespace {

// The table as written, with the header's date of last update (bytes 1-3)
// blanked: a save writes today's.
std::string TableWithoutDate(const std::string& path) {
    std::string t = ReadFileBytes(path);
    if (t.size() > 4) t.replace(1, 3, 3, '\0');
    return t;
}

}  // namespace

// Every undo step takes back its own edit and nothing else, last in first
// out, whatever kind of edit came before or after it.
TEST(ScriptEdit, UndoTakesBackOnlyWhatItsOwnEditChanged) {
    TempDir dir;
    CopySample("nc", dir.path());
    const std::string open = "open " + dir.file("nc.shp") + "; select -81.4949 36.4211; ";
    const std::string shp = ReadFileBytes(dir.file("nc.shp")), dbf = TableWithoutDate(dir.file("nc.dbf"));

    // Move, set: the first undo takes the value back and leaves the move,
    // the second takes the move back and the value stays as it was.
    Outcome r = Script(open + "move 0.001 0; set NAME Changed; undo; find-text NAME Ashe; save " + dir.file("a.shp") +
                       "; undo; find-text NAME Changed; save " + dir.file("b.shp"));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("Undone Set NAME\nFound 1"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Undone Move\nFound 0"), std::string::npos) << r.out;
    EXPECT_NE(ReadFileBytes(dir.file("a.shp")), shp);  // still moved
    EXPECT_EQ(TableWithoutDate(dir.file("a.dbf")), dbf);
    EXPECT_EQ(ReadFileBytes(dir.file("b.shp")), shp);
    EXPECT_EQ(TableWithoutDate(dir.file("b.dbf")), dbf);

    // Set, move: undoing the move keeps the value; then the value goes.
    r = Script(open + "set NAME Changed; move 0.001 0; undo; save " + dir.file("c.shp") +
               "; undo; redo; redo; undo; save " + dir.file("d.shp") + "; undo; save " + dir.file("e.shp"));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("Undone Move\nSaved"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Undone Set NAME\nRedone Set NAME\nRedone Move\nUndone Move"), std::string::npos) << r.out;
    EXPECT_EQ(ReadFileBytes(dir.file("c.shp")), shp);
    EXPECT_NE(ReadFileBytes(dir.file("c.dbf")).find("Changed"), std::string::npos);
    EXPECT_EQ(ReadFileBytes(dir.file("d.shp")), shp);
    EXPECT_NE(ReadFileBytes(dir.file("d.dbf")).find("Changed"), std::string::npos);
    EXPECT_EQ(TableWithoutDate(dir.file("e.dbf")), dbf);

    // A field added after a move, a value in it: undoing a later move
    // keeps both (the shape's record is never put back to an older copy),
    // and undoing the value and the field leaves the table as it was.
    r = Script(open + "move 0.001 0; addfield Rank Integer; set Rank 7; select -81.4949 36.4211; move 0 0.001; "
                      "undo; values Rank; save " + dir.file("f.shp") + "; undo; undo; save " + dir.file("g.shp") +
               "; undo; save " + dir.file("h.shp"));
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("Undone Move\n0\n7\n2 values"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Undone Set Rank\nUndone Add Field Rank\n"), std::string::npos) << r.out;
    EXPECT_NE(ReadFileBytes(dir.file("f.dbf")).find("Rank"), std::string::npos);
    EXPECT_EQ(TableWithoutDate(dir.file("g.dbf")), dbf);
    EXPECT_NE(ReadFileBytes(dir.file("g.shp")), shp);  // the first move is still there
    EXPECT_EQ(ReadFileBytes(dir.file("h.shp")), shp);
    EXPECT_EQ(TableWithoutDate(dir.file("h.dbf")), dbf);

    // Add field, set, undo twice: the table is the original byte for byte.
    r = Script(open + "addfield Rank Integer; set Rank 7; undo; undo; save; undo");
    EXPECT_EQ(r.status, 1);  // nothing left to undo
    EXPECT_NE(r.out.find("nothing to undo"), std::string::npos) << r.out;
    EXPECT_EQ(TableWithoutDate(dir.file("nc.dbf")), dbf);
    EXPECT_EQ(ReadFileBytes(dir.file("nc.shp")), shp);
}

// A text point carries the text it was made with through a save and a
// reopen; undo takes the point and its text away together.
TEST(ScriptEdit, TextPointKeepsItsTextThroughSaveAndReopen) {
    TempDir dir;
    CopySample("nc", dir.path());
    const Outcome r = Script("open " + dir.file("nc.shp") + "; newlayer text " + dir.file("texts") +
               "; text -80 35.5 Raleigh; text -81 35.2 Greensboro; undo; text -81 35.2 Zürich; layer 2; save; "
               "clear-all; open " +
               dir.file("texts.shp") + "; values LabelName");
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("Undone Create Text"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("Raleigh\nZ\xfcrich\n2 values"), std::string::npos) << r.out;
    // The layer's own bytes (Latin-1 without a .cpg), one line a shape.
    EXPECT_EQ(ReadFileBytes(dir.file("texts.atx")), "Raleigh\r\nZ\xfcrich\r\n");
}
