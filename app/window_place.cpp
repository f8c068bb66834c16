#include "app/window_place.h"

#include <QEvent>
#include <QObject>
#include <QWidget>

namespace zemba {

namespace {

class PlaceKeeper : public QObject {
public:
    PlaceKeeper(QWidget* w, std::int32_t* left, std::int32_t* top) : QObject(w), left_(left), top_(top) {}

protected:
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Hide || e->type() == QEvent::Close) {
            auto* w = static_cast<QWidget*>(o);
            *left_ = w->x();
            *top_ = w->y();
        }
        return false;
    }

private:
    std::int32_t* left_;
    std::int32_t* top_;
};

}  // namespace

void KeepWindowPlace(QWidget* w, std::int32_t* left, std::int32_t* top) {
    if (!w || !left || !top) return;
    w->move(*left, *top);
    w->installEventFilter(new PlaceKeeper(w, left, top));
}

}  // namespace zemba
