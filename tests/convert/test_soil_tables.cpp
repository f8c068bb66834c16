#include <gtest/gtest.h>

#include <cstdio>

#include "convert/soil_tables.h"
#include "core/file_io.h"
#include "db/db.h"
#include "tests/test_support.h"

using namespace zemba;
using namespace zemba::test;

namespace {


// A survey text file: two header lines, then rows joined with `eol`.
std::string Survey(const std::vector<std::string>& rows, const std::string& eol = "\n") {
    std::string s = std::string("header one\theader") + eol + "header two" + eol;
    for (const auto& r : rows) s += r + eol;
    return s;
}

using test::Shell;

const SoilTableSpec& Spec(SoilMode mode, const std::string& name) {
    for (const auto& s : SoilTableSpecs(mode))
        if (s.Name == name) return s;
    throw std::runtime_error("no table " + name);
}

const SoilField& Field(const SoilTableSpec& s, const std::string& name) {
    for (const auto& f : s.Fields)
        if (f.Name == name) return f;
    throw std::runtime_error("no field " + name);
}

struct Rows {
    db::Table t;
    explicit Rows(const std::string& path) { EXPECT_TRUE(t.Open(path)) << path; }
    std::string At(int row, const std::string& field) {
        t.First();
        for (int k = 1; k < row; ++k) t.Next();
        return t.IsNull(field) ? "<null>" : t.FieldText(field);
    }
};

struct Build {
    TempDir dir;
    std::string data, shp;
    ScriptedPrompter prompter;
    NullProgress progress;
    SoilBuildSummary summary;
    Build() {
        data = dir.file("data");
        std::string cmd = "mkdir -p " + data;
        EXPECT_EQ(std::system(cmd.c_str()), 0);
        shp = dir.file("il_a.shp");
        WriteFileBytes(shp, "");
    }
    void Put(const std::string& name, const std::string& text) { WriteFileBytes(data + "/" + name, text); }
    Result Go() {
        SoilBuildRequest req;
        req.DataDir = data;
        req.ShapeFile = shp;
        return BuildSoilTables(req, prompter, progress, summary);
    }
};

}  // namespace

TEST(SoilTables, ColumnMapsFollowTheTableLists) {
    const auto& state = SoilTableSpecs(SoilMode::State);
    const auto& county = SoilTableSpecs(SoilMode::County);
    ASSERT_EQ(state.size(), 16u);
    ASSERT_EQ(county.size(), 24u);
    EXPECT_EQ(state.back().Name, "state");
    EXPECT_EQ(county.back().Name, "muident");
    const auto& comp = Spec(SoilMode::State, "comp");
    EXPECT_EQ(comp.Fields.size(), 54u);
    EXPECT_EQ(Field(comp, "SCLIRR").Column, 52);
    EXPECT_EQ(Field(comp, "SCLIRR").AltColumn, 54);
    EXPECT_EQ(Field(comp, "PRIMFML").Column, 53);
    EXPECT_EQ(Field(comp, "COMPPCT").Column, 7);
    EXPECT_EQ(Field(comp, "MUID").Size, 7);
    EXPECT_EQ(Field(comp, "STSSAID").Empty, "0");
    const auto& ccomp = Spec(SoilMode::County, "comp");
    EXPECT_EQ(ccomp.Fields.size(), 53u);
    EXPECT_EQ(Field(ccomp, "MUID").Size, 9);
    EXPECT_EQ(Field(ccomp, "CLASCODE").Empty, "0");
    const auto& layer = Spec(SoilMode::State, "layer");
    EXPECT_EQ(Field(layer, "SHRINKSW").Column, 55);
    EXPECT_EQ(Field(layer, "LAYERNUMS").Empty, "0");
    EXPECT_EQ(Field(layer, "SEQNUMS").Empty, ".");
    EXPECT_EQ(Field(Spec(SoilMode::County, "layer"), "WEI").Column, 56);
    EXPECT_EQ(Field(Spec(SoilMode::County, "layer"), "SEQNUMS").Empty, ".");
    EXPECT_EQ(Field(Spec(SoilMode::County, "taxclass"), "OTHERFAM").Column, 14);
    EXPECT_EQ(Field(Spec(SoilMode::State, "taxclass"), "OTHERFAM").Column, 11);
    EXPECT_EQ(Field(Spec(SoilMode::State, "woodland"), "PLANTSYM").Column, 5);
    EXPECT_EQ(Field(Spec(SoilMode::State, "interp"), "RATING").Column, 0);
    EXPECT_EQ(Field(Spec(SoilMode::County, "interp"), "RESTCT3").Column, 8);
    EXPECT_EQ(Spec(SoilMode::State, "compyld").Progress, "Making compyld Table  (2 of 15)");
    EXPECT_EQ(Field(Spec(SoilMode::County, "ssarea"), "STSSAID").Column, 3);
}

