// TPropForm, "Layer Properties": each layer's style, visibility, order,
// labels and deletion. Every control acts at once on the layer of the
// selected row through the functions of view/styles.h.
#pragma once

#include <QDialog>
#include <functional>

#include "core/layer_store.h"
#include "core/ui.h"
#include "view/viewport.h"
#include "view/window_progress.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QSlider;

namespace zemba {

// What the window asks of the main window.
struct PropFormHooks {
    std::function<void()> Redraw;
    // "OK": the layer becomes current and the layer box shows it, without
    // putting its default style back.
    std::function<void(int layer)> LayerChosen;
    // "Delete" of the only layer: the main window's Clear All.
    std::function<void()> ClearAll;
    // After a delete: the selection or an edit was on the layer, or a
    // creation command's layer went away.
    std::function<void(const struct DeleteOutcome&)> LayerDeleted;
    std::function<void()> Help;
};

class TPropForm : public QDialog {
public:
    TPropForm(LayerStore& store, ViewState& view, Prompter& prompter, PropFormHooks hooks,
              QWidget* parent = nullptr);

    // Fills the layer list and selects the row of CurrentLayer.
    void Init();
    // Enables or disables the style controls.
    void SetActive(bool on);
    // Fills the two style combos by the layer's type.
    void SetupStyleCombo(int layer);

    // The layer of the selected row (0 when none).
    int SelectedLayer() const;
    QListWidget* LayerList() const { return list_; }

protected:
    void showEvent(QShowEvent* e) override;
    void reject() override;

private:
    void Build();
    void RowChanged(int row);
    void LoadLayer(int layer);
    void ShowColour(QPushButton* b, COLORREF c);
    bool ChooseColour(COLORREF& c);
    void ShowSample();
    void Up();
    void Down();
    void Delete();
    void LabelAll();
    void Reset();
    void Ok();
    std::vector<QWidget*> Controls() const;

    LayerStore& store_;
    ViewState& view_;
    Prompter& prompter_;
    PropFormHooks hooks_;
    FontDesc sample_;  // the window's sample font
    int loading_ = 0;

    QListWidget* list_ = nullptr;
    QPushButton *up_ = nullptr, *down_ = nullptr, *delete_ = nullptr;
    QCheckBox *visible_ = nullptr, *editable_ = nullptr, *outlined_ = nullptr;
    QComboBox *symbolCombo_ = nullptr, *lineCombo_ = nullptr;
    QLineEdit* lineWidth_ = nullptr;
    QPushButton *shapeColour_ = nullptr, *lineColour_ = nullptr, *backColour_ = nullptr;
    QCheckBox *labeled_ = nullptr, *background_ = nullptr, *skipOverlaps_ = nullptr;
    QLineEdit* rotationEdit_ = nullptr;
    QSlider* rotation_ = nullptr;
    QPushButton *font_ = nullptr, *labelAll_ = nullptr, *apply_ = nullptr, *reset_ = nullptr,
                *ok_ = nullptr, *help_ = nullptr;
    QLabel* sampleLabel_ = nullptr;
    QComboBox* fieldCombo_ = nullptr;
    QProgressBar* bar_ = nullptr;
    WindowProgress progress_;
};

// QFont <-> the store's font description (the colour is kept).
FontDesc DescFromFont(const QFont& f, const FontDesc& keep = {});

}  // namespace zemba
