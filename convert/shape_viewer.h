// The shapefile viewer: reads a main file (.shp) or an index file (.shx)
// byte by byte, without the layer store, and reports its header, counters,
// a 313 x 313 picture and, optionally, a text dump of every field.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "convert/dlg_reader.h"
#include "core/ui.h"

namespace zemba {

// The "File type" radio item of a shape type code, or -1 for a code that
// has none (the selection is then left as it is).
int ShapeFileTypeItem(std::int32_t type);
extern const char* const kShapeViewerTypeItems[16];

// Whether the viewer draws records of this type (the others are listed and
// counted; message 13 tells the user they are not drawn).
bool ShapeViewerDraws(std::int32_t type);

// "roads.shp" -> "roads-shp.txt": the file's name with its fourth character
// from the end replaced by "-", then ".txt", in `dir`.
std::string ShapeViewDumpName(const std::string& dir, const std::string& fileName);

// The texts of numbers in the memo and the dump.
std::string ShapeViewReal(double v);  // right-aligned in 24, 12 decimals

struct ShapeViewReport {
    bool IndexFile = false;
    std::vector<std::string> Memo;   // header lines
    std::int32_t FileCode = 0;
    std::int32_t FileLengthWords = 0;  // from the header
    std::int32_t Version = 0;
    std::int32_t ShapeType = 0;
    bool HeaderRead = false;
    // The counters. 64 bits: a damaged count must not overflow them.
    std::int64_t Records = 0, Parts = 0, Points = 0, WordsDone = 0;
    std::int64_t FileBytes = 0;  // the file's real size
    bool NotDrawnType = false;   // message 13 was due
    bool Truncated = false;      // the file ended inside a header or record
    // Damage found on the way: truncation, counts beyond a record's
    // content, an index that disagrees with its main file.
    std::vector<std::string> Notes;
    DlgPicture Picture;
    bool HasPicture = false;
};

struct ShapeViewOptions {
    // Where the text dump goes; empty for none.
    std::string DumpPath;
    // Compare a .shx with the .shp beside it (and the other way round).
    bool CompareCompanion = true;
};

// Views `path` as a main file (".SHP") or an index file (".SHX", any case).
// Fails for another extension (nothing read), an unreadable file or a dump
// that cannot be written; damage inside the file is not a failure: it is
// counted up to where the file ends and described in Notes.
Result ViewShapeFile(const std::string& path, const ShapeViewOptions& options, ShapeViewReport& out,
                     Prompter& prompter, Progress& progress);

// Same, over bytes in memory (no companion check); `dump`, when set,
// receives the text lines one by one.
using ShapeDumpSink = std::function<void(const std::string&)>;
void ViewShapeBytes(const unsigned char* data, std::size_t size, bool indexFile, ShapeViewReport& out,
                    const ShapeDumpSink& dump, Progress& progress);

// Differences between an index and its main file, one line each (at most a
// few); empty when they agree.
std::vector<std::string> CompareShapeIndex(const std::vector<unsigned char>& shp,
                                           const std::vector<unsigned char>& shx);

}  // namespace zemba
