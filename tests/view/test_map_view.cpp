// The scroll box with the map bitmap: it shows the bitmap at 1:1 and hands
// mouse events on as bitmap pixels.
#include <gtest/gtest.h>

#include <QMouseEvent>
#include <QScrollBar>

#include "tests/view/view_fixture.h"
#include "view/map_view.h"

namespace zemba {
namespace {

void Send(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton b, Qt::KeyboardModifiers m) {
    QMouseEvent e(type, QPointF(at), w->mapToGlobal(QPointF(at)), b,
                  type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(b), m);
    QApplication::sendEvent(w, &e);
}

TEST(MapViewTest, ShowsTheBitmapAndForwardsPixelPositions) {
    QImage img(800, 600, QImage::Format_RGB32);
    img.fill(Qt::red);
    img.setPixel(10, 20, qRgb(0, 0, 255));
    MapView view;
    view.resize(400, 300);
    view.SetImage(&img);
    view.show();
    EXPECT_EQ(view.ImageWidget()->size(), QSize(800, 600));
    const QImage shot = view.ImageWidget()->grab().toImage();
    EXPECT_EQ(shot.pixel(10, 20), qRgb(0, 0, 255));
    EXPECT_EQ(shot.pixel(500, 500), qRgb(255, 0, 0));

    QPoint pressed, moved, released;
    Qt::KeyboardModifiers mods;
    QObject::connect(&view, &MapView::mousePressed,
                     [&](QPoint p, Qt::MouseButton, Qt::KeyboardModifiers m) { pressed = p, mods = m; });
    QObject::connect(&view, &MapView::mouseMoved,
                     [&](QPoint p, Qt::MouseButtons, Qt::KeyboardModifiers) { moved = p; });
    QObject::connect(&view, &MapView::mouseReleased,
                     [&](QPoint p, Qt::MouseButton, Qt::KeyboardModifiers) { released = p; });
    // Scrolled: positions stay those of the bitmap, not of the window.
    view.horizontalScrollBar()->setValue(200);
    QWidget* w = view.ImageWidget();
    Send(w, QEvent::MouseButtonPress, {300, 40}, Qt::LeftButton, Qt::ControlModifier);
    Send(w, QEvent::MouseMove, {310, 50}, Qt::LeftButton, Qt::NoModifier);
    Send(w, QEvent::MouseButtonRelease, {320, 60}, Qt::LeftButton, Qt::NoModifier);
    EXPECT_EQ(pressed, QPoint(300, 40));
    EXPECT_EQ(mods, Qt::ControlModifier);
    EXPECT_EQ(moved, QPoint(310, 50));
    EXPECT_EQ(released, QPoint(320, 60));

    // A redraw to another size is followed by the widget.
    img = QImage(320, 240, QImage::Format_RGB32);
    img.fill(Qt::white);
    view.RefreshImage();
    EXPECT_EQ(view.ImageWidget()->size(), QSize(320, 240));
    EXPECT_EQ(MapView::PixelText(5, 200, 240), "   X: 5, Y: 40");
}

}  // namespace
}  // namespace zemba
