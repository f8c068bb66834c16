#include "convert/dlg_to_dxf.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "convert/dlg_reader.h"
#include "core/file_io.h"

namespace zemba {

std::string DxfNumber(double v) {
    if (!std::isfinite(v)) v = 0;
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14E", std::fabs(v));
    // "d.ddddddddddddddE+xx": widen the exponent to four digits.
    const char* e = std::strchr(buf, 'E');
    int exponent = e ? std::atoi(e + 1) : 0;
    std::string mantissa(buf, e ? static_cast<std::size_t>(e - buf) : std::strlen(buf));
    char exp[16];
    std::snprintf(exp, sizeof exp, "E%c%04d", exponent < 0 ? '-' : '+', std::abs(exponent));
    return std::string(v < 0 ? "-" : " ") + mantissa + exp;
}

namespace {

// Windows code page 1252 at 0x80..0x9F (0: unassigned); the rest is Latin-1.
const char16_t kCp1252High[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                  0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                  0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                  0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

// The code points of UTF-8 text; bytes that are not UTF-8 count as code page
// 1252 (what such a name most likely was).
std::u32string Decode(const std::string& s) {
    std::u32string out;
    for (std::size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        char32_t cp = len == 1 ? c : len == 2 ? (c & 0x1F) : len == 3 ? (c & 0x0F) : (c & 0x07);
        bool ok = len > 0 && i + len <= s.size();
        for (int k = 1; ok && k < len; ++k) {
            const unsigned char d = static_cast<unsigned char>(s[i + k]);
            ok = (d & 0xC0) == 0x80;
            cp = (cp << 6) | (d & 0x3F);
        }
        if (ok && len > 1 && cp < (len == 2 ? 0x80u : len == 3 ? 0x800u : 0x10000u)) ok = false;
        if (!ok) {
            out += c >= 0x80 && c < 0xA0 && kCp1252High[c - 0x80] ? kCp1252High[c - 0x80] : char32_t(c);
            ++i;
            continue;
        }
        out += cp;
        i += static_cast<std::size_t>(len);
    }
    return out;
}

// The code page 1252 byte of a code point, or 0 when it has none.
unsigned char Cp1252(char32_t cp) {
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<unsigned char>(cp);
    for (int k = 0; k < 32; ++k)
        if (kCp1252High[k] && kCp1252High[k] == cp) return static_cast<unsigned char>(0x80 + k);
    return 0;
}

std::string EncodeUtf8(const std::u32string& s) {
    std::string out;
    for (char32_t cp : s) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else if (cp < 0x10000) {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (cp >> 18));
            out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }
    return out;
}

}  // namespace

std::string DxfLayerName(const std::string& typed) {
    std::u32string name = Decode(UpperCase(TrimBlanks(typed)));
    // Characters a DXF layer name may not hold, and those the drawing's code
    // page cannot, become underscores.
    const std::u32string forbidden = U"<>/\\\":;?*|=`,";
    for (char32_t& c : name)
        if (c < 0x20 || forbidden.find(c) != std::u32string::npos || !Cp1252(c)) c = U'_';
    return name.empty() ? "LAYERNAME" : EncodeUtf8(name);
}

std::string DxfCodePageText(const std::string& text) {
    std::string out;
    for (char32_t c : Decode(text)) {
        const unsigned char b = Cp1252(c);
        out += b ? static_cast<char>(b) : '?';
    }
    return out;
}

Result ExportDlgToDxf(const std::string& dlgPath, const std::string& dxfPath, const std::string& layerTyped, int width,
                      Prompter& prompter, Progress& progress, DlgDxfReport& rep) {
    rep = DlgDxfReport();
    rep.Layer = DxfLayerName(layerTyped);
    if (width < 0 || width > 3) width = 0;
    DlgRecordReader in;
    Result r = in.DetectDlgRecordMode(dlgPath);
    if (!r) return r;
    DlgHeader header;
    r = ReadDlgHeader(in, header, nullptr);
    if (!r) return r;
    DlgBodyOptions o;
    o.keepNodes = o.keepAreas = false;
    o.quickView = true;  // "Lines are maligned at" and the pair warnings
    DlgBody body;
    ReadDlgBody(in, header, o, body, prompter, progress);
    in.Close();
    if (body.aborted) return Result::Fail(body.failure);

    AtomicFile out(dxfPath);
    r = out.Open();
    if (!r) return r;
    std::string b;
    auto pair = [&b](const char* code, const std::string& value) {
        b += code;
        b += "\r\n";
        b += value;
        b += "\r\n";
    };
    // Text in an R12 drawing is in the code page its header names.
    const std::string L = DxfCodePageText(rep.Layer);
    const std::string w = std::to_string(width);
    pair("0", "SECTION"), pair("2", "HEADER"), pair("9", "$DWGCODEPAGE"), pair("3", "ANSI_1252"), pair("0", "ENDSEC");
    pair("0", "SECTION"), pair("2", "TABLES"), pair("0", "TABLE"), pair("2", "LAYER"), pair("0", "LAYER");
    pair("2", L), pair("0", "ENDTAB"), pair("0", "ENDSEC"), pair("0", "SECTION"), pair("2", "ENTITIES");
    const std::size_t count = body.Lines.size() > 0 ? body.Lines.size() - 1 : 0;
    for (std::size_t i = 1; i < body.Lines.size(); ++i) {
        const MyLineRecord& line = body.Lines[i];
        if ((i & 255) == 0) progress.SetPosition(static_cast<long long>(100 * i / std::max<std::size_t>(count, 1)));
        if (!line.CountOk) continue;
        pair("0", "POLYLINE"), pair("8", L), pair("70", "8"), pair("40", w), pair("41", w), pair("66", "1");
        pair("10", "0.000000"), pair("20", "0.000000"), pair("30", "0.000000");
        for (std::size_t k = 0; k + 1 < line.Coords.size(); k += 2) {
            pair("0", "VERTEX"), pair("8", L);
            pair("10", DxfNumber(line.Coords[k])), pair("20", DxfNumber(line.Coords[k + 1])), pair("30", "0.000000");
            ++rep.Vertices;
        }
        pair("0", "SEQEND"), pair("8", L);
        ++rep.LinesWritten;
        if (b.size() > (1u << 20)) {
            out.Write(b);
            b.clear();
        }
    }
    pair("0", "ENDSEC"), pair("0", "EOF");
    out.Write(b);
    r = out.Commit();
    progress.SetPosition(0);
    rep.Hint = "Number of Lines Read " + std::to_string(body.LinesSeen);
    progress.SetMessage(rep.Hint);
    return r;
}

}  // namespace zemba
