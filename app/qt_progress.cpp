#include "app/qt_progress.h"

#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>

namespace zemba {

QtProgress::QtProgress(QProgressBar* bar, QLabel* label) : bar_(bar), label_(label) {
    timer_.start();
}

void QtProgress::Attach(QProgressBar* bar, QLabel* label) {
    bar_ = bar;
    label_ = label;
    shown_ = -1;
    if (bar_) bar_->setRange(0, kBarSteps);
}

void QtProgress::SetMessage(const std::string& text) {
    if (label_) label_->setText(QString::fromLatin1(text.data(), static_cast<int>(text.size())));
}

void QtProgress::SetRange(long long min, long long max) {
    min_ = min;
    max_ = max;
    shown_ = -1;
    if (bar_) bar_->setRange(0, kBarSteps);
}

int QtProgress::Scaled(long long pos) const {
    if (max_ <= min_) return pos >= max_ ? kBarSteps : 0;
    if (pos <= min_) return 0;
    if (pos >= max_) return kBarSteps;
    // In long double: (pos - min) * steps can overflow 64 bits for huge ranges.
    const long double f = static_cast<long double>(pos - min_) / static_cast<long double>(max_ - min_);
    return static_cast<int>(f * kBarSteps);
}

void QtProgress::SetPosition(long long pos) {
    if (!bar_) return;
    const int v = Scaled(pos);
    if (v == shown_) return;
    shown_ = v;
    if (bar_->maximum() != kBarSteps || bar_->minimum() != 0) bar_->setRange(0, kBarSteps);
    bar_->setValue(v);
}

void QtProgress::Pump() {
    if (pumping_ || timer_.elapsed() < kPumpIntervalMs) return;
    ++pumps_;
    pumping_ = true;
    QCoreApplication::processEvents();
    pumping_ = false;
    timer_.restart();
}

QtProgress::BusyGuard::BusyGuard(QtProgress& progress, bool showBar) : progress_(progress) {
    if (progress_.busy_++ == 0 && showBar && progress_.bar_) {
        progress_.SetRange(0, 100);
        progress_.SetPosition(0);
        progress_.bar_->show();
        shownBar_ = true;
    }
}

QtProgress::BusyGuard::~BusyGuard() {
    --progress_.busy_;
    if (shownBar_ && progress_.bar_) {
        progress_.bar_->hide();
        progress_.bar_->reset();
        progress_.shown_ = -1;
    }
}

}  // namespace zemba
