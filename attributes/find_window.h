// TSearchForm, "Find features in ...": text, field value and spatial finds
// over the functions of attributes/find.h, with Zoom, Highlight, ID and the
// results grid.
#pragma once

#include <QDialog>
#include <functional>

#include "attributes/find.h"
#include "attributes/values.h"
#include "core/ui.h"
#include "view/window_progress.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QTabWidget;

namespace zemba {

struct SearchFormHooks {
    std::function<void()> Redraw;
    COLORREF HighlightColor = 0x00FFFF;
    std::function<COLORREF()> Highlight;  // the option's colour at the moment
    // "ID": the identify window filled from HitList (empty: ID disabled).
    std::function<void()> ShowIdentify;
    // A click on a results row: show that shape on the map.
    std::function<void(int layer, int shape)> ShowShape;
    // The layer combo changed CurrentLayer; the main window shows it.
    std::function<void(int layer)> LayerChosen;
    std::function<void()> Help;
    // Catalogue messages ("Not a Number") with their sound and place.
    Prompter* prompter = nullptr;
};

class TSearchForm : public QDialog {
public:
    TSearchForm(LayerStore& store, SearchFormHooks hooks, QWidget* parent = nullptr);

    void Init();

    // The Find buttons of the three pages, and the result buttons.
    void FindTextClick();
    void FindValueClick();
    void FindSpatialClick();
    void ZoomClick();
    void HighlightClick();
    void IdClick();

    QLineEdit* TextEdit() const { return text_; }
    QComboBox* CompareCombo() const { return compare_; }
    QListWidget* ValueList() const { return values_; }
    QTableWidget* Results() const { return grid_; }
    QLabel* FoundLabel() const { return found_; }

protected:
    void reject() override;

private:
    void LayerChanged(int index);
    void FieldChanged(int index);
    void FillValues();
    void Show(const FindResult& r);
    std::vector<QWidget*> Controls() const;

    LayerStore& store_;
    SearchFormHooks hooks_;
    WindowProgress progress_;
    bool cacheValid_ = false;
    DistinctValueList cache_;
    FoundBox box_;
    int field_ = 0;  // the field the results were found in

    QTabWidget* pages_ = nullptr;
    QComboBox *layerCombo_ = nullptr, *fieldCombo_ = nullptr, *compare_ = nullptr, *relation_ = nullptr,
              *units_ = nullptr;
    QLineEdit *text_ = nullptr, *distance_ = nullptr;
    QLabel *textInfo_ = nullptr, *selected_ = nullptr, *found_ = nullptr;
    QListWidget *values_ = nullptr, *checked_ = nullptr;
    QPushButton *findText_ = nullptr, *findValue_ = nullptr, *findSpatial_ = nullptr, *zoom_ = nullptr,
                *highlight_ = nullptr, *id_ = nullptr, *close_ = nullptr, *help_ = nullptr;
    QTableWidget* grid_ = nullptr;
    QProgressBar* bar_ = nullptr;
};

}  // namespace zemba
