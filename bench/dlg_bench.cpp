// DLG reading and the area export on a generated DLG of 99,999 lines and
// 50,000 areas, against a plain read of the same file.
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fcntl.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "bench/synth.h"
#include "convert/dlg_reader.h"
#include "convert/dlg_to_shp.h"

using namespace zemba;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kAreas = 50000;           // area 1 is the outside area
constexpr int kLines = 2 * (kAreas - 1) + 1;  // 99,999
constexpr int kPairs = 20;              // per boundary line

std::string Rec(std::string s) {
    s.resize(80, ' ');
    return s + "\r\n";
}

std::string I6(long long v) {
    char b[32];
    std::snprintf(b, sizeof b, "%6lld", v);
    return b;
}

std::string Pair(double x, double y) {
    char b[32];
    std::snprintf(b, sizeof b, "%12.2f%12.2f", x, y);
    return b;
}

// Areas 2..n are lens-shaped cells on a grid, each bounded by a lower line
// (2k-2) and an upper line (2k-1) run backwards; line 1 is the frame.
bool WriteDlg(const std::string& path) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const int cols = 250;
    const double cell = 100;
    const int rows = (kAreas - 1 + cols - 1) / cols;
    const double W = cols * cell, H = rows * cell;
    std::string out;
    out += Rec(" *** DLG-OPTIONAL FORMAT   GENERATED FOR THE BENCHMARK");
    out += Rec("BENCH QUAD                               2024,         24000");
    out += Rec("");
    out += Rec("     3     1    18     2 6.10000000000D-01     4     0     4     1  0  0");
    for (int k = 0; k < 6; ++k) out += Rec(" 0.000000000000000D+00");
    const double cp[4][2] = {{0, 0}, {0, H}, {W, H}, {W, 0}};
    const char* names[4] = {"SW", "NW", "NE", "SE"};
    for (int k = 0; k < 4; ++k) out += Rec(std::string(names[k]) + std::string(34, ' ') + Pair(cp[k][0], cp[k][1]));
    out += Rec("BENCH" + std::string(25, ' ') + I6(0) + std::string(10, ' ') + I6(kAreas) + std::string(10, ' ') + I6(kLines));
    // Areas.
    out += Rec("A" + I6(1).substr(1) + Pair(0, 0) + std::string(6, ' ') + I6(1) + I6(0) + I6(1) + I6(0) + I6(0));
    out += Rec(I6(1));
    out += Rec(I6(0) + I6(0));
    for (int a = 2; a <= kAreas; ++a) {
        out += Rec("A" + I6(a).substr(1) + Pair(0, 0) + std::string(6, ' ') + I6(2) + I6(0) + I6(1) + I6(0) + I6(0));
        out += Rec(I6(2 * a - 2) + I6(-(2 * a - 1)));
        out += Rec(I6(50) + I6(a % 1000));
    }
    std::fwrite(out.data(), 1, out.size(), f);
    out.clear();
    auto line = [&](int id, const std::vector<std::pair<double, double>>& pts) {
        out += Rec("L" + I6(id).substr(1) + I6(1) + I6(1) + I6(1) + I6(2) + std::string(12, ' ') +
                   I6(static_cast<long long>(pts.size())) + I6(0) + I6(0));
        std::string r;
        for (std::size_t k = 0; k < pts.size(); ++k) {
            r += Pair(pts[k].first, pts[k].second);
            if (r.size() == 72 || k + 1 == pts.size()) {
                out += Rec(r);
                r.clear();
            }
        }
        if (out.size() > (1 << 20)) {
            std::fwrite(out.data(), 1, out.size(), f);
            out.clear();
        }
    };
    line(1, {{0, 0}, {0, H}, {W, H}, {W, 0}, {0, 0}});
    for (int a = 2; a <= kAreas; ++a) {
        const int c = (a - 2) % cols, r = (a - 2) / cols;
        const double x0 = c * cell + 5, x1 = x0 + cell - 10, y = r * cell + cell / 2;
        std::vector<std::pair<double, double>> lo, hi;
        for (int k = 0; k < kPairs; ++k) {
            const double t = static_cast<double>(k) / (kPairs - 1);
            const double x = x0 + t * (x1 - x0), bulge = std::sin(t * M_PI) * (cell / 2 - 5);
            lo.push_back({x, y - bulge});
            hi.push_back({x, y + bulge});
        }
        line(2 * a - 2, lo);
        line(2 * a - 1, hi);
    }
    std::fwrite(out.data(), 1, out.size(), f);
    return std::fclose(f) == 0;
}

double Seconds(Clock::time_point a) { return std::chrono::duration<double>(Clock::now() - a).count(); }

}  // namespace

int main() {
    const std::string dir = bench::BenchDir();
    const std::string dlg = dir + "/bench_99999.dlg";
    if (access(dlg.c_str(), R_OK) != 0) {
        auto t = Clock::now();
        if (!WriteDlg(dlg)) return std::fprintf(stderr, "cannot write %s\n", dlg.c_str()), 1;
        std::printf("generated %s in %.2f s\n", dlg.c_str(), Seconds(t));
    }

    // Plain read of the file.
    auto t = Clock::now();
    double bytes = 0;
    {
        int fd = open(dlg.c_str(), O_RDONLY);
        std::vector<char> buf(1 << 16);
        ssize_t n;
        while ((n = read(fd, buf.data(), buf.size())) > 0) bytes += static_cast<double>(n);
        close(fd);
    }
    const double plain = Seconds(t);
    const double mb = bytes / 1e6;
    std::printf("file: %.1f MB\n", mb);
    std::printf("plain read:        %8.3f s  %8.1f MB/s\n", plain, mb / plain);

    t = Clock::now();
    DlgRecordReader in;
    in.DetectDlgRecordMode(dlg);
    std::string rec;
    long long records = 0;
    while (in.ReadDlgRecord(rec)) ++records;
    const double split = Seconds(t);
    std::printf("records (%lld):   %8.3f s  %8.1f MB/s\n", records, split, mb / split);

    t = Clock::now();
    in.Rewind();
    DlgHeader h;
    SilentPrompter quiet(Answer::Ok);
    NullProgress none;
    ReadDlgHeader(in, h, &quiet);
    DlgBody body;
    ReadDlgBody(in, h, DlgBodyOptions(), body, quiet, none);
    const double parse = Seconds(t);
    std::printf("parse elements:    %8.3f s  %8.1f MB/s  (%lld lines, %lld areas)\n", parse, mb / parse,
                static_cast<long long>(body.LinesSeen), static_cast<long long>(body.AreasSeen));

    t = Clock::now();
    DlgShapeReport rep;
    DlgShapeOptions o;
    Result r = ExportDlgToShape(dlg, dir + "/bench_a.shp", o, quiet, none, rep);
    const double all = Seconds(t);
    std::printf("areas to shapefile:%8.3f s  %8.1f MB/s  (%lld polygons, %lld vertices)%s\n", all, mb / all,
                static_cast<long long>(rep.Written), static_cast<long long>(rep.Points), r ? "" : " FAILED");
    return r ? 0 : 1;
}
