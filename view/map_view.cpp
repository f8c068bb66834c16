#include "view/map_view.h"

#include <QWheelEvent>

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace zemba {

MapImageWidget::MapImageWidget(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(true);  // moves without a button feed the coordinate read-out
    resize(640, 480);
}

void MapImageWidget::SetImage(const QImage* image) {
    image_ = image;
    if (image_ && !image_->isNull()) resize(image_->size());
    update();
}

void MapImageWidget::paintEvent(QPaintEvent* e) {
    QPainter p(this);
    if (image_ && !image_->isNull()) {
        p.drawImage(e->rect(), *image_, e->rect());
        // Whatever the bitmap does not cover stays in the window colour.
        const QRegion rest = QRegion(e->rect()) - QRegion(image_->rect());
        for (const QRect& r : rest) p.fillRect(r, palette().window());
    } else {
        p.fillRect(e->rect(), palette().window());
    }
}

void MapImageWidget::mousePressEvent(QMouseEvent* e) {
    emit mousePressed(e->position().toPoint(), e->button(), e->modifiers());
}

void MapImageWidget::mouseMoveEvent(QMouseEvent* e) {
    emit mouseMoved(e->position().toPoint(), e->buttons(), e->modifiers());
}

void MapImageWidget::mouseReleaseEvent(QMouseEvent* e) {
    emit mouseReleased(e->position().toPoint(), e->button(), e->modifiers());
}

void MapImageWidget::mouseDoubleClickEvent(QMouseEvent* e) {
    emit mouseDoubleClicked(e->position().toPoint(), e->button(), e->modifiers());
}

MapView::MapView(QWidget* parent) : QScrollArea(parent), widget_(new MapImageWidget) {
    setObjectName("AScrollBox");
    widget_->setObjectName("ShapeViewImage");
    setWidget(widget_);
    setWidgetResizable(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setBackgroundRole(QPalette::Window);
    connect(widget_, &MapImageWidget::mousePressed, this, &MapView::mousePressed);
    connect(widget_, &MapImageWidget::mouseMoved, this, &MapView::mouseMoved);
    connect(widget_, &MapImageWidget::mouseReleased, this, &MapView::mouseReleased);
    connect(widget_, &MapImageWidget::mouseDoubleClicked, this, &MapView::mouseDoubleClicked);
}

void MapView::SetImage(const QImage* image) { widget_->SetImage(image); }

void MapView::RefreshImage() {
    const QImage* img = widget_->Image();
    if (img && !img->isNull() && widget_->size() != img->size()) widget_->resize(img->size());
    widget_->update();
}

QSize MapView::ClientSize() const { return viewport()->size(); }

QString MapView::PixelText(int x, int y, int bitmapHeight) {
    return QStringLiteral("   X: %1, Y: %2").arg(x).arg(bitmapHeight - y);
}

void MapView::wheelEvent(QWheelEvent* e) {
    // Fine-grained wheels and touchpads add up to whole notches of 120.
    wheelRest_ += e->angleDelta().y();
    const int steps = wheelRest_ / 120;
    wheelRest_ -= steps * 120;
    e->accept();
    if (steps == 0) return;
    const QPoint p = widget_->mapFrom(viewport(), e->position().toPoint());
    emit wheelTurned(p, steps);
}

}  // namespace zemba
