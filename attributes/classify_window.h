// TRenderFrm, "Classify Attributes": the window over a ClassifySession.
#pragma once

#include <QDialog>
#include <functional>

#include "attributes/classify.h"
#include "core/ui.h"
#include "view/window_progress.h"

class QComboBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;

namespace zemba {

struct RenderFrmHooks {
    std::function<void()> Redraw;
    // Closing: the class layer becomes the current layer (its style kept).
    std::function<void(int layer)> LayerChosen;
    std::function<void()> Help;
    // The start colour option (ClassStartColor) changed.
    std::function<void(COLORREF)> StartColorChanged;
    // Refusals with the program's sound and message place.
    Prompter* prompter = nullptr;
};

class TRenderFrm : public QDialog {
public:
    TRenderFrm(LayerStore& store, RenderFrmHooks hooks, QWidget* parent = nullptr);

    // Opening: the current layer, its first field, the ramp from `startColor`.
    void Init(COLORREF startColor);
    ClassifySession& Session() { return session_; }

    // The buttons, for tests.
    void SetValuesClick();
    void SetClassesClick();
    void ApplyClick();
    void CancelClick();
    void InvertClick();
    QListWidget* ValueList() const { return values_; }
    QListWidget* ClassList() const { return classes_; }

protected:
    void reject() override;
    void done(int r) override;

private:
    void LoadFields();
    void ShowState();
    void ShowRamp();
    std::vector<QWidget*> Controls() const;

    LayerStore& store_;
    RenderFrmHooks hooks_;
    ClassifySession session_;
    WindowProgress progress_;
    int loading_ = 0;
    QComboBox *layerCombo_ = nullptr, *fieldCombo_ = nullptr, *classCount_ = nullptr;
    QRadioButton *symbol_ = nullptr, *colour_ = nullptr, *both_ = nullptr;
    QRadioButton *equal_ = nullptr, *quantiles_ = nullptr;
    QLabel* caption_ = nullptr;
    QListWidget *values_ = nullptr, *classes_ = nullptr;
    QPushButton *setValues_ = nullptr, *setClasses_ = nullptr, *cancel_ = nullptr, *apply_ = nullptr,
                *close_ = nullptr, *help_ = nullptr, *start_ = nullptr, *finish_ = nullptr;
    QProgressBar* bar_ = nullptr;
};

}  // namespace zemba
