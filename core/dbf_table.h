// dBase tables in memory through the table library: reading a table from
// its bytes, and building a layer's table as bytes that the save commits
// together with the .shp and .shx.
#pragma once

#include <shapefil.h>

#include <string>

#include "core/layer_store.h"
#include "core/ui.h"

namespace zemba {

// Opens `bytes` as a table for reading; nullptr when they are not one. The
// handle reads the caller's string, which must outlive it.
DBFHandle OpenMemoryTable(const std::string& bytes);

// The table of layer L as the bytes of a .dbf file, one row a shape
// (exactly NumRecords rows), null shapes flagged deleted. When `source`
// holds the table the layer was read from, its header and every cell whose
// value the layer did not change are kept byte for byte; changed cells and
// fields the table lacks are written in their field's type.
Result BuildDbf(const ShpLayer& L, const std::string& source, std::string& out, Progress& progress);

// The dBase field a layer field is written as: type letter, width, decimals.
struct NativeField {
    char type;
    int width;
    int decimals;
};
NativeField NativeFieldFor(const FieldDefRec& f);

// Today's date as the layer keeps dates (the short date form the loader
// gives dBase dates).
std::string TodayText();
// A kept date text back as dBase "YYYYMMDD"; empty when it is not a date.
std::string DbaseDate(const std::string& text);

}  // namespace zemba
