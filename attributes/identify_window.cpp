#include "attributes/identify_window.h"

#include <QCloseEvent>
#include <QGridLayout>
#include <QLabel>
#include <QListWidget>

#include "text/layer_codec.h"

namespace zemba {

TIDForm::TIDForm(LayerStore& store, AttributeHooks& hooks, QWidget* parent)
    : QWidget(parent, Qt::Tool), store_(store), logic_(store, hooks) {
    setObjectName("TIDForm");
    setWindowTitle("Identify");
    auto* grid = new QGridLayout(this);
    candidates_ = new QListWidget(this);
    candidates_->setObjectName("ObjListBox");
    info_ = new QListWidget(this);
    info_->setObjectName("InfoListBox");
    parts_ = new QListWidget(this);
    parts_->setObjectName("PartsListBox");
    points_ = new QListWidget(this);
    points_->setObjectName("PointsListBox");
    // Coordinates are read whole: wide enough for a long one, scrolled
    // rather than cut to dots beyond that.
    points_->setTextElideMode(Qt::ElideNone);
    points_->setMinimumWidth(points_->fontMetrics().horizontalAdvance("X: -123.456789012 ,Y: -12.3456789012") + 28);
    grid->addWidget(candidates_, 0, 0);
    grid->addWidget(info_, 1, 0, 2, 1);
    grid->addWidget(parts_, 0, 1, 2, 1);
    grid->addWidget(points_, 2, 1);
    resize(420, 360);

    connect(candidates_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (filling_ || row < 0) return;
        logic_.CandidateClick(row);
        Show();
    });
    connect(parts_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (filling_ || row < 0) return;
        logic_.PartClick(row);
        Show();
    });
    connect(points_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (filling_ || row < 0) return;
        logic_.PointClick(row);
    });
}

QString TIDForm::Text(const std::string& bytes) const {
    const int layer = logic_.Layer;
    const std::string cpg = layer >= 1 && layer <= store_.LayerCount ? store_.ShapeLayers[layer].CodePage : std::string();
    return LayerCodec(cpg).ToUnicode(bytes);
}

void TIDForm::Show() {
    filling_ = true;
    auto fill = [this](QListWidget* w, const std::vector<std::string>& lines, int row) {
        w->clear();
        for (const std::string& l : lines) w->addItem(Text(l));
        if (row >= 0 && row < w->count()) w->setCurrentRow(row);
    };
    fill(candidates_, logic_.Candidates, logic_.CandidateRow);
    fill(info_, logic_.Info, -1);
    fill(parts_, logic_.Parts, logic_.PartRow);
    fill(points_, logic_.Points, -1);
    filling_ = false;
}

void TIDForm::ShowIdentify(int pick) {
    logic_.IDInit();
    // The hit test names the candidate that really lies under the click.
    if (pick > 1 && pick <= static_cast<int>(logic_.Candidates.size())) logic_.CandidateClick(pick - 1);
    Show();
    show();
    raise();
}

void TIDForm::Refresh(int pick) {
    logic_.IDInit();
    if (pick > 1 && pick <= static_cast<int>(logic_.Candidates.size())) logic_.CandidateClick(pick - 1);
    Show();
}

void TIDForm::Forget() {
    logic_.Clear();
    Show();
}

void TIDForm::closeEvent(QCloseEvent* e) {
    Forget();
    QWidget::closeEvent(e);
}

}  // namespace zemba
