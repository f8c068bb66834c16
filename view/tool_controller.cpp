#include "view/tool_controller.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPainter>
#include <algorithm>

#include "view/editing.h"
#include "view/hit_test.h"
#include "view/renderer.h"
#include "view/undo.h"

namespace zemba {

PixelRect CropRect(PixelPoint a, PixelPoint b, int w, int h) {
    int x0 = std::max(0, std::min(a.x, b.x)), x1 = std::min(w, std::max(a.x, b.x));
    int y0 = std::max(0, std::min(a.y, b.y)), y1 = std::min(h, std::max(a.y, b.y));
    if (x1 <= x0 || y1 <= y0) return {x0, y0, 0, 0};
    return {x0, y0, x1 - x0, y1 - y0};
}

ToolController::ToolController(LayerStore& store, ViewState& view, MapRenderer* renderer, Prompter& prompter,
                               ToolHooks hooks)
    : store_(store), view_(view), renderer_(renderer), prompter_(prompter), hooks_(std::move(hooks)) {}

ToolController::~ToolController() { undo_.blockSignals(true); }

void ToolController::Redraw() {
    if (hooks_.Redraw) {
        hooks_.Redraw();
    } else if (renderer_) {
        NullProgress none;
        renderer_->DVDORedraw(none);
    }
    flags_.VertexMarked = false;
}

void ToolController::StartRubber(int figure, int x, int y) {
    if (renderer_) {
        renderer_->StartRubberBand(figure, QPoint(x, y));
    } else {
        view_.DrawFigure = figure;
        view_.RubberBandActive = true;
        view_.RubberStart = view_.RubberEnd = {x, y};
    }
    Hint(OriginText(XtoWorld(store_, view_, x), YtoWorld(store_, view_, view_.BitmapHeight - y)));
    ImageChanged();
}

void ToolController::EndRubber(bool erase) {
    if (!view_.RubberBandActive) return;
    if (renderer_) {
        renderer_->EndRubberBand(erase);
    } else {
        view_.RubberBandActive = false;
        view_.DrawFigure = kFigureRubberLine;
    }
    ImageChanged();
}

void ToolController::Select(std::int32_t layer, std::int32_t shape) {
    if (renderer_) {
        renderer_->DisplayGraphicShape(layer, shape, 0, flags_.ShapeSelected);
        ImageChanged();
        return;
    }
    // Without a picture: the same current shape and working copy.
    store_.CurrentLayer = layer;
    store_.CurrentShape = shape;
    ShpLayer& L = store_.ShapeLayers[layer];
    ShpObj copy = L.Shapes[shape];
    copy.Values.clear();
    copy.ShapeType = L.ShapeType;
    copy.RecNum = shape;
    L.Shapes[0] = std::move(copy);
}

bool ToolController::SelectAt(int x, int y) {
    if (store_.LayerCount < 1) return false;
    const double X = XtoWorld(store_, view_, x), Y = YtoWorld(store_, view_, view_.BitmapHeight - y);
    flags_.VertexMarked = false;
    if (!ShapeSearcher(store_, view_, x, y, X, Y, SelectionRadius)) return false;
    const std::int32_t pick = PickCandidate(store_, view_, X, Y, SelectionRadius);
    flags_.HitPick = pick;
    const HitEntry h = store_.HitList[pick];
    Select(h.Layer, h.Shape);
    flags_.ShapeSelected = true;
    flags_.EditPointEnabled = true;
    if (hooks_.IdentifyInit) hooks_.IdentifyInit(pick);
    Changed();
    return true;
}

void ToolController::SoilsInfo() {
    if (!hooks_.SoilDbActive || !hooks_.SoilDbActive() || !hooks_.SoilLookup) return;
    const std::int32_t Li = store_.CurrentLayer, s = store_.CurrentShape;
    if (Li < 1 || Li > store_.LayerCount) return;
    const ShpLayer& L = store_.ShapeLayers[Li];
    if (s < 1 || static_cast<std::size_t>(s) >= L.Shapes.size()) return;
    for (std::size_t f = 0; f < L.Fields.size(); ++f)
        if (L.Fields[f].Name == "MUIDS") {
            // A shape past the table's last record has no values.
            const auto& v = L.Shapes[s].Values;
            hooks_.SoilLookup(f < v.size() ? v[f] : std::string());
        }
}

void ToolController::MouseDown(int x, int y, unsigned shift) {
    if (Busy() || !(shift & kLeftButton)) return;
    gesture_ = Gesture::None;
    ToolFlags& f = flags_;
    if (f.BitmapClipMode >= 1) {
        StartRubber(kFigureRubberRect, x, y);
        gesture_ = Gesture::Rubber;
        return;
    }
    if (f.ZoomAreaMode) {
        if (!ViewToolsExternal) StartRubber(kFigureRubberRect, x, y);
        return;
    }
    if (f.PanMode) {
        if (!ViewToolsExternal) StartRubber(kFigureRubberLine, x, y);
        return;
    }
    if (f.CreatingLine || f.CreatingPolygon) {
        StartRubber(kFigureRubberLine, x, y);
        gesture_ = Gesture::Rubber;
        return;
    }
    if (f.ShapeSelected && f.PointerTool == kToolEditPoint && !f.VertexGrabbed) {
        if (PointSearcher(store_, view_, x, y, SelectionRadius)) {
            f.VertexGrabbed = true;
            gesture_ = Gesture::Grabbed;
            DisplayEditPoint(store_.CurrentLayer, store_.CurrentShape, store_.CurrentPoint, store_.CurrentPart);
            if (f.CopyMoveMode || f.MoveMode) StartRubber(kFigureRubberLine, x, y);
        }
        return;
    }
    if (f.PointerTool >= kToolObjectInfo && f.PointerTool <= kToolEditShape) {
        if (!SelectAt(x, y)) return;
        gesture_ = Gesture::Selected;
        switch (f.PointerTool) {
            case kToolObjectInfo:
                if (hooks_.IdentifyShow) hooks_.IdentifyShow();
                break;
            case kToolDbInfo:
                if (hooks_.IdentifyShow) hooks_.IdentifyShow();
                if (hooks_.DatabaseShow) hooks_.DatabaseShow(store_.CurrentLayer, store_.CurrentShape);
                break;
            case kToolSoilsInfo:
                if (hooks_.IdentifyShow) hooks_.IdentifyShow();
                SoilsInfo();
                break;
            default:
                if (f.CopyMoveMode || f.MoveMode)
                    StartRubber(kFigureRubberLine, x, y);
                else if (hooks_.IdentifyShow)
                    hooks_.IdentifyShow();
        }
    }
}

void ToolController::MouseMove(int x, int y, unsigned shift) {
    if (Busy()) return;
    const double X = XtoWorld(store_, view_, x), Y = YtoWorld(store_, view_, view_.BitmapHeight - y);
    if (view_.RubberBandActive) {
        if (!ViewToolsExternal) {
            if (renderer_)
                renderer_->MoveRubberBand(QPoint(x, y));
            else
                view_.RubberEnd = {x, y};
            ImageChanged();
        }
        if (hooks_.XYText) hooks_.XYText(PixelXYText(view_, x, y));
        return;
    }
    const unsigned keys = shift & (kShiftKey | kCtrlKey | kAltKey);
    if (flags_.ShapeSelected && flags_.PointerTool == kToolEditPoint && keys == kShiftKey) {
        if (PointSearcher(store_, view_, x, y, SelectionRadius))
            Hint("Part: " + std::to_string(store_.CurrentPart) + " Point: " + std::to_string(store_.CurrentPoint));
        if (hooks_.XYText) hooks_.XYText(WorldXYText(X, Y));
        return;
    }
    Hint(WorldXYText(X, Y));
    if (hooks_.XYText) hooks_.XYText(PixelXYText(view_, x, y));
}

void ToolController::MouseUp(int x, int y, unsigned shift) {
    const Gesture g = gesture_;
    gesture_ = Gesture::None;
    const bool grabbed = flags_.VertexGrabbed && g == Gesture::Grabbed;
    ToolFlags& f = flags_;
    if (Busy() || !(shift & kLeftButton)) {
        // Whatever the button, a release ends a rubber figure; the armed
        // operation waits for a left-button gesture.
        EndRubber(true);
        return;
    }
    f.VertexGrabbed = false;
    const PixelPoint end{x, y};
    const PixelPoint start = view_.RubberStart;

    if (f.BitmapClipMode > 0) {
        EndRubber(true);  // the clip copies the map, not the rubber figure
        view_.RubberEnd = end;
        if (g == Gesture::Rubber) EditCropper(start, end);
        f.BitmapClipMode = 0;
        Changed();
        return;
    }
    if (f.ZoomAreaMode) {
        if (ViewToolsExternal) return;
        EndRubber(true);
        view_.RubberEnd = end;
        if (ZoomArea(store_, view_, start.x, start.y, x, y)) {
            f.ZoomAreaMode = false;
            Changed();
            Redraw();
        }
        return;
    }
    if (f.PanMode) {
        if (ViewToolsExternal) return;
        EndRubber(true);
        Pan(store_, view_, start.x, start.y, x, y);
        Redraw();
        return;
    }
    if (g == Gesture::Selected && f.ShapeSelected && f.PointerTool < kToolEditPoint &&
        (f.CopyMoveMode || f.DeleteMode || f.MoveMode)) {
        const int code = f.CopyMoveMode ? kCopyMoveShape : f.DeleteMode ? kDeleteShape : kMoveShape;
        if (code != kDeleteShape) EndRubber(true);
        view_.RubberEnd = end;
        RunEdit(code, start, end);
        f.ShapeSelected = false;
        Changed();
        Redraw();
        return;
    }
    if (grabbed && f.PointerTool == kToolEditPoint && (f.CopyMoveMode || f.MoveMode || f.DeleteMode)) {
        const int code = f.CopyMoveMode ? kDuplicateVertex : f.MoveMode ? kMoveVertex : kDeleteVertex;
        if (code != kDeleteVertex) {
            EndRubber(true);
            view_.RubberEnd = end;
        }
        if (RunEdit(code, start, end)) Redraw();
        EditShapeDraw();
        return;
    }
    if (f.CreatingPoint || f.CreatingLabel) {
        view_.RubberStart = view_.RubberEnd = end;
        const int code = f.CreatingPoint ? kMakePoint : kMakeTextPoint;
        f.CreatingPoint = f.CreatingLabel = false;
        RunCreate(code, end, end);
        Changed();
        Redraw();
        return;
    }
    if (f.CreatingLine || f.CreatingPolygon) {
        // Only the drag this press began makes the feature.
        if (g != Gesture::Rubber) return;
        EndRubber(true);
        view_.RubberEnd = end;
        const int code = f.CreatingLine ? kMakeLine : kMakePolygon;
        f.CreatingLine = f.CreatingPolygon = false;
        // A refused drag (no length, no area) leaves the command armed.
        if (RunCreate(code, start, end) == 0) ArmCreate(code);
        Changed();
        Redraw();
        return;
    }
    const unsigned keys = shift & (kShiftKey | kCtrlKey | kAltKey);
    if ((shift & kDoubleClick) && keys == 0 && store_.LayerCount > 0) {
        if (SelectAt(x, y)) {
            EditPtClick();
            if (hooks_.IdentifyShow) hooks_.IdentifyShow();
        }
        return;
    }
    if (ViewToolsExternal || store_.LayerCount < 1) return;
    if (keys == kCtrlKey) {
        ClickZoomIn(store_, view_, x, y);
        Redraw();
    } else if (keys == kShiftKey) {
        ClickZoomOut(store_, view_, x, y);
        Redraw();
    }
}

bool ToolController::RunEdit(int code, PixelPoint a, PixelPoint b) {
    double dx = 0, dy = 0;
    DragVector(store_, view_, a, b, dx, dy);
    return RunEditBy(code, dx, dy);
}

bool ToolController::RunEditBy(int code, double dx, double dy) {
    const std::int32_t L = store_.CurrentLayer, s = store_.CurrentShape;
    if (L < 1 || L > store_.LayerCount || code < kMoveShape || code > kDuplicateVertex) return false;
    LayerGeometry before = TakeGeometry(store_, L, {s});
    const std::int32_t t = store_.ShapeLayers[L].NumRecords + 1;
    if (!EditSelected(store_, code, dx, dy, &prompter_)) return false;
    std::vector<std::int32_t> touched{s};
    if (code == kCopyMoveShape) touched.push_back(t);
    static const char* const kNames[] = {"", "Move", "Delete", "Copy+Move", "Move Point", "Delete Point",
                                         "Copy+Move Point"};
    undo_.push(new ShapeEditCommand(store_, L, std::move(before), TakeGeometry(store_, L, touched),
                                    QString::fromLatin1(kNames[code])));
    flags_.EditsMade = true;
    Changed();
    return true;
}

std::int32_t ToolController::RunCreate(int code, PixelPoint a, PixelPoint b) {
    const int h = view_.BitmapHeight;
    return RunCreateAt(code, XtoWorld(store_, view_, a.x), YtoWorld(store_, view_, h - a.y),
                       XtoWorld(store_, view_, b.x), YtoWorld(store_, view_, h - b.y));
}

std::int32_t ToolController::RunCreateAt(int code, double Xs, double Ys, double Xe, double Ye,
                                         const std::string* text) {
    const std::int32_t T = FeatureTarget(store_, code);
    if (T == 0) return 0;
    LayerGeometry before = TakeGeometry(store_, T, {});
    const std::int32_t made = MakeFeature(store_, code, Xs, Ys, Xe, Ye, &prompter_, text);
    if (made == 0) return 0;
    const std::int32_t k = store_.ShapeLayers[T].NumRecords;
    static const char* const kMade[] = {"Create Point", "Create Text", "Create Line", "", "Create Area"};
    undo_.push(new ShapeEditCommand(store_, T, std::move(before), TakeGeometry(store_, T, {k}),
                                    QString::fromLatin1(kMade[code - kMakePoint])));
    Changed();
    if (store_.ShapeLayers[T].NumFields > 0 && hooks_.NewRecord) hooks_.NewRecord(T, k);
    return T;
}

void ToolController::InfoToolClick(int tool) {
    // The history stays: attribute edits made with an info tool go on the
    // same stack, and undo steps back past them to the shape edits.
    LeaveEditing(false);
    flags_.PointerTool = std::clamp(tool, static_cast<int>(kToolObjectInfo), static_cast<int>(kToolSoilsInfo));
    Changed();
}

void ToolController::EditShpClick() {
    DisableEditing(1);
    flags_.PointerTool = kToolEditShape;
    flags_.EditPointEnabled = false;
    Changed();
}

void ToolController::EditPtClick() {
    flags_.PointerTool = kToolEditPoint;
    DisableEditing(1);
    EditShapeDraw();
    Changed();
}

void ToolController::TurnEmOff() {
    flags_.MoveMode = flags_.DeleteMode = flags_.CopyMoveMode = false;
    Changed();
}

void ToolController::MoveitClick() {
    const bool was = flags_.MoveMode;
    TurnEmOff();
    flags_.MoveMode = !was;
    Changed();
}

void ToolController::DeleteitClick() {
    const bool was = flags_.DeleteMode;
    TurnEmOff();
    flags_.DeleteMode = !was;
    Changed();
}

void ToolController::NewitClick() {
    const bool was = flags_.CopyMoveMode;
    TurnEmOff();
    flags_.CopyMoveMode = !was;
    Changed();
}

void ToolController::DisableEditing(int level) {
    if (level == 0) {
        LeaveEditing(true);
        return;
    }
    flags_.MoveMode = flags_.DeleteMode = flags_.CopyMoveMode = false;
    flags_.EditOpsEnabled = true;
    Changed();
}

void ToolController::LeaveEditing(bool endHistory) {
    flags_.MoveMode = flags_.DeleteMode = flags_.CopyMoveMode = false;
    flags_.EditOpsEnabled = false;
    flags_.EditPointEnabled = false;
    flags_.PointerTool = kToolNone;
    flags_.ShapeSelected = false;
    flags_.VertexGrabbed = false;
    if (!ViewToolsExternal) EndRubber(false);
    gesture_ = Gesture::None;
    // A changed layer table ends the history: its steps name layers by
    // number.
    if (endHistory) undo_.clear();
    Changed();
}

void ToolController::AfterUndoStep() {
    flags_.EditsMade = undo_.canUndo();
    // The selection may name a shape the step took away.
    const std::int32_t L = store_.CurrentLayer;
    if (L < 1 || L > store_.LayerCount || store_.CurrentShape > store_.ShapeLayers[L].NumRecords ||
        store_.ShapeLayers[L].IsNullShape(store_.CurrentShape))
        flags_.ShapeSelected = false;
    EditShpClick();
    Redraw();
}

bool ToolController::UndoEditClick() {
    if (!undo_.canUndo()) return false;
    undo_.undo();
    AfterUndoStep();
    return true;
}

bool ToolController::RedoEditClick() {
    if (!undo_.canRedo()) return false;
    undo_.redo();
    AfterUndoStep();
    return true;
}

void ToolController::SetCreateOff() {
    flags_.CreatingPoint = flags_.CreatingLine = flags_.CreatingPolygon = flags_.CreatingLabel = false;
}

void ToolController::ArmCreate(int code) {
    SetCreateOff();
    switch (code) {
        case kMakePoint: flags_.CreatingPoint = true; break;
        case kMakeTextPoint: flags_.CreatingLabel = true; break;
        case kMakeLine: flags_.CreatingLine = true; break;
        case kMakePolygon: flags_.CreatingPolygon = true; break;
    }
    Changed();
}

std::int32_t ToolController::CreateLayer(std::int32_t type, const std::string& name, const std::string& shapeDir,
                                         FontRef labelFont) {
    const std::int32_t n = LayerCommand(store_, type, name, shapeDir, prompter_, std::move(labelFont));
    Changed();
    return n;
}

void ToolController::CutBmpClick() {
    flags_.BitmapClipMode = 3;
    Changed();
}

void ToolController::EditCropper(PixelPoint a, PixelPoint b) {
    if (!renderer_) return;
    const QImage& img = renderer_->Image();
    const PixelRect r = CropRect(a, b, img.width(), img.height());
    if (r.width <= 0 || r.height <= 0) return;
    const QImage part = img.copy(r.x, r.y, r.width, r.height);
    if (hooks_.SetClipboardImage)
        hooks_.SetClipboardImage(part);
    else if (QGuiApplication::clipboard())
        QGuiApplication::clipboard()->setImage(part);
}

bool ToolController::CopyBmp() {
    if (!renderer_ || renderer_->Image().isNull()) return false;
    if (hooks_.SetClipboardImage)
        hooks_.SetClipboardImage(renderer_->Image());
    else if (QGuiApplication::clipboard())
        QGuiApplication::clipboard()->setImage(renderer_->Image());
    return true;
}

bool ToolController::PasteBmp() {
    if (!renderer_) return false;
    QImage img;
    if (hooks_.ClipboardImage)
        img = hooks_.ClipboardImage();
    else if (QGuiApplication::clipboard())
        img = QGuiApplication::clipboard()->image();
    if (img.isNull()) return false;
    renderer_->SetBaseImage(img);
    store_.BaseImageLoaded = true;
    Redraw();
    return true;
}

void ToolController::EditShapeDraw() {
    flags_.VertexMarked = false;
    const std::int32_t Li = store_.CurrentLayer, si = store_.CurrentShape;
    if (!renderer_ || !flags_.ShapeSelected || flags_.PointerTool != kToolEditPoint) return;
    if (Li < 1 || Li > store_.LayerCount) return;
    const ShpLayer& L = store_.ShapeLayers[Li];
    if (!IsMultiPartType(L.ShapeType) && !IsMultiPointType(L.ShapeType)) return;
    if (si < 1 || si > L.NumRecords || static_cast<std::size_t>(si) >= L.Shapes.size() || L.IsNullShape(si)) return;
    const ShpObj& s = L.Shapes[si];
    QImage& img = renderer_->Image();
    if (img.isNull()) return;
    QPainter p(&img);
    renderer_->SetEditCanvas(-1);
    p.setPen(renderer_->Pen());
    p.setBrush(renderer_->Brush());
    const bool multi = IsMultiPointType(L.ShapeType);
    const std::int32_t parts = multi ? (s.Parts.size() >= 2 ? 1 : 0)
                                     : std::min<std::int32_t>(s.NumParts, static_cast<std::int32_t>(s.Parts.size()) - 1);
    std::vector<QPoint> last;
    for (std::int32_t k = 1; k <= parts; ++k) {
        const PointArray& pts = s.Parts[k].Pts;
        std::int32_t n = multi ? s.NumPoints : (static_cast<std::size_t>(k) < s.PartSizes.size() ? s.PartSizes[k] : 0);
        n = std::min<std::int32_t>(n, static_cast<std::int32_t>(pts.size()) - 1);
        last.clear();
        for (std::int32_t j = 1; j <= n; ++j) {
            const PixelPoint q = WorldToPixel(store_, view_, pts[j].X, pts[j].Y);
            p.drawRect(QRect(QPoint(q.x - 2, q.y - 2), QPoint(q.x + 2, q.y + 2)));
            last.emplace_back(q.x, q.y);
        }
    }
    if (!multi) store_.CurrentPart = parts;
    renderer_->SetEditCanvas(1);
    p.setPen(renderer_->Pen());
    if (!multi && last.size() >= 2) p.drawPolyline(last.data(), static_cast<int>(last.size()));
    p.end();
    ImageChanged();
}

void ToolController::DisplayEditPoint(std::int32_t layer, std::int32_t shape, std::int32_t point, std::int32_t part) {
    store_.CurrentLayer = layer;
    store_.CurrentShape = shape;
    store_.CurrentPart = part;
    store_.CurrentPoint = point;
    flags_.VertexMarked = true;
    if (!renderer_ || layer < 1 || layer > store_.LayerCount) return;
    const ShpLayer& L = store_.ShapeLayers[layer];
    if (shape < 1 || static_cast<std::size_t>(shape) >= L.Shapes.size()) return;
    const ShpObj& s = L.Shapes[shape];
    if (part < 1 || static_cast<std::size_t>(part) >= s.Parts.size() || point < 1 ||
        static_cast<std::size_t>(point) >= s.Parts[part].Pts.size())
        return;
    const PointXY v = s.Parts[part].Pts[point];
    const PixelPoint q = WorldToPixel(store_, view_, v.X, v.Y);
    renderer_->SetEditCanvas(2);
    const int figure = view_.DrawFigure;
    view_.DrawFigure = kFigureMarkBox;
    renderer_->DrawShape(QPoint(q.x, q.y), QPoint(q.x, q.y), PenMode::Copy);
    view_.DrawFigure = figure;
    ImageChanged();
}

PopupEnables ToolController::Popup() const {
    PopupEnables e;
    const std::int32_t Li = store_.CurrentLayer;
    if (store_.LayerCount < 1 || Li < 1 || Li > store_.LayerCount) return e;
    const ShpLayer& L = store_.ShapeLayers[Li];
    const SymLayer& S = store_.SymLayers[Li];
    e.CreatePlat = e.InfoObject = true;
    e.EditObject = S.Editable != 0;
    e.CreatePoint = L.ShapeType == 1 || store_.PointLayerMade;
    e.CreateLine = L.ShapeType == 3 || store_.LineLayerMade;
    e.CreatePolygon = L.ShapeType == 5 || store_.PolygonLayerMade;
    e.CreateLabel = L.ShapeType == 2 || store_.AnnoLayerMade;
    e.PointLayer = LayerCommandOffered(store_, 1);
    e.LineLayer = LayerCommandOffered(store_, 3);
    e.PolygonLayer = LayerCommandOffered(store_, 5);
    e.TextLayer = LayerCommandOffered(store_, 2);
    return e;
}

}  // namespace zemba
