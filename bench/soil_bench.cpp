// Builds the county soil tables from generated survey files (1,000,000
// component rows by default) and, on the same text in the same run, times
// sqlite3's own .import of the comp file.
//
//   soil_bench [ROWS]
#include <sys/stat.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "convert/soil_tables.h"

using namespace zemba;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point a) { return std::chrono::duration<double>(Clock::now() - a).count(); }

// One county comp line: columns 1 to 52 as the table builder maps them.
std::string CompLine(long row) {
    const long unit = row / 4, seq = row % 4 + 1;
    char muid[32];
    std::snprintf(muid, sizeof muid, "019%06ld", unit);
    std::string s = "IL019\t" + std::string(muid) + "\tAbC\tDrummer silty clay loam\t" + std::to_string(seq) +
                    "\tIL0" + std::to_string(seq) + "\t" + std::to_string(25 * seq);
    // Columns 8 to 52: numbers and short codes in turn.
    for (int c = 8; c <= 52; ++c) s += (c % 3 == 0) ? "\tSIL" : "\t" + std::to_string((row + c) % 97);
    return s;
}

}  // namespace

int main(int argc, char** argv) {
    const long rows = argc > 1 ? std::atol(argv[1]) : 1000000;
    char tmpl[] = "/tmp/zemba-soil-bench-XXXXXX";
    const std::string dir = mkdtemp(tmpl);
    const std::string data = dir + "/survey";
    mkdir(data.c_str(), 0700);
    {
        std::ofstream comp(data + "/comp", std::ios::binary);
        comp << "STSSAID\tMUID\tMUSYM\tCOMPNAME\tSEQNUM\r\nheader two\r\n";
        for (long r = 0; r < rows; ++r) comp << CompLine(r) << "\r\n";
        std::ofstream hel(data + "/helclass", std::ios::binary);
        hel << "h1\r\nh2\r\n";
        for (long u = 0; u < rows / 4; ++u) {
            char muid[32];
            std::snprintf(muid, sizeof muid, "019%06ld", u);
            hel << "IL019\t" << muid << "\t1\t2\t3\t4\t5\r\n";
        }
    }
    std::ofstream(dir + "/soil.shp").put('\0');

    SilentPrompter quiet(Answer::Yes);
    NullProgress none;
    SoilBuildRequest req;
    req.DataDir = data;
    req.ShapeFile = dir + "/soil.shp";
    SoilBuildSummary sum;
    auto t0 = Clock::now();
    Result r = BuildSoilTables(req, quiet, none, sum);
    const double ours = Seconds(t0);
    if (!r) {
        std::fprintf(stderr, "build failed: %s\n", r.reason.c_str());
        return 1;
    }
    std::int64_t built = 0;
    for (const auto& t : sum.Tables) built += t.Rows;
    std::printf("table builder: %lld rows (comp %ld + helclass %ld) in %.2f s: %.0f rows/s\n",
                static_cast<long long>(built), rows, rows / 4, ours, built / ours);

    // sqlite3 itself on the comp text: 52 columns, two header lines, then
    // the same primary key.
    std::string cols;
    for (int c = 1; c <= 52; ++c) cols += (c > 1 ? ", c" : "c") + std::to_string(c);
    const std::string cmd = "sqlite3 " + dir + "/import.db \".mode tabs\" \"CREATE TABLE comp(" + cols +
                            ")\" \".import --skip 2 " + data + "/comp comp\" \"CREATE UNIQUE INDEX k ON comp(c2, c5)\"";
    t0 = Clock::now();
    const int rc = std::system(cmd.c_str());
    const double theirs = Seconds(t0);
    if (rc != 0) {
        std::fprintf(stderr, "sqlite3 .import failed (%d)\n", rc);
    } else {
        std::printf("sqlite3 .import: %ld comp rows in %.2f s: %.0f rows/s\n", rows, theirs, rows / theirs);
    }
    std::system(("rm -rf " + dir).c_str());
    return 0;
}
