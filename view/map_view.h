// The map view of the main window: a scroll box showing the map bitmap at
// 1:1 from its top-left corner. It holds no tool logic: it forwards mouse
// events as bitmap pixel positions and the main window decides what they do.
#pragma once

#include <QImage>
#include <QPoint>
#include <QScrollArea>
#include <QWidget>

namespace zemba {

// The picture control inside the scroll box (ShapeViewImage).
class MapImageWidget : public QWidget {
    Q_OBJECT
public:
    explicit MapImageWidget(QWidget* parent = nullptr);
    // Shows `image` (not copied: the caller keeps it alive and calls
    // update() after drawing on it). Resizes the widget to the image.
    void SetImage(const QImage* image);
    const QImage* Image() const { return image_; }

signals:
    void mousePressed(QPoint pixel, Qt::MouseButton button, Qt::KeyboardModifiers mods);
    void mouseMoved(QPoint pixel, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods);
    void mouseReleased(QPoint pixel, Qt::MouseButton button, Qt::KeyboardModifiers mods);
    void mouseDoubleClicked(QPoint pixel, Qt::MouseButton button, Qt::KeyboardModifiers mods);

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;

private:
    const QImage* image_ = nullptr;
};

// The scroll box (AScrollBox) with the picture control. Mouse signals are
// re-emitted with positions in bitmap pixels (y downward).
class MapView : public QScrollArea {
    Q_OBJECT
public:
    explicit MapView(QWidget* parent = nullptr);
    // Shows the bitmap; call again after DVDORedraw replaced it.
    void SetImage(const QImage* image);
    // Repaints after something was drawn straight onto the bitmap.
    void RefreshImage();
    MapImageWidget* ImageWidget() const { return widget_; }
    // Size of the visible area, for ViewState::ClientWidth/ClientHeight.
    QSize ClientSize() const;

    // The coordinate text of the status bar's XY panel for pixel (x, y) of a
    // bitmap `bitmapHeight` high: "   X: x, Y: (height - y)".
    static QString PixelText(int x, int y, int bitmapHeight);

signals:
    void mousePressed(QPoint pixel, Qt::MouseButton button, Qt::KeyboardModifiers mods);
    void mouseMoved(QPoint pixel, Qt::MouseButtons buttons, Qt::KeyboardModifiers mods);
    void mouseReleased(QPoint pixel, Qt::MouseButton button, Qt::KeyboardModifiers mods);
    void mouseDoubleClicked(QPoint pixel, Qt::MouseButton button, Qt::KeyboardModifiers mods);
    // The wheel turned over the view: whole notches, positive away from the
    // user; `pixel` is the pointer's bitmap pixel.
    void wheelTurned(QPoint pixel, int steps);

protected:
    void wheelEvent(QWheelEvent* e) override;

private:
    MapImageWidget* widget_;
    int wheelRest_ = 0;  // eighths of a degree not yet a whole notch
};

}  // namespace zemba