TEST(SoilTables, LineEndsOfEveryKindAndTheTailRule) {
    std::vector<std::string_view> lines;
    int msg = 0;
    std::int64_t skipped = 0;
    for (const char* eol : {"\n", "\r\n", "\r"}) {
        const std::string text = Survey({"a\tb", "c\td"}, eol);
        for (SoilMode m : {SoilMode::State, SoilMode::County}) {
            ASSERT_TRUE(SplitSoilLines(text, m, lines, msg, skipped));
            ASSERT_EQ(lines.size(), 2u);
            EXPECT_EQ(lines[1], "c\td");
        }
    }
    // Mixed ends in a county file: "I quit"; in a state file they are lines.
    const std::string mixed = "h1\r\nh2\na\tb\r\n";
    EXPECT_FALSE(SplitSoilLines(mixed, SoilMode::County, lines, msg, skipped));
    EXPECT_EQ(msg, 30002);
    EXPECT_TRUE(SplitSoilLines(mixed, SoilMode::State, lines, msg, skipped));
    EXPECT_EQ(lines.size(), 1u);
    EXPECT_FALSE(SplitSoilLines("no line end at all", SoilMode::County, lines, msg, skipped));
    EXPECT_EQ(msg, 30004);
    // A trailing ^Z and blank lines are skipped; a short last record with a
    // tab is kept, a short one without is dropped in county mode.
    skipped = 0;
    const std::string tail = Survey({"Corn\tBu", "  ", "\x1a"});
    ASSERT_TRUE(SplitSoilLines(tail, SoilMode::County, lines, msg, skipped));
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], "Corn\tBu");
    EXPECT_EQ(skipped, 2);
    const std::string shortTail = Survey({"Corn\tBushels", "tail"});
    ASSERT_TRUE(SplitSoilLines(shortTail, SoilMode::County, lines, msg, skipped));
    EXPECT_EQ(lines.size(), 1u);
}

TEST(SoilTables, FieldsFromTheirOwnColumnsWithDefaults) {
    SoilBuildSummary counts;
    SoilRowValues v;
    const auto& compyld = Spec(SoilMode::State, "compyld");
    // Column 1 "0": STSSAID is the first five characters of MUID + SEQNUMS.
    ParseSoilLine(compyld, SoilMode::State, "0\tIL0012\t3\tCorn\t1.5\t", v, counts);
    EXPECT_EQ(v.Text[4], "IL001");
    EXPECT_EQ(v.Text[0], "IL0012");
    EXPECT_EQ(v.Int[3], 3);
    EXPECT_DOUBLE_EQ(v.Real[5], 1.5);
    EXPECT_DOUBLE_EQ(v.Real[6], 0);
    // A short line: the missing fields take their defaults and the last
    // field does not swallow the rest.
    ParseSoilLine(compyld, SoilMode::State, "IL\tIL001\t\tCorn", v, counts);
    EXPECT_EQ(v.Text[4], "IL");
    EXPECT_EQ(v.Text[1], "0");  // SEQNUMS
    EXPECT_EQ(v.Text[2], "Corn");
    EXPECT_DOUBLE_EQ(v.Real[5], 0);
    EXPECT_EQ(counts.ConversionErrors, 0);
    // Extra columns are ignored; bad numbers read as 0 and are counted (a
    // comma is not a decimal point here, whatever the locale).
    ParseSoilLine(compyld, SoilMode::State, "IL\tIL001\t2\tWheat\t1,5\tx\textra\tmore", v, counts);
    EXPECT_EQ(counts.ConversionErrors, 2);
    EXPECT_EQ(v.Text[2], "Wheat");
    // Values longer than their field are cut and counted; Latin-1 becomes UTF-8.
    ParseSoilLine(Spec(SoilMode::State, "plantnm"), SoilMode::State, "ABCDEFGHIJ\tSci\tPr\xe9rie", v, counts);
    EXPECT_EQ(v.Text[0], "ABCDEFG");
    EXPECT_EQ(v.Text[2], "Pr\xc3\xa9rie");
    EXPECT_EQ(counts.ValuesCut, 1);
    // Empty state columns: "." inside, empty at the first and last column;
    // an empty column 1 of comp starts the STSSAID rule.
    const auto& forest = Spec(SoilMode::State, "forest");
    ParseSoilLine(forest, SoilMode::State, "IL\tIL001\t\t\t", v, counts);
    EXPECT_EQ(v.Text[1], ".");  // SEQNUMS of the state forest table
    EXPECT_EQ(v.Text[2], ".");
    const auto& comp = Spec(SoilMode::State, "comp");
    ParseSoilLine(comp, SoilMode::State, "\tIL004\tAbC\tName\t2", v, counts);
    EXPECT_EQ(v.Text[3], "IL004");
    // The state interp table leaves RATING empty.
    ParseSoilLine(Spec(SoilMode::State, "interp"), SoilMode::State, "IL\tIL001\t1\tAB\tR1\tR2\tR3", v, counts);
    EXPECT_TRUE(v.Null[5]);
    EXPECT_EQ(v.Text[6], "R1");
}

