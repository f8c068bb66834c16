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

std::string DxfLayerName(const std::string& typed) {
    std::string name = UpperCase(TrimBlanks(typed));
    return name.empty() ? "LAYERNAME" : name;
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
    const std::string& L = rep.Layer;
    const std::string w = std::to_string(width);
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
