// DLG lines to an ASCII DXF drawing: one layer, one polyline per line.
#pragma once

#include <cstdint>
#include <string>

#include "core/ui.h"

namespace zemba {

struct DlgDxfReport {
    std::int64_t LinesWritten = 0;
    std::int64_t Vertices = 0;
    std::string Layer;  // the name as written (upper-cased, trimmed), in UTF-8
    std::string Hint;
};

// 23 characters: sign or blank, d.dddddddddddddd, "E", exponent sign and
// four digits.
std::string DxfNumber(double v);

// The layer name as the export writes it, from UTF-8 text (bytes that are
// not UTF-8 are taken as code page 1252): trimmed, upper-cased, with the
// characters DXF forbids in names (<>/\":;?*|=`, and controls) and those
// code page 1252 lacks replaced by '_'. The result is UTF-8.
std::string DxfLayerName(const std::string& typed);
// UTF-8 text in the drawing's code page (1252, "ANSI_1252" in its header);
// '?' for what the code page lacks.
std::string DxfCodePageText(const std::string& text);

// Writes `dxfPath` from the lines of `dlgPath`; width is 0-3. The file is
// put in place only when complete.
Result ExportDlgToDxf(const std::string& dlgPath, const std::string& dxfPath, const std::string& layer, int width,
                      Prompter& prompter, Progress& progress, DlgDxfReport& report);

}  // namespace zemba