TEST(SoilTables, StateBuildBesideTheShapefileWithAnyLineEnds) {
    Build b;
    b.Put("mapunit", Survey({"IL\t001\tAbC\tIL001\tDrummer silty clay loam\tC\t108\tAB\t1200",
                             "IL\t001\tXyZ\tIL002\tO'Neill loam\tC\t108\tAB\t800"}, "\n"));
    b.Put("COMP", Survey({"IL\tIL001\tAbC\tDrummer\t1\tIL0001\t60", "IL\tIL001\tAbC\tFlanagan\t2\tIL0002\t40",
                          "IL\tIL002\tXyZ\tO'Neill\t1\tIL0003\t100"},
                         "\r\n"));
    b.Put("compyld", Survey({"0\tIL001\t1\tCorn\t150\t170", "0\tIL001\t1\tSoybeans\t50\t"}, "\r"));
    b.Put("state", Survey({"IL\t1994", "\x1a"}));
    ASSERT_TRUE(b.Go()) << b.summary.Failure;
    EXPECT_EQ(b.summary.Mode, SoilMode::State);
    ASSERT_EQ(b.summary.Tables.size(), 4u);
    EXPECT_EQ(b.summary.Tables[0].Table, "comp");
    EXPECT_EQ(b.summary.Tables[0].Rows, 3);
    EXPECT_EQ(b.summary.LinesSkipped, 1);
    EXPECT_TRUE(FileExists(b.dir.file("il_a_comp.db")));
    EXPECT_TRUE(FileExists(b.dir.file("il_a_state.db")));
    Rows comp(b.dir.file("il_a_comp.db"));
    EXPECT_EQ(comp.t.RecordCount(), 3);
    EXPECT_EQ(comp.At(1, "COMPNAME"), "Drummer");
    EXPECT_EQ(comp.At(1, "SEQNUM"), "1");
    EXPECT_EQ(comp.At(1, "SURFTEX"), ".");
    Rows yld(b.dir.file("il_a_compyld.db"));
    EXPECT_EQ(yld.At(1, "STSSAID"), "IL001");
    EXPECT_EQ(yld.At(2, "NIRRYLD"), "50.0");
    // The summary names the rows and the inputs that were not there.
    const auto lines = b.summary.Lines();
    EXPECT_EQ(lines[0], "comp: 3 rows (" + b.dir.file("il_a_comp.db") + ")");
    EXPECT_NE(std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
                  return l.rfind("Inputs not found: compyld", 0) == 0 || l.find(" forest") != std::string::npos;
              }), lines.end());
    // sqlite3 itself sees the columns in order, their types and the key.
    const std::string schema = Shell("sqlite3 " + b.dir.file("il_a_compyld.db") + " .schema");
    EXPECT_NE(schema.find("\"compyld\" (\"MUID\" VARCHAR(7), \"SEQNUMS\" VARCHAR(2), \"CROPNAME\" "
                          "VARCHAR(30), \"SEQNUM\" INTEGER, \"STSSAID\" VARCHAR(5), \"NIRRYLD\" REAL, \"IRRYLD\" REAL, "
                          "PRIMARY KEY(\"MUID\", \"SEQNUMS\", \"CROPNAME\"))"),
              std::string::npos)
        << schema;
    EXPECT_EQ(Shell("sqlite3 " + b.dir.file("il_a_mapunit.db") + " \"SELECT MUNAME FROM mapunit WHERE MUID='IL002'\""),
              "O'Neill loam\n");
    EXPECT_EQ(Shell("sqlite3 " + b.dir.file("il_a_state.db") + " .schema").find("PRIMARY"), std::string::npos);
}

