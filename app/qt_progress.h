// The window side of Progress: a progress bar and a message label owned by
// a window, and the event pump that lets the windows repaint during long
// loops without letting event processing dominate them.
#pragma once

#include <QElapsedTimer>
#include <QLabel>
#include <QProgressBar>
#include <string>

#include "core/ui.h"

namespace zemba {

class QtProgress : public Progress {
public:
    // Either widget may be null. The widgets stay the caller's.
    QtProgress(QProgressBar* bar = nullptr, QLabel* label = nullptr);

    // Changes the widgets driven (e.g. another window's bar).
    void Attach(QProgressBar* bar, QLabel* label);

    // The label's text (Latin-1).
    void SetMessage(const std::string& text) override;
    // Any 64-bit range; the bar is only touched when its shown value moves.
    void SetRange(long long min, long long max) override;
    void SetPosition(long long pos) override;
    // Runs pending window events, at most once every kPumpIntervalMs.
    void Pump() override;

    static constexpr int kPumpIntervalMs = 30;

    // True while a long operation runs (some BusyGuard is alive). Commands
    // that change the layer store refuse to start while this holds.
    bool Busy() const { return busy_ > 0; }

    // Marks a long operation for its lifetime; guards nest. The outermost
    // guard shows the bar (when `showBar`) and hides it again at the end.
    class BusyGuard {
    public:
        explicit BusyGuard(QtProgress& progress, bool showBar = true);
        ~BusyGuard();
        BusyGuard(const BusyGuard&) = delete;
        BusyGuard& operator=(const BusyGuard&) = delete;

    private:
        QtProgress& progress_;
        bool shownBar_ = false;
    };

    // Number of times Pump actually ran the event loop (for measurements).
    long long PumpCount() const { return pumps_; }

private:
    static constexpr int kBarSteps = 1000;
    int Scaled(long long pos) const;

    QProgressBar* bar_;
    QLabel* label_;
    long long min_ = 0, max_ = 100;
    int shown_ = -1;
    int busy_ = 0;
    long long pumps_ = 0;
    bool pumping_ = false;  // a pump never runs inside another
    QElapsedTimer timer_;
};

}  // namespace zemba
