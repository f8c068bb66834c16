// The identify window: the candidates of the last hit test, the chosen
// shape's information, its parts and a part's vertices.
#pragma once

#include <QWidget>

#include "attributes/identify.h"

class QListWidget;

namespace zemba {

class TIDForm : public QWidget {
    Q_OBJECT
public:
    TIDForm(LayerStore& store, AttributeHooks& hooks, QWidget* parent = nullptr);

    // Fills the lists from HitList, selects candidate `pick` (1-based; the
    // first when out of range) and shows the window (after an info click has
    // filled HitList).
    // Fills the lists from HitList as ShowIdentify does, without showing
    // or raising the window.
    void Refresh(int pick = 1);
    void ShowIdentify(int pick = 1);
    // The layer table changed: the lists refer to nothing any more.
    void Forget();

    IdentifyLogic& Logic() { return logic_; }
    QListWidget* CandidateList() const { return candidates_; }
    QListWidget* InfoList() const { return info_; }
    QListWidget* PartsList() const { return parts_; }
    QListWidget* PointsList() const { return points_; }

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void Show();
    QString Text(const std::string& bytes) const;
    LayerStore& store_;
    IdentifyLogic logic_;
    QListWidget* candidates_;
    QListWidget* info_;
    QListWidget* parts_;
    QListWidget* points_;
    bool filling_ = false;
};

}  // namespace zemba