TEST(SoilTables, NanAndInfAreBadNumbersLikeAnyOther) {
    Build b;
    b.Put("compyld", Survey({"0\tIL001\t1\tCorn\tnan\tinf", "0\tIL001\t1\tWheat\t-INF\t1e999", "0\tIL001\t1\tRye\t7\t8"}));
    ASSERT_TRUE(b.Go()) << b.summary.Failure;
    EXPECT_EQ(b.summary.ConversionErrors, 4);
    // As sqlite3 reads them: the bad numbers read as 0, never NULL or Infinity.
    EXPECT_EQ(Shell("sqlite3 " + b.dir.file("il_a_compyld.db") +
                    " \"SELECT CROPNAME, NIRRYLD, IRRYLD FROM compyld ORDER BY CROPNAME\""),
              "Corn|0.0|0.0\nRye|7.0|8.0\nWheat|0.0|0.0\n");
}

TEST(SoilTables, CountyBuildAsksBeforeReplacingAndAbandonsCleanly) {
    Build b;
    b.Put("helclass", Survey({"0\t001AbC\t1\t2\t3\t4\t5"}, "\r\n"));
    b.Put("mapunit", Survey({"IL\t001\tAbC\t001AbC\tDrummer\tC\t108\tAB\t10"}, "\r\n"));
    b.Put("comp", Survey({"IL\t001AbC\tAbC\tDrummer\t1\tS1\t60"}, "\r\n"));
    ASSERT_TRUE(b.Go()) << b.summary.Failure;
    EXPECT_EQ(b.summary.Mode, SoilMode::County);
    EXPECT_TRUE(b.prompter.shown.empty());
    Rows hel(b.dir.file("Ss_helclass.db"));
    EXPECT_EQ(hel.At(1, "STSSAID"), "001Ab");
    EXPECT_EQ(hel.t.Fields()[0].Size, 9);
    Rows comp(b.dir.file("Ss_comp.db"));
    EXPECT_EQ(comp.At(1, "CLASCODE"), "0");
    const std::string goodComp = ReadFileBytes(b.dir.file("Ss_comp.db"));

    // A second build asks; "No" leaves everything as it was.
    b.prompter.answers = {Answer::No};
    EXPECT_FALSE(b.Go());
    EXPECT_TRUE(b.summary.Abandoned);
    EXPECT_EQ(b.prompter.shown.back().family, MsgFamily::YesNo);
    EXPECT_EQ(ReadFileBytes(b.dir.file("Ss_comp.db")), goodComp);

    // Mixed line ends in mapunit: message 30002; comp, built before it, is
    // new, mapunit keeps its previous table and no temporary file is left.
    const std::string goodMapunit = ReadFileBytes(b.dir.file("Ss_mapunit.db"));
    b.Put("mapunit", "h1\r\nh2\nIL\t001\tAbC\t001AbC\tRenamed\tC\t108\tAB\t10\r\n");
    b.Put("comp", Survey({"IL\t001AbC\tAbC\tOther\t1\tS1\t60"}, "\r"));
    b.prompter.answers = {Answer::Yes};
    EXPECT_FALSE(b.Go());
    EXPECT_TRUE(b.summary.Abandoned);
    EXPECT_EQ(b.prompter.Count(MsgFamily::Error, 30002), 1);
    EXPECT_EQ(ReadFileBytes(b.dir.file("Ss_mapunit.db")), goodMapunit);
    Rows again(b.dir.file("Ss_comp.db"));
    EXPECT_EQ(again.At(1, "COMPNAME"), "Other");
    EXPECT_EQ(Shell("ls -a " + b.dir.path() + " | grep -c XXX; ls -a " + b.dir.path() + " | grep -c '^\\.Ss'"), "0\n0\n");
}

