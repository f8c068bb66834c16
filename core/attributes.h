// The attribute table (.dbf) of a layer and the style side files (.att/.atx).
#pragma once

#include <string>

#include "core/layer_store.h"
#include "core/ui.h"

namespace zemba {

// Reads the .dbf table beside layer i's shapefile into its Fields and every
// shape's Values. A table that cannot be opened or read fails with a reason.
Result LoadAttributes(LayerStore& store, std::int32_t i, Progress& progress);

class BlockReader;
// Reads a dBase header (through the 0x0D that ends the field list) from the
// start of `in` into `head`, refusing one that disagrees with itself: a
// header length short of the field list, a record length other than the
// field widths plus 1.
Result ReadDbfHeader(BlockReader& in, const std::string& path, std::string& head);

// The text of one raw dBase field value as the layer keeps it.
std::string FieldValueText(const FieldDefRec& field, const char* raw, int width);

// A date as the layer keeps dBase dates: the locale's short date form
// (month/day/year with the full year in the C locale).
std::string ShortDate(int year, int month, int day);

// The whole of a small text file beside a layer (.cpg, .prj); empty when
// there is none.
std::string ReadSmallTextFile(const std::string& path);

// Side files named by replacing the extension of `path` with .att and .atx.
// A failed read leaves SymLayers[i] untouched.
Result ReadSideFiles(LayerStore& store, const std::string& path, std::int32_t i, Progress& progress);
Result WriteSideFiles(const LayerStore& store, const std::string& path, std::int32_t i,
                      Progress& progress);
class AtomicFile;
// The same into files the caller commits together with the rest of a save.
Result WriteSideFilesTo(const LayerStore& store, std::int32_t i, AtomicFile& att, AtomicFile& atx,
                        Progress& progress);

// `path` with its extension replaced by `ext` (which includes the dot).
std::string ChangeFileExt(const std::string& path, const std::string& ext);

// The companion of `path` with extension `ext` (lower case, with the dot):
// the lower-case name when it exists, else the upper-case one when that
// exists (files from DOS tools), else the lower-case name.
std::string CompanionFile(const std::string& path, const std::string& ext);

}  // namespace zemba
