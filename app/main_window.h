// The main window TZeEditForm: the map view in its scroll box, the status
// panel, the eight toolbars with the main menu on the Menu toolbar, and the
// wiring of every command to its logic (app/file_commands.h, view/).
#pragma once

#include <QMainWindow>
#include <QPointer>
#include <QString>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/file_commands.h"
#include "app/options.h"
#include "app/qt_progress.h"
#include "core/layer_store.h"
#include "core/ui.h"
#include "view/renderer.h"
#include "view/viewport.h"

class QAction;
class QActionGroup;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QProgressBar;
class QScrollArea;
class QToolBar;
class QToolButton;
class QImage;
class QPrinter;

namespace zemba {

class MapView;
class MapRenderer;
class MappingWindows;
class AttributeWindows;

// Screen depths the program runs on (true colour).
inline bool DepthSupported(int depth) { return depth == 24 || depth == 32; }
// The view uses its 32-bit pixel format (4 bytes a pixel) on a 32-bit
// screen; that is when pasted 32-bit images are cut to 24-bit colour.
inline bool ViewUses32BitFormat(int depth) { return depth == 32; }

// What the program hands the main window; all of it outlives the window.
struct MainWindowSetup {
    LayerStore* store = nullptr;
    Options* options = nullptr;
    Prompter* prompter = nullptr;
    QtProgress* progress = nullptr;
    std::string programDir;    // with trailing '/'
    std::string optionsPath;   // where zemba.pof is read and written
    bool showSplash = false;
    // Read (or create) the options file at creation; tests that set the
    // options themselves turn this off.
    bool readOptions = true;
    bool soundFacilityFound = true;
    int screenDepth = 24;
};

class TZeEditForm : public QMainWindow {
    Q_OBJECT

public:
    explicit TZeEditForm(const MainWindowSetup& setup, QWidget* parent = nullptr);
    ~TZeEditForm() override;

    // Set when the screen's colour depth is not usable: the program ends
    // after creation.
    bool TerminateRequested() const { return terminate_; }

    FileCommands& Commands() { return *commands_; }
    MainState& State() { return state_; }
    ViewState& View() { return view_; }
    const QImage& ViewImage() const;

    // Actions by object name ("OpenMI", "OpenTB", ...), for tests and for
    // the windows that call into the main window.
    QAction* Action(const QString& name) const;
    // Toolbars by ToolbarIndex.
    QToolBar* Toolbar(int index) const { return toolbars_[index]; }
    QComboBox* LayerCombo() const { return layerCombo_; }
    QComboBox* FieldCombo() const { return fieldCombo_; }
    QLineEdit* ShapeTypeBox() const { return shapeTypeBox_; }
    QFrame* HintPanel() const { return hintPanel_; }
    QLabel* XYPanel() const { return xyPanel_; }
    QProgressBar* ProgressBar() const { return progressBar_; }
    QToolButton* MenuButton(int k) const { return menuButtons_[k]; }
    QMenu* ReopenMenu() const { return reopenMenu_; }

    // Opens files named on the command line, as the Open command does.
    void OpenStartFiles(const std::vector<std::string>& paths);

    // DVDORedraw into the view image, with the store guarded meanwhile.
    // Skipped while another long loop runs (the loop's end redraws).
    void Redraw();

    // Prints the view on `printer` (after its dialog); false on failure.
    bool PrintTo(QPrinter& printer);
    static constexpr int kPrintDpi = 300;

    // The about window, created after the main window.
    void SetAboutWindow(QWidget* about);
    MapRenderer& Renderer() { return *renderer_; }
    MapView* MapViewWidget() const { return mapView_; }
    // The identify and database windows (ShowIdentify, ShowDatabase(mode)).
    AttributeWindows& Attributes() { return *attributes_; }

