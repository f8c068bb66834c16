// The soil survey table builder: turns the tab-separated text tables of a
// state (STATSGO) or county (SSURGO) soil survey into keyed tables beside
// the soil map's shapefile.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "core/ui.h"
#include "db/db.h"

namespace zemba {

enum class SoilMode { State, County };

// One field of a soil table and the text column it takes.
struct SoilField {
    std::string Name;
    db::FieldKind Type = db::FieldKind::String;
    int Size = 0;
    int Column = 0;       // 1-based; 0: the field stays empty
    int AltColumn = 0;    // taken instead when the line reaches it
    bool StssaidRule = false;  // column 1 of "0" gives MUID + SEQNUMS
    std::string Empty = ".";   // what an empty string column gives
};

struct SoilTableSpec {
    std::string Name;      // "comp": input file and table name
    std::string Progress;  // "Making comp Table (1 of 15)"
    std::string Key;       // "MUID;SEQNUMS"; empty for none
    std::vector<SoilField> Fields;
    db::FieldDef Def(std::size_t k) const { return {Fields[k].Name, Fields[k].Type, Fields[k].Size}; }
};

// The tables of a mode in build order (state: 15 and "state"; county: 15
// and 9 more).
const std::vector<SoilTableSpec>& SoilTableSpecs(SoilMode mode);

// County mode when the data folder holds "helclass" (any case).
SoilMode SoilTableMode(const std::string& dataDir);

// The table file of `table` for a soil map: il_a.shp -> il_a_comp.db
// (state), dir/Ss_comp.db (county).
std::string SoilTablePath(SoilMode mode, const std::string& shapeFile, const std::string& table);

// `name` in `dir` whatever its case ("COMP" for "comp"); empty if absent.
std::string FindFileAnyCase(const std::string& dir, const std::string& name);

// Counts of one build, and what the summary tells the user.
struct SoilBuildSummary {
    SoilMode Mode = SoilMode::State;
    struct Built {
        std::string Table, Path;
        std::int64_t Rows = 0;
    };
    std::vector<Built> Tables;
    std::vector<std::string> NotFound;  // inputs missing, by table name
    std::int64_t ConversionErrors = 0;  // numbers that did not read (stored as 0)
    std::int64_t ValuesCut = 0;         // texts longer than their field
    std::int64_t LinesSkipped = 0;      // blank or control-only lines
    bool Abandoned = false;
    std::string Failure;                // why the build ended early
    std::vector<std::string> Lines() const;
};

// One row of a table from its text line: the field values as stored, with
// the counts of conversions that failed and values cut.
struct SoilRowValues {
    std::vector<std::string> Text;  // for strings (UTF-8, trimmed, cut)
    std::vector<std::int64_t> Int;
    std::vector<double> Real;
    std::vector<char> Null;  // the field has no column and stays empty
};
void ParseSoilLine(const SoilTableSpec& spec, SoilMode mode, std::string_view line, SoilRowValues& out,
                   SoilBuildSummary& counts);

// Splits soil text into lines at CR, LF or CR LF, skipping the two header
// lines, lines of blanks and control characters only and, in county mode,
// a last line of 10 characters or fewer without a tab. County files whose
// first 1234 characters mix line ends, or hold none, fail with message
// 30002 or 30004 (`message` receives the number).
bool SplitSoilLines(std::string_view text, SoilMode mode, std::vector<std::string_view>& lines, int& message,
                    std::int64_t& skipped);

struct SoilBuildRequest {
    std::string DataDir;    // the folder of the survey's text tables
    std::string ShapeFile;  // the soil map the tables go beside
    // Runs once before the first table is written (the browser closes its
    // tables).
    std::function<void()> BeforeBuild;
    db::Session* Session = nullptr;  // takes the builder's alias when given
};

// Builds every table whose input exists. Each table is written under a
// temporary name and put in place when complete, so an abandoned build or
// an engine error leaves the previous table. Fails when the build is
// abandoned, ends on an error or finds nothing to build; `summary` tells
// what was done either way.
Result BuildSoilTables(const SoilBuildRequest& request, Prompter& prompter, Progress& progress,
                       SoilBuildSummary& summary);

}  // namespace zemba
