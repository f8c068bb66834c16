// DLG reader and export passes. The first byte picks the export (points,
// lines, areas, DXF) and the attribute mode; the rest is the DLG file.
#include <cstdint>
#include <string>

#include "convert/dlg_reader.h"
#include "convert/dlg_to_dxf.h"
#include "convert/dlg_to_shp.h"
#include "fuzz/fuzz_common.h"

using namespace zemba;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::uint8_t pick = data[0];
    ++data, --size;
    SilentPrompter quiet(Answer::Ok);
    NullProgress none;

    // Straight from memory: the record layouts, header and body.
    DlgRecordReader in;
    in.DetectDlgRecordMode(reinterpret_cast<const char*>(data), size);
    DlgHeader h;
    if (ReadDlgHeader(in, h, &quiet)) {
        DlgBody body;
        ReadDlgBody(in, h, DlgBodyOptions(), body, quiet, none);
    }

    // Through a file: the exports.
    const std::string dlg = fuzz::ScratchPath(".dlg");
    fuzz::Put(dlg, data, size);
    if ((pick & 3) == 3) {
        DlgDxfReport rep;
        ExportDlgToDxf(dlg, fuzz::ScratchPath(".dxf"), "L", pick >> 6, quiet, none, rep);
        return 0;
    }
    DlgShapeOptions o;
    o.Layer = (pick & 3) == 0 ? ExportLayer::Points : (pick & 3) == 1 ? ExportLayer::Lines : ExportLayer::Areas;
    o.Mode = static_cast<AttributeMode>((pick >> 2) & 3);
    o.NumberItems = pick & 16;
    o.MapAttributes = pick & 32;
    o.SkipFirstArea = pick & 64;
    o.WritePrj = false;
    DlgShapeReport rep;
    ExportDlgToShape(dlg, fuzz::ScratchPath(".shp"), o, quiet, none, rep);
    return 0;
}
