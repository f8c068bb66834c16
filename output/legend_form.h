// The legend window TLegendForm ("Legend"): controls over LegendCommands.
#pragma once

#include <QWidget>
#include <array>
#include <functional>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTabWidget;

namespace zemba {

class LegendCommands;
class LayerStore;

class TLegendForm : public QWidget {
    Q_OBJECT
public:
    TLegendForm(LegendCommands& commands, LayerStore& store, QWidget* parent = nullptr);

    std::function<void(int)> Help;
    std::function<void(QWidget*)> Closed;

    // The window's handlers (tests call them).
    void ValidateBtnClick();
    void CheckMapLegendRec();
    void FontTextBtnClick();
    void LoadTextBtnClick();
    void SaveTextBtnClick();
    void LoadBitmapsBtnClick();
    void GridsRGClick();
    void MapLocationRGClick();

    QCheckBox* Box(int k) const { return boxes_[k]; }
    QPlainTextEdit* Memo() const { return memo_; }
    QButtonGroup* TextGroup() const { return textRG_; }
    QButtonGroup* BitmapGroup() const { return bitmapRG_; }
    QButtonGroup* GridGroup() const { return gridRG_; }
    QButtonGroup* LocationGroup() const { return locationRG_; }
    QComboBox* StateList() const { return stateCB_; }
    QComboBox* CountryList() const { return countryCB_; }
    QLabel* SizeLabel() const { return sizeLabel_; }
    QLabel* PathLabel() const { return pathLabel_; }
    QCheckBox* DrawnBox() const { return drawn_; }

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void ShowProject();
    void BitmapEntryChanged();

    LegendCommands& c_;
    LayerStore& store_;
    QTabWidget* tabs_ = nullptr;
    QLabel* projectName_ = nullptr;
    QLabel* projectPath_ = nullptr;
    std::array<QCheckBox*, 14> boxes_{};
    QPlainTextEdit* memo_ = nullptr;
    QButtonGroup* textRG_ = nullptr;
    QButtonGroup* bitmapRG_ = nullptr;
    QButtonGroup* gridRG_ = nullptr;
    QButtonGroup* locationRG_ = nullptr;
    QLabel* pathLabel_ = nullptr;
    QLabel* sizeLabel_ = nullptr;
    QLabel* picture_ = nullptr;
    QCheckBox* drawn_ = nullptr;
    QComboBox* stateCB_ = nullptr;
    QComboBox* countryCB_ = nullptr;
    QLineEdit* variable_ = nullptr;
};

}  // namespace zemba
