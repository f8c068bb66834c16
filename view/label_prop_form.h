// TLabelPropFrm, "Label Properties": the label of the selected shape, its
// text, rotation, background and font.
#pragma once

#include <QDialog>
#include <functional>

#include "core/layer_store.h"
#include "core/ui.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QSlider;

namespace zemba {

class TLabelPropFrm : public QDialog {
public:
    TLabelPropFrm(LayerStore& store, QWidget* parent = nullptr);

    // Loads the controls from shape `shape` of `layer`.
    void InitFromInfo(int layer, int shape);
    // OK: the label as the controls show it.
    void Ok();

    QLineEdit* TextEdit() const { return text_; }
    QLineEdit* RotationEdit() const { return rotationEdit_; }
    std::function<void()> Help;

private:
    void ShowColour();
    void ShowSample();

    LayerStore& store_;
    int layer_ = 0, shape_ = 0;
    FontDesc sample_;
    COLORREF back_ = 0xFFFFFF;
    QLineEdit* text_ = nullptr;
    QLineEdit* rotationEdit_ = nullptr;
    QSlider* rotation_ = nullptr;
    QCheckBox* background_ = nullptr;
    QPushButton* colour_ = nullptr;
    QLabel* sampleLabel_ = nullptr;
};

// The "Set current Object" submenu of the map's pop-up menu. Its items act
// on the selected shape (`shapeSelected` tells whether there is one);
// "Label..." opens the label window; `changed` runs after a change.
// `menuParent` owns the menu; dialogs open over `dialogParent`, a window that
// outlives the menu. `defer` runs an item's work once the menu has closed
// (no deferral when empty). `prepare` sets up the label window before it
// opens (its help, its place).
QMenu* BuildSetObjectMenu(QWidget* menuParent, QWidget* dialogParent, LayerStore& store,
                          std::function<bool()> shapeSelected,
                          std::function<void(std::function<void()>)> defer = {},
                          std::function<void()> changed = {},
                          std::function<void(TLabelPropFrm&)> prepare = {});

}  // namespace zemba
