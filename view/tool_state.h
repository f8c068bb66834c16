// The pointer-tool flags: which tool is active, what is armed and what is
// selected. One set lives for the whole run; the tool controller changes it.
#pragma once

#include <cstdint>

namespace zemba {

// PointerTool values.
enum PointerToolCode : int {
    kToolNone = 0,
    kToolObjectInfo = 1,
    kToolDbInfo = 2,
    kToolSoilsInfo = 3,
    kToolEditShape = 4,
    kToolEditPoint = 5,
};

// Operation codes of the editing workers.
enum EditCode : int {
    kMoveShape = 1,
    kDeleteShape = 2,
    kCopyMoveShape = 3,
    kMoveVertex = 4,
    kDeleteVertex = 5,
    kDuplicateVertex = 6,
    kMakePoint = 101,
    kMakeTextPoint = 102,
    kMakeLine = 103,
    kMakePolygon = 105,
};

struct ToolFlags {
    int PointerTool = kToolNone;
    bool ZoomAreaMode = false;
    bool PanMode = false;
    int BitmapClipMode = 0;  // 3: the next drag copies a rectangle
    bool MoveMode = false;
    bool CopyMoveMode = false;
    bool DeleteMode = false;
    bool CreatingPoint = false;
    bool CreatingLine = false;
    bool CreatingPolygon = false;
    bool CreatingLabel = false;
    bool ShapeSelected = false;
    bool VertexGrabbed = false;
    bool VertexMarked = false;
    bool EditsMade = false;
    // Entry of HitList that the last hit test selected (1-based, 0 none):
    // the first candidate that really lies under the click.
    std::int32_t HitPick = 0;

    // Enabled states the editing commands decide.
    bool EditPointEnabled = false;
    bool EditOpsEnabled = false;  // Move, Delete, Copy+Move
};

}  // namespace zemba
