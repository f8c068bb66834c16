// The pointer tools of the map view: what a press, a move and a release do
// under the active tool flags, the tool and edit commands, undo and redo, the
// bitmap clip and the pop-up menu's enabling. Plain code over the store, the
// view state and (when given) the renderer; the window forwards its mouse
// events and menu commands here and supplies what only it can do through
// ToolHooks. Tests drive it with synthetic presses.
#pragma once

#include <QImage>
#include <QUndoStack>
#include <cstdint>
#include <functional>
#include <string>

#include "core/layer_store.h"
#include "core/ui.h"
#include "view/tool_state.h"
#include "view/viewport.h"

namespace zemba {

class MapRenderer;

// Buttons and keys held with a pointer event (a TShiftState).
enum ShiftBits : unsigned {
    kShiftKey = 1,
    kAltKey = 2,
    kCtrlKey = 4,
    kLeftButton = 8,
    kRightButton = 16,
    kMiddleButton = 32,
    kDoubleClick = 64,
};

// What only the window can do. Any hook may be left empty.
struct ToolHooks {
    // DVDORedraw. Empty: the renderer redraws (when there is one).
    std::function<void()> Redraw;
    // Something was drawn straight onto the bitmap; show it.
    std::function<void()> ImageChanged;
    // The status line (HintPanel) and the coordinate panel (XYPanel).
    std::function<void(const std::string&)> Hint;
    std::function<void(const std::string&)> XYText;
    // The identify window: IDInit lists HitList 1..HitCount with entry
    // `pick` selected (already made current); IdentifyShow shows the window.
    std::function<void(std::int32_t pick)> IdentifyInit;
    std::function<void()> IdentifyShow;
    // The database window: InitDBForm(layer, 2, shape) and show it (Db Info).
    std::function<void(std::int32_t layer, std::int32_t shape)> DatabaseShow;
    // The database window in new-record mode (InitDBForm(layer, 1, shape))
    // after feature `shape` was made in a layer that has fields.
    std::function<void(std::int32_t layer, std::int32_t shape)> NewRecord;
    // Soils Info: whether the soil database is active, and the hand-over of
    // a clicked map unit's "MUIDS" value to the soil window.
    std::function<bool()> SoilDbActive;
    std::function<void(const std::string& muid)> SoilLookup;
    // The tool flags or enabled states changed; the window shows them.
    std::function<void()> Changed;
    // True while a long loop runs: pointer input is refused.
    std::function<bool()> IsBusy;
    // The clipboard. Empty: the application's clipboard.
    std::function<void(const QImage&)> SetClipboardImage;
    std::function<QImage()> ClipboardImage;
};

// Enabled items of the view's pop-up menu when it opens.
struct PopupEnables {
    bool Refresh = true;
    bool CreatePlat = false;
    bool InfoObject = false;
    bool EditObject = false;
    bool CreatePoint = false, CreateLine = false, CreatePolygon = false, CreateLabel = false;
    bool PointLayer = false, LineLayer = false, PolygonLayer = false, TextLayer = false;
};

// Corners ordered and cut to a w x h bitmap; empty (width or height 0) when
// nothing of it lies on the bitmap.
PixelRect CropRect(PixelPoint a, PixelPoint b, int w, int h);

class ToolController {
public:
    // `renderer` may be null (nothing is drawn then). All references must
    // outlive the controller.
    ToolController(LayerStore& store, ViewState& view, MapRenderer* renderer, Prompter& prompter,
                   ToolHooks hooks = {});
    // The history goes without a word: whoever listens to the stack may be
    // gone already.
    ~ToolController();

    ToolFlags& Flags() { return flags_; }
    const ToolFlags& Flags() const { return flags_; }
    ToolHooks& Hooks() { return hooks_; }
    QUndoStack& UndoStack() { return undo_; }

