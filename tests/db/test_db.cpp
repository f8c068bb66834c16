#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "core/file_io.h"
#include "db/db.h"
#include "tests/test_support.h"

using namespace zemba;
using namespace zemba::db;
using namespace zemba::test;

namespace {

std::vector<FieldDef> CompFields() {
    return {{"MUID", FieldKind::String, 7}, {"SEQNUMS", FieldKind::String, 2}, {"SEQNUM", FieldKind::Integer, 0},
            {"ORDER", FieldKind::String, 1}, {"WTDEPL", FieldKind::Float, 0}};
}

Result AddComp(KeyedTable& t, const std::string& muid, const std::string& seq, const std::string& order, double wt) {
    Result r = t.Append();
    if (r) r = t.SetField("MUID", muid);
    if (r) r = t.SetField("SEQNUMS", seq);
    if (r) r = t.SetField("SEQNUM", seq);  // text into an integer field
    if (r) r = t.SetField("ORDER", order);
    if (r) r = t.SetField("WTDEPL", wt);
    return r;
}

std::string Capture(const std::string& cmd) {
    std::string out;
    FILE* p = popen(cmd.c_str(), "r");
    if (!p) return out;
    char buf[4096];
    while (std::size_t n = fread(buf, 1, sizeof buf, p)) out.append(buf, n);
    pclose(p);
    return out;
}

}  // namespace

TEST(Db, KeyedTableSchemaKeyAndContent) {
    TempDir dir;
    const std::string path = dir.file("il_a_comp.db");
    KeyedTable t;
    ASSERT_TRUE(t.Create(path, "comp", CompFields(), "MUID;SEQNUMS"));
    ASSERT_TRUE(AddComp(t, "IL001", "1", "A", 1.5));
    ASSERT_TRUE(AddComp(t, "O'HARE", "2", "B", 2.5));  // a quote in a key
    ASSERT_TRUE(AddComp(t, "IL001", "2", "C", 3.5));
    EXPECT_FALSE(FileExists(path));  // put in place only when complete
    ASSERT_TRUE(t.Commit());  // posts the last record
    ASSERT_TRUE(FileExists(path));

    if (std::system("command -v sqlite3 >/dev/null 2>&1") == 0) {
        std::string schema = Capture("sqlite3 " + path + " .schema");
        EXPECT_EQ(schema,
                  "CREATE TABLE IF NOT EXISTS \"comp\" (\"MUID\" VARCHAR(7), \"SEQNUMS\" VARCHAR(2), \"SEQNUM\" INTEGER, "
                  "\"ORDER\" VARCHAR(1), \"WTDEPL\" REAL, PRIMARY KEY(\"MUID\", \"SEQNUMS\"));\n")
            << schema;
    }

    Table c;
    ASSERT_TRUE(c.Open(path));
    EXPECT_EQ(c.Key(), (std::vector<std::string>{"MUID", "SEQNUMS"}));
    ASSERT_EQ(c.Fields().size(), 5u);
    EXPECT_EQ(c.Fields()[0].Size, 7);
    EXPECT_EQ(c.Fields()[4].Type, FieldKind::Float);
    ASSERT_EQ(c.RecordCount(), 3);
    // Key order.
    EXPECT_EQ(c.FieldText("MUID"), "IL001");
    EXPECT_EQ(c.FieldInt("SEQNUM"), 1);
    c.Next();
    EXPECT_EQ(c.FieldText("ORDER"), "C");
    c.Next();
    EXPECT_EQ(c.FieldText("MUID"), "O'HARE");
    EXPECT_DOUBLE_EQ(c.FieldReal("WTDEPL"), 2.5);
    c.Next();
    EXPECT_TRUE(c.Eof());

    // Locate: exact; a miss leaves the position alone.
    c.First();
    EXPECT_TRUE(c.Locate("MUID", "O'HARE"));
    EXPECT_EQ(c.RecNo(), 3);
    EXPECT_FALSE(c.Locate("MUID", "O'HAR"));
    EXPECT_EQ(c.RecNo(), 3);

    // Filter of the "[SEQNUM] = n" form.
    ASSERT_TRUE(c.SetFilter("[SEQNUM] = 2"));
    ASSERT_TRUE(c.SetFiltered(true));
    EXPECT_EQ(c.RecordCount(), 2);
    ASSERT_TRUE(c.SetFiltered(false));
    EXPECT_EQ(c.RecordCount(), 3);
    EXPECT_FALSE(c.SetFilter("SEQNUM = 2"));
}

