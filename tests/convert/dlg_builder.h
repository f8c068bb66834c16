// Small DLGs for the tests, written record by record in the optional format.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace zemba::test {

inline std::string SamplePath() { return std::string(ZEMBA_TEST_DATA) + "/dlg/hy01_crlf.dlg"; }

// Splits the sample's CR LF text into its 80-character records.
inline std::vector<std::string> SampleRecords() {
    std::string all = ReadFileBytes(SamplePath());
    std::vector<std::string> out;
    std::size_t start = 0;
    while (start < all.size()) {
        std::size_t cr = all.find("\r\n", start);
        if (cr == std::string::npos) cr = all.size();
        out.push_back(all.substr(start, cr - start));
        start = cr + 2;
    }
    return out;
}

inline std::string Join(const std::vector<std::string>& records, const std::string& end) {
    std::string s;
    for (const auto& r : records) s += r + end;
    return s;
}

// Fixed 80-byte records, no line ends.
inline std::string JoinFixed(const std::vector<std::string>& records) {
    std::string s;
    for (auto r : records) {
        r.resize(80, ' ');
        s += r;
    }
    return s;
}

inline std::string Pad(std::string s, std::size_t n = 80) {
    s.resize(n, ' ');
    return s;
}

// Right-aligned whole number in `width` columns.
inline std::string I(long long v, int width = 6) {
    char b[32];
    std::snprintf(b, sizeof b, "%*lld", width, v);
    return b;
}
inline std::string F(double v, int width = 12) {
    char b[64];
    std::snprintf(b, sizeof b, "%*.2f", width, v);
    return b;
}

struct DlgLine {
    long long id;
    std::vector<std::pair<double, double>> pts;
    std::vector<std::pair<int, int>> attrs;
};
struct DlgArea {
    long long id;
    std::vector<long long> lines;
    std::vector<std::pair<int, int>> attrs;
    int islands = 0;
};
struct DlgNodeDef {
    long long id;
    double x, y;
    std::vector<long long> lines;
    std::vector<std::pair<int, int>> attrs;
};

// A DLG with a UTM header, control points (0,0)-(1000,1000) unless given.
struct DlgBuilder {
    std::vector<DlgNodeDef> nodes;
    std::vector<DlgArea> areas;
    std::vector<DlgLine> lines;
    double cp[4][2] = {{0, 0}, {0, 1000}, {1000, 1000}, {1000, 0}};
    std::string countNodes, countAreas, countLines;  // override the category counts

    static std::vector<std::string> AttrRecords(const std::vector<std::pair<int, int>>& a) {
        std::vector<std::string> out;
        std::string r;
        for (std::size_t k = 0; k < a.size(); ++k) {
            r += I(a[k].first) + I(a[k].second);
            if (r.size() == 72 || k + 1 == a.size()) {
                out.push_back(Pad(r));
                r.clear();
            }
        }
        return out;
    }
    static std::vector<std::string> ListRecords(const std::vector<long long>& l) {
        std::vector<std::string> out;
        std::string r;
        for (std::size_t k = 0; k < l.size(); ++k) {
            r += I(l[k]);
            if (r.size() == 72 || k + 1 == l.size()) {
                out.push_back(Pad(r));
                r.clear();
            }
        }
        return out;
    }

    std::vector<std::string> Records() const {
        std::vector<std::string> r;
        r.push_back(Pad("TEST DLG"));
        r.push_back(Pad(Pad("SYNTHETIC QUAD", 41) + "1999,     " + "  24000"));
        r.push_back(Pad(""));
        r.push_back(Pad(I(3) + I(1) + I(18) + I(2) + " 6.10000000000D-01" + I(4) + I(0) + I(4) + I(1) + "  0  0"));
        for (int k = 0; k < 6; ++k) r.push_back(Pad(" 0.000000000000000D+00"));
        const char* names[4] = {"SW", "NW", "NE", "SE"};
        for (int k = 0; k < 4; ++k)
            r.push_back(Pad(Pad(names[k], 36) + F(cp[k][0]) + F(cp[k][1])));
        std::string n = countNodes.empty() ? I(static_cast<long long>(nodes.size())) : countNodes;
        std::string a = countAreas.empty() ? I(static_cast<long long>(areas.size())) : countAreas;
        std::string l = countLines.empty() ? I(static_cast<long long>(lines.size())) : countLines;
        r.push_back(Pad(Pad("HYDROGRAPHY", 30) + n + Pad("", 10) + a + Pad("", 10) + l));
        for (const auto& nd : nodes) {
            r.push_back(Pad("N" + I(nd.id, 5) + F(nd.x) + F(nd.y) + Pad("", 6) + I(static_cast<long long>(nd.lines.size())) +
                            Pad("", 6) + I(static_cast<long long>(nd.attrs.size())) + I(0)));
            for (auto& x : ListRecords(nd.lines)) r.push_back(x);
            for (auto& x : AttrRecords(nd.attrs)) r.push_back(x);
        }
        for (const auto& ar : areas) {
            r.push_back(Pad("A" + I(ar.id, 5) + F(0) + F(0) + Pad("", 6) + I(static_cast<long long>(ar.lines.size())) +
                            I(0) + I(static_cast<long long>(ar.attrs.size())) + I(0) + I(ar.islands)));
            for (auto& x : ListRecords(ar.lines)) r.push_back(x);
            for (auto& x : AttrRecords(ar.attrs)) r.push_back(x);
        }
        for (const auto& ln : lines) {
            r.push_back(Pad("L" + I(ln.id, 5) + I(1) + I(1) + I(1) + I(2) + Pad("", 12) +
                            I(static_cast<long long>(ln.pts.size())) + I(static_cast<long long>(ln.attrs.size())) + I(0)));
            std::string c;
            for (std::size_t k = 0; k < ln.pts.size(); ++k) {
                c += F(ln.pts[k].first) + F(ln.pts[k].second);
                if (c.size() == 72 || k + 1 == ln.pts.size()) {
                    r.push_back(Pad(c));
                    c.clear();
                }
            }
            for (auto& x : AttrRecords(ln.attrs)) r.push_back(x);
        }
        return r;
    }

    std::string Write(const std::string& path) const {
        WriteFileBytes(path, Join(Records(), "\r\n"));
        return path;
    }
};

}  // namespace zemba::test