TEST(SoilTables, DuplicateKeyEndsTheBuildNamingTableAndKey) {
    Build b;
    b.Put("comp", Survey({"IL\tIL001\tA\tOne\t1\tS1\t60"}));
    ASSERT_TRUE(b.Go());
    const std::string before = ReadFileBytes(b.dir.file("il_a_comp.db"));
    b.Put("comp", Survey({"IL\tIL001\tA\tOne\t1\tS1\t60", "IL\tIL001\tA\tTwo\t1\tS1\t40"}));
    b.Put("compyld", Survey({"IL\tIL001\t1\tCorn\t1\t2"}));
    EXPECT_FALSE(b.Go());
    EXPECT_NE(b.summary.Failure.find("comp (MUID;SEQNUMS)"), std::string::npos) << b.summary.Failure;
    ASSERT_FALSE(b.prompter.shown.empty());
    EXPECT_EQ(b.prompter.shown.back().value, b.summary.Failure);
    EXPECT_EQ(ReadFileBytes(b.dir.file("il_a_comp.db")), before);
    EXPECT_FALSE(FileExists(b.dir.file("il_a_compyld.db")));
}

TEST(SoilTables, NothingToBuildSaysSo) {
    Build b;
    b.Put("readme.txt", "not a survey");
    EXPECT_FALSE(b.Go());
    EXPECT_NE(b.summary.Failure.find("nothing was built"), std::string::npos);
    EXPECT_EQ(b.summary.Lines().back(), b.summary.Failure);
    SoilBuildRequest none;
    EXPECT_FALSE(BuildSoilTables(none, b.prompter, b.progress, b.summary));
    EXPECT_EQ(b.prompter.Count(MsgFamily::Error, 30003), 1);
}

TEST(SoilTables, DeactivatesTheBrowserFirst) {
    Build b;
    b.Put("comp", Survey({"IL\tIL001\tA\tOne\t1\tS1\t60"}));
    int calls = 0;
    SoilBuildRequest req;
    req.DataDir = b.data;
    req.ShapeFile = b.shp;
    req.BeforeBuild = [&] {
        ++calls;
        EXPECT_FALSE(FileExists(b.dir.file("il_a_comp.db")));
    };
    ASSERT_TRUE(BuildSoilTables(req, b.prompter, b.progress, b.summary));
    EXPECT_EQ(calls, 1);
    EXPECT_EQ(SoilTablePath(SoilMode::State, "/m/il_a.shp", "comp"), "/m/il_a_comp.db");
    EXPECT_EQ(SoilTablePath(SoilMode::County, "/m/il_a.shp", "comp"), "/m/Ss_comp.db");
}

// sqlite3 itself opens every table of both modes and sees the fields in
// order with their declared types and the key.
TEST(SoilTables, EveryTableAsSqliteSeesIt) {
    for (SoilMode mode : {SoilMode::State, SoilMode::County}) {
        Build b;
        for (const auto& spec : SoilTableSpecs(mode)) b.Put(spec.Name, "h1\r\nh2\r\n");
        if (mode == SoilMode::State) std::remove((b.data + "/helclass").c_str());
        ASSERT_TRUE(b.Go()) << b.summary.Failure;
        ASSERT_EQ(b.summary.Mode, mode);
        ASSERT_EQ(b.summary.Tables.size(), SoilTableSpecs(mode).size());
        for (const auto& spec : SoilTableSpecs(mode)) {
            SCOPED_TRACE(spec.Name);
            std::string expected;
            const auto key = db::SplitFieldList(spec.Key);
            for (const auto& f : spec.Fields) {
                const auto at = std::find(key.begin(), key.end(), f.Name);
                const std::string type = f.Type == db::FieldKind::String    ? "VARCHAR(" + std::to_string(f.Size) + ")"
                                         : f.Type == db::FieldKind::Integer ? "INTEGER"
                                                                            : "REAL";
                expected += f.Name + "|" + type + "|" + std::to_string(at == key.end() ? 0 : at - key.begin() + 1) + "\n";
            }
            const std::string path = SoilTablePath(mode, b.shp, spec.Name);
            EXPECT_EQ(Shell("sqlite3 " + path + " \"SELECT name, type, pk FROM pragma_table_info('" + spec.Name + "')\""),
                      expected);
        }
    }
}
