// The print layout window TPrintLayoutForm ("Print Layout"): the sheet
// mock-up with its draggable element panels, the include boxes, the Mover
// and the "Size Matters" page, over LayoutCommands.
#pragma once

#include <QFrame>
#include <QWidget>
#include <array>
#include <functional>

#include "output/layout.h"
#include "output/page.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QSpinBox;

namespace zemba {

// An element panel: dragged with the mouse within the sheet.
class ElementPanel : public QFrame {
    Q_OBJECT
public:
    ElementPanel(const QString& caption, QWidget* sheet);
signals:
    void Moved();

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;

private:
    QPoint grab_;
    bool dragging_ = false;
};

class TPrintLayoutForm : public QWidget {
    Q_OBJECT
public:
    TPrintLayoutForm(LayoutCommands& commands, QWidget* parent = nullptr);

    std::function<void(int)> Help;
    std::function<void(QWidget*)> Closed;
    // Draws the page and opens the preview.
    std::function<void(const Page&)> OpenPreview;
    // The page set-up dialog; false when cancelled.
    std::function<bool(Sheet&)> PageSetup;
    // Ground metres of a map picture pixel (for the drawn scale bar).
    std::function<double()> MetresPerPixel;
    // The map's units for the grid (Page::MapUnits).
    std::function<int()> MapGridUnits;
    // "Size Matters" read-outs.
    std::function<std::string()> MapScaleText;
    std::function<void(int& w, int& h)> PrinterPagePixels;

    void CheckLayoutBtnClick();
    void PrePrintLayoutBtnClick();
    void PrintMapBtnClick();
    void SetupPrinterBtnClick();
    void MoverRGClick();
    void MoverResetBtnClick();
    void SizeMattersOSCBtnClick();
    void SizeMattersSetBtnClick();
    // SetDataToForm on the widgets: panels and sheet from the commands.
    void PlacePanels();

    QWidget* Sheet() const { return sheet_; }
    ElementPanel* Panel(LayoutElement e) const { return panels_[e]; }
    QCheckBox* IncludeBox(LayoutElement e) const { return include_[e]; }
    QButtonGroup* MoverGroup() const { return moverRG_; }
    QSpinBox* MoverX() const { return moverX_; }
    QSpinBox* MoverY() const { return moverY_; }
    QCheckBox* Scaled() const { return scaled_; }
    QListWidget* OscList() const { return oscList_; }

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void PanelMoved(LayoutElement e);
    void ShowSize(double w, double h);

    LayoutCommands& c_;
    QWidget* sheet_ = nullptr;
    std::array<ElementPanel*, kLayoutElementCount> panels_{};
    std::array<QCheckBox*, kLayoutElementCount> include_{};
    QButtonGroup* moverRG_ = nullptr;
    QSpinBox* moverX_ = nullptr;
    QSpinBox* moverY_ = nullptr;
    QCheckBox* scaled_ = nullptr;
    QListWidget* oscList_ = nullptr;
    QLineEdit* widthEdit_ = nullptr;
    QLineEdit* heightEdit_ = nullptr;
    QLineEdit* imageX_ = nullptr;
    QLineEdit* imageY_ = nullptr;
    QLineEdit* scaleEdit_ = nullptr;
    QLineEdit* pageWidthEdit_ = nullptr;
    QLineEdit* pageHeightEdit_ = nullptr;
    QLabel* pageSizeLabel_ = nullptr;
    QLabel* imageSizeLabel_ = nullptr;
    QLabel* scaleLabel_ = nullptr;
    int syncing_ = 0;
};

}  // namespace zemba
