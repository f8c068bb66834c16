// The main window's map view: the centre widget with its mouse handling,
// the zoom and pan commands, the bitmap sizes and the status panel.
#include "app/main_window.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPainterPath>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QSplashScreen>
#include <QStatusTipEvent>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdlib>

#include "app/edit_actions.h"
#include "app/help.h"
#include "app/mapping_actions.h"
#include "app/messages.h"
#include "app/options_window.h"
#include "app/output_actions.h"
#include "app/program_info.h"
#include "app/qt_prompter.h"
#include "app/style_actions.h"
#include "app/window_place.h"
#include "attributes/attribute_windows.h"
#include "convert/transformer_window.h"
#include "mapping/mapping_windows.h"
#include "soils/soil_window.h"
#include "view/cbit_form.h"
#include "view/editing.h"
#include "view/map_view.h"
#include "view/print_view.h"
#include "view/renderer.h"

namespace zemba {

namespace {

QString L1(const std::string& s) { return QString::fromLatin1(s.data(), static_cast<int>(s.size())); }

}  // namespace

void TZeEditForm::BuildCentre() {
    centre_ = new QWidget(this);
    auto* layout = new QVBoxLayout(centre_);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    mapView_ = new MapView(centre_);
    mapView_->setObjectName("AScrollBox");
    mapView_->ImageWidget()->setObjectName("ShapeViewImage");

    hintPanel_ = new QFrame(centre_);
    hintPanel_->setObjectName("HintPanel");
    hintPanel_->setFrameShape(QFrame::StyledPanel);
    auto* row = new QHBoxLayout(hintPanel_);
    row->setContentsMargins(4, 2, 4, 2);
    hintLabel_ = new QLabel(hintPanel_);
    hintLabel_->setObjectName("HintLabel");
    progressBar_ = new QProgressBar(hintPanel_);
    progressBar_->setObjectName("VEProgressBar");
    progressBar_->setRange(0, 100);
    progressBar_->setTextVisible(false);
    progressBar_->setMaximumHeight(14);
    progressBar_->hide();
    xyPanel_ = new QLabel(hintPanel_);
    xyPanel_->setObjectName("XYPanel");
    xyPanel_->setFrameShape(QFrame::StyledPanel);
    row->addWidget(hintLabel_, 1);
    row->addWidget(progressBar_);
    row->addWidget(xyPanel_);
    // The readers' messages belong to the progress window, not to the hints.
    progress_.Attach(progressBar_, nullptr);

    layout->addWidget(mapView_, 1);
    layout->addWidget(hintPanel_);
    setCentralWidget(centre_);

    connect(mapView_, &MapView::mousePressed, this,
            [this](QPoint p, Qt::MouseButton b, Qt::KeyboardModifiers) {
                if (b != Qt::LeftButton || Refused()) return;
                if (Action("ZoomAreaMI")->isChecked())
                    renderer_->StartRubberBand(kFigureRubberRect, p);
                else if (Action("PanMI")->isChecked())
                    renderer_->StartRubberBand(kFigureRubberLine, p);
                else
                    return;
                mapView_->RefreshImage();
            });
    connect(mapView_, &MapView::mouseMoved, this,
            [this](QPoint p, Qt::MouseButtons, Qt::KeyboardModifiers) {
                if (view_.RubberBandActive) {
                    renderer_->MoveRubberBand(p);
                    mapView_->RefreshImage();
                    xyPanel_->setText(L1(PixelXYText(view_, p.x(), p.y())));
                } else {
                    xyPanel_->setText(L1(WorldXYText(
                        XtoWorld(store_, view_, p.x()),
                        YtoWorld(store_, view_, view_.BitmapHeight - p.y()))));
                }
            });
    connect(mapView_, &MapView::mouseReleased, this,
            [this](QPoint p, Qt::MouseButton b, Qt::KeyboardModifiers mods) {
                if (b != Qt::LeftButton) return;
                if (view_.RubberBandActive) {
                    const PixelPoint s = view_.RubberStart;
                    renderer_->EndRubberBand();
                    mapView_->RefreshImage();
                    if (Refused()) return;
                    if (Action("ZoomAreaMI")->isChecked()) {
                        // A click without a drag would zoom to a zero-sized
                        // rectangle; the tool stays on for a real drag.
                        if (std::abs(p.x() - s.x) < 3 && std::abs(p.y() - s.y) < 3) return;
                        ZoomArea(store_, view_, s.x, s.y, p.x(), p.y());
                        // Zoom Area is one-shot.
                        AllOff();
                        Redraw();
                    } else if (Action("PanMI")->isChecked()) {
                        Pan(store_, view_, s.x, s.y, p.x(), p.y());
                        Redraw();
                    }
                    return;
                }
                if (Refused() || store_.LayerCount == 0) return;
                // A pointer tool, edit or creation that is armed owns the click.
                if (EditActions* edit = EditActions::Of(this)) {
                    const ToolFlags& f = edit->Controller().Flags();
                    if (f.PointerTool != kToolNone || f.MoveMode || f.CopyMoveMode || f.DeleteMode ||
                        f.CreatingPoint || f.CreatingLine || f.CreatingPolygon || f.CreatingLabel ||
                        f.BitmapClipMode > 0)
                        return;
                }
                const Qt::KeyboardModifiers m =
                    mods & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
                if (m == Qt::ControlModifier) {
                    ClickZoomIn(store_, view_, p.x(), p.y());
                    Redraw();
                } else if (m == Qt::ShiftModifier) {
                    ClickZoomOut(store_, view_, p.x(), p.y());
                    Redraw();
                }
            });

    // The pop-up menu of the view: the items of this program's view.
    mapView_->ImageWidget()->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* showMenuBar = MakeAction("DisplayMenuToolbarPMI", "Display Menu Toolbar",
                                   "Display Menu Toolbar");
    showMenuBar->setCheckable(true);
    showMenuBar->setChecked(true);
    connect(showMenuBar, &QAction::triggered, this, [this](bool on) { ToggleToolbar(TbMenu, on); });
    auto* allVisible = MakeAction("AllLayersVisiblePMI", "All layers Visible", "All layers Visible");
    allVisible->setCheckable(true);
    allVisible->setChecked(true);
    auto* currentOnly = MakeAction("CurrentLayerOnlyPMI", "Current Layer only", "Current Layer only");
    auto visibility = [this] {
        if (Refused()) return;
        SetAllVisible(store_, Action("AllLayersVisiblePMI")->isChecked());
        Redraw();
    };
    connect(allVisible, &QAction::triggered, this, visibility);
    connect(currentOnly, &QAction::triggered, this, visibility);
    auto* allEditable = MakeAction("AllLayersEditablePMI", "All layers Editable", "All layers Editable");
    allEditable->setCheckable(true);
    allEditable->setChecked(true);
    connect(allEditable, &QAction::triggered, this, [this](bool on) {
        if (!Refused()) SetAllEditable(store_, on);
    });
    auto* sep = new QAction(this);
    sep->setSeparator(true);
    mapView_->ImageWidget()->addActions(
        {Action("RefreshMI"), sep, allVisible, currentOnly, allEditable, showMenuBar});
    // The same menu over the rest of the view area, beside a small bitmap.
    mapView_->setContextMenuPolicy(Qt::ActionsContextMenu);
    mapView_->addActions(mapView_->ImageWidget()->actions());

    // The wheel zooms about the pointer: what is under it stays there.
    connect(mapView_, &MapView::wheelTurned, this, [this](QPoint p, int steps) {
        if (Refused() || store_.LayerCount == 0 || steps == 0) return;
        PointerZoom(store_, view_, steps > 0 ? 0.5 : 1.5, p.x(), p.y());
        Redraw();
    });
}

void TZeEditForm::MakeFirstBitmap() {
    view_.BitmapWidth = 640;
    view_.BitmapHeight = 480;
    renderer_->ResetBitmap();
    renderer_->Pen() = QPen(Qt::black, 1, Qt::SolidLine);
    renderer_->Brush() = QBrush(ColorFromRef(0xFFFF00), Qt::SolidPattern);
    mapView_->SetImage(&renderer_->Image());
}

void TZeEditForm::AllOff() {
    for (const char* n : {"FitToWindowMI", "ZoomAreaMI", "PanMI", "FullViewTB", "ZoomWinTB", "PanTB"})
        Action(n)->setChecked(false);
    mapView_->ImageWidget()->unsetCursor();
}

void TZeEditForm::FitToWindowFresh() {
    if (Refused()) return;
    AllOff();
    Action("FitToWindowMI")->setChecked(true);
    Action("FullViewTB")->setChecked(true);
    if (FitToLayer(store_, view_, store_.CurrentLayer)) Redraw();
}

void TZeEditForm::ZoomAreaClick(bool on) {
    AllOff();
    if (on) {
        Action("ZoomAreaMI")->setChecked(true);
        Action("ZoomWinTB")->setChecked(true);
        mapView_->ImageWidget()->setCursor(Qt::CrossCursor);
    }
}

void TZeEditForm::PanClick(bool on) {
    AllOff();
    if (on) {
        Action("PanMI")->setChecked(true);
        Action("PanTB")->setChecked(true);
        mapView_->ImageWidget()->setCursor(Qt::PointingHandCursor);
    }
}

void TZeEditForm::ZoomInClick() {
    if (Refused()) return;
    AllOff();
    ZoomIn(store_, view_);
    Redraw();
}

void TZeEditForm::ZoomOutClick() {
    if (Refused()) return;
    AllOff();
    ZoomOut(store_, view_);
    Redraw();
}

void TZeEditForm::UpdatePasteEnabled() {
    // Pasting bitmaps comes with the clip tools; until then it stays off.
    const bool available = Action("PastebmpMI")->property("available").toBool();
    const QMimeData* m = QApplication::clipboard()->mimeData();
    const bool hasBitmap = m && m->hasImage();
    Action("PastebmpMI")->setEnabled(available && hasBitmap);
    Action("PasteTB")->setEnabled(available && hasBitmap);
}

void TZeEditForm::RefreshClick() {
    if (Refused()) return;
    UpdatePasteEnabled();
    commands_->LayerComboUpdate(store_.CurrentLayer);
    Redraw();
}

void TZeEditForm::ResetFresh() {
    if (Refused()) return;
    UpdatePasteEnabled();
    commands_->LayerComboUpdate(store_.CurrentLayer);
    if (commands_->hooks().EndEditing) commands_->hooks().EndEditing();
    FitToWindowFresh();
}

void TZeEditForm::ReExtentFresh() {
    if (Refused()) return;
    ReExtentAll(store_, 0);
    ResetFresh();
}

void TZeEditForm::CheckSizeItem() {
    if (BitmapFollowsWindow(options_)) return;
    for (int k = 0; k < kBitmapSizeCount; ++k)
        Action(QString("Resize%1wMI").arg(kBitmapSizes[k].width))
            ->setChecked(kBitmapSizes[k].width == view_.BitmapWidth &&
                         kBitmapSizes[k].height == view_.BitmapHeight);
}

void TZeEditForm::ResizeBitmap(int w, int h) {
    SetBitmapFollowsWindow(options_, false);
    if (!Refused() && SetBitmapSize(view_, w, h)) Redraw();
    CheckSizeItem();
}

void TZeEditForm::CreateSizeClick() {
    SetBitmapFollowsWindow(options_, false);
    Action("ResizeWindowMI")->setChecked(false);
    auto help = [this] {
        Result r = ShowHelp(13, this);
        if (!r) prompter_.ShowErrorText("Help is not available:\r\n" + r.reason);
    };
    if (!Refused() && RunCreateSizeDialog(prompter_, view_, this, help)) Redraw();
    CheckSizeItem();
}

void TZeEditForm::SetStatusAtTop(bool top) {
    Action("StatusTopMI")->setChecked(top);
    Action("StatusBottomMI")->setChecked(!top);
    statusAtTop_ = top;
    auto* layout = static_cast<QVBoxLayout*>(centre_->layout());
    layout->removeWidget(hintPanel_);
    layout->insertWidget(top ? 0 : 1, hintPanel_);
}

void TZeEditForm::ResetViewAfterClearAll() {
    Action("FitToWindowMI")->setChecked(true);
    Action("ZoomAreaMI")->setChecked(false);
    Action("ZoomWinTB")->setChecked(false);
    Action("FullViewTB")->setChecked(true);
    Action("PanMI")->setChecked(false);
    Action("PanTB")->setChecked(false);
    mapView_->ImageWidget()->unsetCursor();
    view_.ViewScale = 1;
    view_.RubberBandActive = false;
    view_.BackgroundColor = options_.BackgroundColor;
    renderer_->ClearBaseImage();
    renderer_->ResetBitmap();
    renderer_->Pen() = QPen(Qt::black, 1, Qt::SolidLine);
    renderer_->Brush() = QBrush(ColorFromRef(options_.HighlightColor), Qt::SolidPattern);
    mapView_->SetImage(&renderer_->Image());
    if (attributes_) attributes_->Identify().hide();
}

void TZeEditForm::FollowWindowSize(bool on) {
    SetBitmapFollowsWindow(options_, on);
    if (!windowSizeTimer_) {
        // Redraw once the resize has settled, not at every step of a drag.
        windowSizeTimer_ = new QTimer(this);
        windowSizeTimer_->setSingleShot(true);
        windowSizeTimer_->setInterval(250);
        connect(windowSizeTimer_, &QTimer::timeout, this, [this] { FitBitmapToWindow(); });
    }
    if (on) windowSizeTimer_->start();
}

void TZeEditForm::FitBitmapToWindow() {
    if (!BitmapFollowsWindow(options_)) return;
    if (Refused()) {
        windowSizeTimer_->start();
        return;
    }
    const QSize c = mapView_->ClientSize();
    if (c.width() < 1 || c.height() < 1) return;
    if (c.width() == view_.BitmapWidth && c.height() == view_.BitmapHeight) return;
    if (SetBitmapSize(view_, c.width(), c.height())) Redraw();
}

}  // namespace zemba
