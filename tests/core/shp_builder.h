// Builds shapefile bytes by hand, so tests can make exactly the damaged or
// unusual files they need.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace zemba::test {

inline void PutBE(std::string& b, std::int32_t v) {
    auto u = static_cast<std::uint32_t>(v);
    for (int s = 24; s >= 0; s -= 8) b.push_back(static_cast<char>(u >> s));
}
inline void PutLE(std::string& b, std::int32_t v) {
    auto u = static_cast<std::uint32_t>(v);
    for (int s = 0; s <= 24; s += 8) b.push_back(static_cast<char>(u >> s));
}
inline void PutD(std::string& b, double d) {
    std::uint64_t v;
    std::memcpy(&v, &d, 8);
    for (int s = 0; s < 64; s += 8) b.push_back(static_cast<char>(v >> s));
}
inline std::int32_t GetBE(const std::string& b, std::size_t at) {
    return static_cast<std::int32_t>((std::uint32_t(static_cast<unsigned char>(b[at])) << 24) |
                                     (std::uint32_t(static_cast<unsigned char>(b[at + 1])) << 16) |
                                     (std::uint32_t(static_cast<unsigned char>(b[at + 2])) << 8) |
                                     std::uint32_t(static_cast<unsigned char>(b[at + 3])));
}
inline std::int32_t GetLE(const std::string& b, std::size_t at) {
    std::int32_t v;
    std::memcpy(&v, b.data() + at, 4);
    return v;
}
inline double GetD(const std::string& b, std::size_t at) {
    double v;
    std::memcpy(&v, b.data() + at, 8);
    return v;
}

struct ShpBuilder {
    std::int32_t type;
    double box[4] = {0, 0, 10, 10};
    std::string records;
    std::int32_t next = 1;

    explicit ShpBuilder(std::int32_t t) : type(t) {}

    // Appends a record with raw content; `number` 0 means the next in turn.
    void Raw(const std::string& content, std::int32_t number = 0, std::int32_t words = -1) {
        PutBE(records, number ? number : next);
        PutBE(records, words >= 0 ? words : static_cast<std::int32_t>(content.size() / 2));
        records += content;
        ++next;
    }
    void Point(double x, double y) {
        std::string c;
        PutLE(c, type);
        PutD(c, x);
        PutD(c, y);
        if (type == 11) PutD(c, 7.5);
        if (type == 11 || type == 21) PutD(c, 1.25);
        Raw(c);
    }
    void Null() {
        std::string c;
        PutLE(c, 0);
        Raw(c);
    }
    // A multipart record: parts as lists of (x, y).
    static std::string Poly(std::int32_t type, const std::vector<std::vector<std::pair<double, double>>>& parts) {
        std::string c;
        PutLE(c, type);
        double x0 = 1e300, y0 = 1e300, x1 = -1e300, y1 = -1e300;
        int n = 0;
        for (auto& p : parts)
            for (auto& v : p) {
                x0 = std::min(x0, v.first);
                y0 = std::min(y0, v.second);
                x1 = std::max(x1, v.first);
                y1 = std::max(y1, v.second);
                ++n;
            }
        for (double v : {x0, y0, x1, y1}) PutD(c, v);
        PutLE(c, static_cast<std::int32_t>(parts.size()));
        PutLE(c, n);
        int start = 0;
        for (auto& p : parts) {
            PutLE(c, start);
            start += static_cast<int>(p.size());
        }
        for (auto& p : parts)
            for (auto& v : p) {
                PutD(c, v.first);
                PutD(c, v.second);
            }
        return c;
    }
    std::string Bytes() const {
        std::string h;
        PutBE(h, 9994);
        for (int k = 0; k < 5; ++k) PutBE(h, 0);
        PutBE(h, static_cast<std::int32_t>((100 + records.size()) / 2));
        PutLE(h, 1000);
        PutLE(h, type);
        for (double v : box) PutD(h, v);
        for (int k = 0; k < 4; ++k) PutD(h, 0);
        return h + records;
    }
};

// A minimal dBase III table: fields of (name, type char, width, decimals)
// and rows of already padded field texts.
struct DbfField {
    std::string name;
    char type;
    int width;
    int decimals;
};
inline std::string MakeDbf(const std::vector<DbfField>& fields, const std::vector<std::vector<std::string>>& rows) {
    int recLen = 1;
    for (auto& f : fields) recLen += f.width;
    std::string d;
    d.push_back(0x03);
    d.push_back(126);
    d.push_back(1);
    d.push_back(1);
    PutLE(d, static_cast<std::int32_t>(rows.size()));
    int headerLen = 32 + 32 * static_cast<int>(fields.size()) + 1;
    d.push_back(static_cast<char>(headerLen & 0xFF));
    d.push_back(static_cast<char>(headerLen >> 8));
    d.push_back(static_cast<char>(recLen & 0xFF));
    d.push_back(static_cast<char>(recLen >> 8));
    d.append(20, '\0');
    for (auto& f : fields) {
        std::string fd(32, '\0');
        std::memcpy(&fd[0], f.name.data(), std::min<std::size_t>(f.name.size(), 10));
        fd[11] = f.type;
        fd[16] = static_cast<char>(f.width);
        fd[17] = static_cast<char>(f.decimals);
        d += fd;
    }
    d.push_back(0x0D);
    for (auto& r : rows) {
        d.push_back(' ');
        for (std::size_t k = 0; k < fields.size(); ++k) {
            std::string v = k < r.size() ? r[k] : std::string();
            v.resize(static_cast<std::size_t>(fields[k].width), ' ');
            d += v;
        }
    }
    d.push_back(0x1A);
    return d;
}

}  // namespace zemba::test
