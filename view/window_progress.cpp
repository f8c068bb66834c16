#include "view/window_progress.h"

#include <QCoreApplication>

namespace zemba {

void WindowProgress::SetRange(long long min, long long max) {
    if (bar_) bar_->setRange(static_cast<int>(min), static_cast<int>(max));
}

void WindowProgress::SetPosition(long long pos) {
    if (bar_ && bar_->value() != pos) bar_->setValue(static_cast<int>(pos));
}

void WindowProgress::Pump() {
    if (!timer_.isValid()) timer_.start();
    if (timer_.elapsed() < 40) return;
    timer_.restart();
    QCoreApplication::processEvents();
}

WindowProgress::Scope::Scope(WindowProgress& p, const std::vector<QWidget*>& controls) : p_(p) {
    ++p_.busy_;
    for (QWidget* w : controls)
        if (w && w->isEnabled()) {
            w->setEnabled(false);
            disabled_.emplace_back(w);
        }
    if (p_.bar_) {
        p_.bar_->setValue(0);
        p_.bar_->show();
    }
    p_.timer_.start();
}

WindowProgress::Scope::~Scope() {
    for (auto& w : disabled_)
        if (w) w->setEnabled(true);
    if (p_.bar_) p_.bar_->hide();
    --p_.busy_;
}

}  // namespace zemba