TEST(Db, DuplicateKeysAndLateIndex) {
    TempDir dir;
    KeyedTable t;
    ASSERT_TRUE(t.Create(dir.file("k.db"), "comp", CompFields(), "MUID;SEQNUMS"));
    ASSERT_TRUE(AddComp(t, "A", "1", "x", 0));
    ASSERT_TRUE(AddComp(t, "A", "1", "y", 0));
    Result r = t.Append();  // posts the duplicate
    EXPECT_FALSE(r);
    EXPECT_NE(r.reason.find("UNIQUE"), std::string::npos) << r.reason;
    t.Discard();
    EXPECT_FALSE(FileExists(dir.file("k.db")));

    // Filled without a key, keyed at the end.
    KeyedTable u;
    ASSERT_TRUE(u.Create(dir.file("u.db"), "comp", CompFields()));
    ASSERT_TRUE(AddComp(u, "B", "2", "x", 0));
    ASSERT_TRUE(AddComp(u, "A", "1", "y", 0));
    ASSERT_TRUE(u.AddPrimaryIndex("MUID;SEQNUMS"));
    ASSERT_TRUE(AddComp(u, "C", "1", "z", 0));
    ASSERT_TRUE(u.Commit());
    Table c;
    ASSERT_TRUE(c.Open(dir.file("u.db"), "comp"));
    EXPECT_EQ(c.Key(), (std::vector<std::string>{"MUID", "SEQNUMS"}));
    EXPECT_EQ(c.RecordCount(), 3);
    EXPECT_EQ(c.FieldText("MUID"), "A");

    KeyedTable v;
    ASSERT_TRUE(v.Create(dir.file("v.db"), "comp", CompFields()));
    ASSERT_TRUE(AddComp(v, "A", "1", "x", 0));
    ASSERT_TRUE(AddComp(v, "A", "1", "y", 0));
    r = v.AddPrimaryIndex("MUID;SEQNUMS");
    EXPECT_FALSE(r);
    EXPECT_NE(r.reason.find("duplicate key"), std::string::npos);
}

TEST(Db, ReplacedTableAndForeignFiles) {
    TempDir dir;
    const std::string path = dir.file("t.db");
    {
        KeyedTable t;
        ASSERT_TRUE(t.Create(path, "mapunit", {{"MUID", FieldKind::String, 7}}, "MUID"));
        ASSERT_TRUE(t.Append());
        ASSERT_TRUE(t.SetField("MUID", std::string("OLD")));
        ASSERT_TRUE(t.Commit());
    }
    {
        // A new build replaces the table; until it is complete the old one stays.
        KeyedTable t;
        ASSERT_TRUE(t.Create(path, "mapunit", {{"MUID", FieldKind::String, 7}}, "MUID"));
        ASSERT_TRUE(t.Append());
        ASSERT_TRUE(t.SetField("MUID", std::string("NEWER1234")));  // kept to its width
        Table old;
        ASSERT_TRUE(old.Open(path));
        EXPECT_EQ(old.FieldText("MUID"), "OLD");
        ASSERT_TRUE(t.Commit());
    }
    Table c;
    ASSERT_TRUE(c.Open(path));
    EXPECT_EQ(c.RecordCount(), 1);
    EXPECT_EQ(c.FieldText("MUID"), "NEWER12");
    EXPECT_EQ(c.FieldText("NOSUCH"), "");

    // Not a table file: a message, no crash.
    WriteFileBytes(dir.file("text.db"), "just some text, not a database at all");
    Result r = c.Open(dir.file("text.db"));
    EXPECT_FALSE(r);
    EXPECT_NE(r.reason.find("not"), std::string::npos);
    WriteFileBytes(dir.file("torn.db"), std::string("SQLite format 3\0", 16) + std::string(200, '\xff'));
    EXPECT_FALSE(c.Open(dir.file("torn.db")));
    EXPECT_FALSE(TableExists(dir.file("torn.db")));
    EXPECT_FALSE(c.Open(dir.file("missing.db")));
    EXPECT_FALSE(c.Open(path, "other"));
    EXPECT_TRUE(TableExists(path, "mapunit"));
}