    // Applies the tool status level to the tagged controls and the menu
    // items that follow it.
    void ApplyToolStatus();
    // Shows MainState in the caption, boxes and menus.
    void SyncFromState();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool event(QEvent* e) override;
    QMenu* createPopupMenu() override { return nullptr; }

private:
    // Window creation steps.
    void BuildActions();
    void BuildMenus();
    void BuildToolbars();
    void BuildCentre();
    void WireAttributeWindows();
    void PlaceIdentifyBesideMap();
    void RestoreToolbars();
    void MakeFirstBitmap();
    void WireMapping();

    // Commands.
    bool Refused() const;
    void ToggleToolbar(int index, bool checked);
    void SetStatusAtTop(bool top);
    void FitToWindowFresh();
    void AllOff();
    // `on`: the clicked control's check after the click (it was off before).
    void ZoomAreaClick(bool on);
    void PanClick(bool on);
    void ZoomInClick();
    void ZoomOutClick();
    void RefreshClick();
    void ResetFresh();
    void ReExtentFresh();
    void ResizeBitmap(int w, int h);
    void CreateSizeClick();
    void CheckSizeItem();
    void PrintClick();
    void SetupPrinterClick();
    void HelpClick();
    void AboutClick();
    void UpdatePasteEnabled();
    void ResetViewAfterClearAll();
    Result SaveViewBitmap(const std::string& path);
    Result LoadBackground(const std::string& path);
    void WorkBegins(bool begin);
    void DoRedraw();
    // Drops down menu k (0..4) from the keyboard, under its button or, with
    // the Menu toolbar hidden, at the top-left of the view.
    void PopupMenu(int k);
    // "Resize Window": the bitmap follows the view's size.
    void FollowWindowSize(bool on);
    void FitBitmapToWindow();

    // An action with a hint ("short|long" or one text for both); `tag` is
    // its tool status tag (kNoTag when none), `available` false for items
    // whose feature is not in this program yet.
    static constexpr int kNoTag = 1000;
    QAction* MakeAction(const QString& name, const QString& text, const QString& hint,
                        int tag = kNoTag, bool available = true);

    LayerStore& store_;
    Options& options_;
    Prompter& prompter_;
    QtProgress& progress_;
    std::string programDir_;
    MainState state_;
    ViewState view_;
    std::unique_ptr<FileCommands> commands_;
    std::unique_ptr<AttributeWindows> attributes_;
    bool terminate_ = false;
    bool firstShowPending_ = true;
    bool closing_ = false;
    bool closePending_ = false;
    bool identifyPlaced_ = false;
    int screenDepth_ = 24;

    std::map<QString, QAction*> actions_;
    std::vector<QAction*> levelMenuItems_;  // enabled when the level is above 0
    QToolBar* toolbars_[TbCount] = {};
    QAction* toolbarToggles_[TbCount] = {};
    QToolButton* menuButtons_[5] = {};
    QMenu* menus_[5] = {};
    // Alt+letter for the menus while the Menu toolbar (whose buttons carry
    // the same mnemonics) is hidden.
    std::vector<QAction*> menuKeys_;
    QTimer* windowSizeTimer_ = nullptr;
    QMenu* reopenMenu_ = nullptr;
    QAction* reopenItems_[5] = {};
    QComboBox* layerCombo_ = nullptr;
    QComboBox* fieldCombo_ = nullptr;
    QLineEdit* shapeTypeBox_ = nullptr;
    QAction* shapeTypeAction_ = nullptr;
    QAction* layerComboAction_ = nullptr;
    QAction* fieldComboAction_ = nullptr;
    QFrame* hintPanel_ = nullptr;
    QLabel* hintLabel_ = nullptr;
    QLabel* xyPanel_ = nullptr;
    QProgressBar* progressBar_ = nullptr;
    MapView* mapView_ = nullptr;
    std::unique_ptr<MapRenderer> renderer_;
    QPointer<QWidget> aboutBox_;
    QWidget* centre_ = nullptr;
    bool statusAtTop_ = false;
    int syncing_ = 0;
    std::vector<std::unique_ptr<QtProgress::BusyGuard>> work_;
    QPointer<QWidget> splash_;
    std::unique_ptr<MappingWindows> mapping_;  // map projects and their windows
};

}  // namespace zemba
