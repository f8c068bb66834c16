#include "bench/synth.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace zemba::bench {

namespace {

void BE(std::string& b, std::uint32_t v) {
    for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<char>(v >> s));
}
void LE(std::string& b, std::uint32_t v) {
    for (int s = 0; s <= 24; s += 8) b.push_back(static_cast<char>(v >> s));
}
void D(std::string& b, double d) {
    std::uint64_t v;
    std::memcpy(&v, &d, 8);
    for (int s = 0; s < 64; s += 8) b.push_back(static_cast<char>(v >> s));
}

std::string Header(std::uint32_t words, double x0, double y0, double x1, double y1) {
    std::string h;
    BE(h, 9994);
    for (int i = 0; i < 5; ++i) BE(h, 0);
    BE(h, words);
    LE(h, 1000);
    LE(h, 5);
    for (double v : {x0, y0, x1, y1, 0.0, 0.0, 0.0, 0.0}) D(h, v);
    return h;
}

}  // namespace

std::string BenchDir() {
    const char* t = std::getenv("TMPDIR");
    std::string dir = std::string(t && *t ? t : "/tmp") + "/zemba-bench";
    ::mkdir(dir.c_str(), 0755);
    return dir;
}

bool WriteSyntheticPolygons(const std::string& shpPath, int polys, int verts) {
    const int cols = static_cast<int>(std::ceil(std::sqrt(static_cast<double>(polys))));
    const double cell = 1000.0, r = 450.0, ox = 500000.0, oy = 4000000.0;
    const std::uint32_t content = 22 + 2 + 8 * static_cast<std::uint32_t>(verts);
    const std::uint64_t words = 50 + static_cast<std::uint64_t>(polys) * (4 + content);
    const double x1 = ox + cols * cell, y1 = oy + ((polys + cols - 1) / cols) * cell;

    std::string base = shpPath.substr(0, shpPath.size() - 4);
    FILE* shp = std::fopen(shpPath.c_str(), "wb");
    FILE* shx = std::fopen((base + ".shx").c_str(), "wb");
    FILE* dbf = std::fopen((base + ".dbf").c_str(), "wb");
    if (!shp || !shx || !dbf) return false;
    std::string h = Header(static_cast<std::uint32_t>(words), ox, oy, x1, y1);
    std::fwrite(h.data(), 1, h.size(), shp);
    h = Header(50 + 4 * static_cast<std::uint32_t>(polys), ox, oy, x1, y1);
    std::fwrite(h.data(), 1, h.size(), shx);

    // dBase III header with one numeric field ID N(9,0).
    std::string d;
    d.push_back(0x03);
    d.push_back(126);
    d.push_back(1);
    d.push_back(1);
    LE(d, static_cast<std::uint32_t>(polys));
    d.push_back(65);  // header length 32 + 32 + 1
    d.push_back(0);
    d.push_back(10);  // record length 1 + 9
    d.push_back(0);
    d.append(20, '\0');
    std::string f(32, '\0');
    std::memcpy(&f[0], "ID", 2);
    f[11] = 'N';
    f[16] = 9;
    d += f;
    d.push_back(0x0D);
    std::fwrite(d.data(), 1, d.size(), dbf);

    std::string rec, idx, row;
    std::uint32_t offset = 50;
    for (int k = 0; k < polys; ++k) {
        rec.clear();
        double cx = ox + (k % cols) * cell + cell / 2, cy = oy + (k / cols) * cell + cell / 2;
        BE(rec, static_cast<std::uint32_t>(k + 1));
        BE(rec, content);
        LE(rec, 5);
        for (double v : {cx - r, cy - r, cx + r, cy + r}) D(rec, v);
        LE(rec, 1);
        LE(rec, static_cast<std::uint32_t>(verts));
        LE(rec, 0);
        for (int j = 0; j < verts; ++j) {
            // Clockwise ring, closed on its first vertex.
            double a = -2 * M_PI * (j == verts - 1 ? 0 : j) / (verts - 1);
            double rr = r * (0.8 + 0.2 * ((j * 7919) % 13) / 13.0);
            if (j == verts - 1) rr = r * 0.8;
            if (j == 0) rr = r * 0.8;
            D(rec, cx + rr * std::cos(a));
            D(rec, cy + rr * std::sin(a));
        }
        std::fwrite(rec.data(), 1, rec.size(), shp);
        idx.clear();
        BE(idx, offset);
        BE(idx, content);
        std::fwrite(idx.data(), 1, idx.size(), shx);
        offset += 4 + content;
        char buf[16];
        std::snprintf(buf, sizeof buf, " %9d", k + 1);
        std::fwrite(buf, 1, 10, dbf);
    }
    std::fputc(0x1A, dbf);
    bool ok = std::ferror(shp) == 0 && std::ferror(shx) == 0 && std::ferror(dbf) == 0;
    ok = (std::fclose(shp) == 0) && ok;
    ok = (std::fclose(shx) == 0) && ok;
    ok = (std::fclose(dbf) == 0) && ok;
    return ok;
}

}  // namespace zemba::bench