TEST(Db, MasterDetail) {
    TempDir dir;
    {
        KeyedTable m;
        ASSERT_TRUE(m.Create(dir.file("mapunit.db"), "mapunit", {{"MUID", FieldKind::String, 7}}, "MUID"));
        for (const char* id : {"A1", "B'2", "C3"}) {
            ASSERT_TRUE(m.Append());
            ASSERT_TRUE(m.SetField("MUID", std::string(id)));
        }
        ASSERT_TRUE(m.Commit());
        KeyedTable d;
        ASSERT_TRUE(d.Create(dir.file("comp.db"), "comp", CompFields(), "MUID;SEQNUMS"));
        ASSERT_TRUE(AddComp(d, "A1", "1", "a", 0));
        ASSERT_TRUE(AddComp(d, "A1", "2", "b", 0));
        ASSERT_TRUE(AddComp(d, "B'2", "1", "c", 0));
        ASSERT_TRUE(d.Commit());
    }
    Table master, detail;
    ASSERT_TRUE(master.Open(dir.file("mapunit.db")));
    ASSERT_TRUE(detail.Open(dir.file("comp.db")));
    ASSERT_TRUE(detail.SetMaster(&master, "MUID", "MUID"));
    EXPECT_EQ(detail.RecordCount(), 2);
    master.Next();
    EXPECT_EQ(detail.RecordCount(), 1);
    EXPECT_EQ(detail.FieldText("ORDER"), "c");
    EXPECT_TRUE(master.Locate("MUID", "C3"));
    EXPECT_EQ(detail.RecordCount(), 0);
    EXPECT_TRUE(detail.Eof());
    // A detail closed first unhooks itself from its master.
    {
        Table second;
        ASSERT_TRUE(second.Open(dir.file("comp.db")));
        ASSERT_TRUE(second.SetMaster(&master, "MUID", "MUID"));
    }
    master.First();
    EXPECT_EQ(detail.RecordCount(), 2);
    EXPECT_FALSE(detail.SetMaster(&master, "MUID", "MUID;SEQNUMS"));
}

TEST(Db, DbaseTablesAndAliases) {
    TempDir dir;
    const std::string path = dir.file("x_a.dbf");
    WriteFileBytes(path, "older");
    {
        DbfTable t;
        ASSERT_TRUE(t.Create(path, {{"COUNT", FieldKind::Integer, 0}, {"MUIDS", FieldKind::String, 7},
                                    {"MAPF", FieldKind::Float, 0}}));
        ASSERT_TRUE(t.Append());
        ASSERT_TRUE(t.SetField("COUNT", std::int64_t{42}));
        ASSERT_TRUE(t.SetField("MUIDS", std::string("IL'01")));
        ASSERT_TRUE(t.SetField("MAPF", 0.5));
        EXPECT_FALSE(t.SetField("NOPE", std::int64_t{1}));
        EXPECT_EQ(ReadFileBytes(path), "older");
        ASSERT_TRUE(t.Commit());
    }
    std::string bytes = ReadFileBytes(path);
    ASSERT_GT(bytes.size(), 32u);
    EXPECT_EQ(bytes[0], '\x03');  // dBase III
    EXPECT_TRUE(TableExists(path));
    {
        // Dropped uncommitted: nothing is left.
        DbfTable t;
        ASSERT_TRUE(t.Create(dir.file("gone.dbf"), {{"COUNT", FieldKind::Integer, 0}}));
    }
    EXPECT_FALSE(FileExists(dir.file("gone.dbf")));
    DbfTable bad;
    EXPECT_FALSE(bad.Create(dir.file("b.dbf"), {{"AVERYLONGNAME", FieldKind::Integer, 0}}));

    Session s;
    const auto& a = RunTimeDbCreate(s, "sshift1", "/shapes/");
    EXPECT_EQ(a.Driver, "DBASE");
    RunTimeDbCreate(s, "sshift1", "/elsewhere/");  // reused by name
    EXPECT_EQ(s.FindAlias("sshift1")->Path, "/shapes/");
    EXPECT_EQ(RunTimeDbCreateP(s, "statsgo0", "/shapes/").Driver, "Paradox");
    EXPECT_EQ(s.AliasCount(), 2u);
    EXPECT_EQ(SplitFieldList(" MUID; ;SEQNUMS;"), (std::vector<std::string>{"MUID", "SEQNUMS"}));
}