    // Half-width in pixels of every hit box (the SelectionRadius option).
    int SelectionRadius = 2;
    // The window runs Zoom Area, Pan, the click zooms and the moving and
    // ending of rubber figures itself; the controller leaves them alone.
    bool ViewToolsExternal = false;

    // Pointer events in bitmap pixels (y downward); `shift` holds ShiftBits.
    void MouseDown(int x, int y, unsigned shift);
    void MouseMove(int x, int y, unsigned shift);
    void MouseUp(int x, int y, unsigned shift);

    // "Object Info", "Db Info", "Soils Info" (tool 1, 2, 3).
    void InfoToolClick(int tool);
    void EditShpClick();
    void EditPtClick();
    void MoveitClick();
    void DeleteitClick();
    void NewitClick();
    void TurnEmOff();
    // Level 0 leaves editing: tools, selection and the undo stack go (the
    // layer table or the current layer changed).
    void DisableEditing(int level);
    // Undo and Redo: one step of the stack, then the Edit Shape tool and a
    // redraw. False when there was nothing to step over.
    bool UndoEditClick();
    bool RedoEditClick();

    // Feature commands: arm the next release (code 101, 102, 103, 105).
    void SetCreateOff();
    void ArmCreate(int code);
    // The layer commands (type 1, 2, 3, 5) with the name entered in the
    // dialog; returns the new layer or 0.
    std::int32_t CreateLayer(std::int32_t type, const std::string& name, const std::string& shapeDir,
                             FontRef labelFont);

    // "Cut bmp" arms the clip drag; "Copy bmp" and "Paste bmp" act at once.
    void CutBmpClick();
    bool CopyBmp();
    bool PasteBmp();

    // The selected shape's vertices in EditingColor (Edit Point).
    void EditShapeDraw();
    // Marks one vertex and makes it current.
    void DisplayEditPoint(std::int32_t layer, std::int32_t shape, std::int32_t point, std::int32_t part);

    // What a press of an info or edit tool does to find a shape: the hit
    // test, the pick, the selection and IDInit. True when something was hit.
    bool SelectAt(int x, int y);
    // An edit of codes 1..6 on the selection by the drag a -> b, recorded
    // for undo. False when nothing changed.
    bool RunEdit(int code, PixelPoint a, PixelPoint b);
    // The same by a world vector (dx, dy).
    bool RunEditBy(int code, double dx, double dy);
    // Feature creation (codes 101..105) from pixel a to b, recorded for undo;
    // returns the new shape's layer (the shape is its last) or 0.
    std::int32_t RunCreate(int code, PixelPoint a, PixelPoint b);
    // The same from world (Xs, Ys) to (Xe, Ye); `text` is a text point's
    // text (its label and label-field value).
    std::int32_t RunCreateAt(int code, double Xs, double Ys, double Xe, double Ye,
                             const std::string* text = nullptr);

    PopupEnables Popup() const;

private:
    enum class Gesture { None, Rubber, Selected, Grabbed };
    bool Busy() const { return hooks_.IsBusy && hooks_.IsBusy(); }
    void Changed() {
        if (hooks_.Changed) hooks_.Changed();
    }
    void Redraw();
    void ImageChanged() {
        if (hooks_.ImageChanged) hooks_.ImageChanged();
    }
    void Hint(const std::string& t) {
        if (hooks_.Hint) hooks_.Hint(t);
    }
    void StartRubber(int figure, int x, int y);
    void EndRubber(bool erase);
    void Select(std::int32_t layer, std::int32_t shape);
    void SoilsInfo();
    void LeaveEditing(bool endHistory);
    void AfterUndoStep();
    void EditCropper(PixelPoint a, PixelPoint b);

    LayerStore& store_;
    ViewState& view_;
    MapRenderer* renderer_;
    Prompter& prompter_;
    ToolHooks hooks_;
    ToolFlags flags_;
    QUndoStack undo_;
    Gesture gesture_ = Gesture::None;
};

}  // namespace zemba
