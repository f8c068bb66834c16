// The conversion window TTransformer ("Transformer"): the DLG quick view,
// the DLG import page with its shapefile and DXF exports, and the pages of
// the other conversions. The work is done by convert/dlg_*.h.
#pragma once

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "convert/dlg_to_shp.h"
#include "convert/shape_combine.h"
#include "core/ui.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QTabWidget;

namespace zemba {

class TTransformer : public QWidget {
    Q_OBJECT
public:
    // dlgDir and shapeDir are the program options' DLG and Shape directories;
    // the window changes them as files are chosen.
    TTransformer(Prompter& prompter, std::string& dlgDir, std::string& shapeDir, QWidget* parent = nullptr);
    // The program options' Vector Db directory, where the soil data folder
    // chooser starts (the window keeps its own when none is given).
    void SetVectorDbDir(std::string* dir) { vectorDbDir_ = dir ? dir : &ownVectorDbDir_; }
    // The folder chooser of the soil data folder (a dialog unless replaced).
    std::function<std::string(const std::string& title, const std::string& dir)> ChooseFolder;
    ~TTransformer() override;

    DlgState& State() { return state_; }

    // Button handlers, callable with the file a dialog would give.
    void QuickDLGViewFileBtnClick();
    void QuickViewFile(const std::string& path);
    void PickALineBtnClick();
    void DLGImportBtnClick();
    void ImportFile(const std::string& path);
    void DLGIRGClick();
    void DLGShapeExportBtnClick();
    void DLGShapeExportDIRBtnClick();
    void DLGDXFExportBtnClick();
    DlgShapeOptions ExportOptions() const;

    // "Shape Viewer": View, and the viewing of a chosen file.
    void ShapeViewOpenClick();
    void ShapeViewFile(const std::string& path);
    // "USDA NRCS db": the two choices and OK.
    void StateStatsgoBtnClick();
    void StateStatsgoDataDir(const std::string& dir);
    void StateStatsgoBtnShapeClick();
    void StateStatsgoShapeFile(const std::string& path);
    void StateStatsgoBtnGOClick();
    // "Shape File Combine": the two selectors (k = 0, 1), the choosing of a
    // file for one, and OK.
    void CombineOpenClick(int k);
    void CombineFile(int k, const std::string& path);
    void CombineOKClick();

signals:
    void helpRequested(int context);
    // FormClose: the caller keeps the position.
    void closed();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    class GaugeProgress;
    QWidget* BuildQuickViewPage();
    QWidget* BuildImportPage();
    QWidget* BuildShapeViewerPage();
    QWidget* BuildSoilPage();
    QWidget* BuildCombinePage();
    QWidget* BuildShifterPage();
    QWidget* BuildSundryPage();
    QWidget* HelpRow(const char* helpName, int context);
    QLineEdit* Edit(const char* name, const char* text = "", bool readOnly = false);
    void ShowPicture(const DlgPicture& picture, QLabel* target = nullptr);
    void ExclusiveAttribute(QCheckBox* checked);
    void UpdateCombine();

    Prompter& prompter_;
    std::string& dlgDir_;
    std::string& shapeDir_;
    DlgState state_;
    std::unique_ptr<GaugeProgress> progress_;
    std::string lastProposedShapeName_;
    std::string quickViewChosen_;  // the name last chosen in the quick view's dialog
    std::string ownVectorDbDir_;
    std::string* vectorDbDir_ = &ownVectorDbDir_;
    std::string soilDataDir_, soilShapeFile_;
    QLabel* shapeViewImage_ = nullptr;
    QPlainTextEdit* shapeViewMemo_ = nullptr;
    QPlainTextEdit* soilMemo_ = nullptr;
    QButtonGroup* shapeTypeGroup_ = nullptr;
    std::string combinePath_[2], lastCombineName_;
    ShapeFileSummary combine_[2];
    QButtonGroup* combineTypes_[3] = {nullptr, nullptr, nullptr};

    QTabWidget* pages_ = nullptr;
    QLabel* hints_ = nullptr;
    QProgressBar* gauge_ = nullptr;
    QLabel* quickViewImage_ = nullptr;
    QPlainTextEdit* quickViewMemo_ = nullptr;
    QPlainTextEdit* dlgMemo_ = nullptr;
    QButtonGroup* layerGroup_ = nullptr;
    QButtonGroup* widthGroup_ = nullptr;
    QCheckBox *skipFirst_ = nullptr, *skipSsurgo_ = nullptr, *single_ = nullptr, *minor_ = nullptr, *soil_ = nullptr,
              *special_ = nullptr, *numberItems_ = nullptr, *mapAttributes_ = nullptr;
};

// Where the conversion window opens: the options' left and top for it,
// rewritten when the window closes.
struct WindowPlace {
    std::int32_t* Left = nullptr;
    std::int32_t* Top = nullptr;
};

// Opens the one conversion window of `parent`, making it on first use at
// `place`.
TTransformer* ShowTransformer(QWidget* parent, Prompter& prompter, std::string& dlgDir, std::string& shapeDir,
                              std::function<void(int)> help, WindowPlace place = {},
                              std::string* vectorDbDir = nullptr);

}  // namespace zemba
