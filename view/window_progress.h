// Progress of a window's own long loop on its progress bar. While the loop
// runs the window's controls are disabled, so that nothing (Close included)
// can change what the loop works on; pending events run at most every few
// tens of milliseconds.
#pragma once

#include <QElapsedTimer>
#include <QPointer>
#include <QProgressBar>
#include <QWidget>
#include <vector>

#include "core/ui.h"

namespace zemba {

class WindowProgress : public Progress {
public:
    explicit WindowProgress(QProgressBar* bar = nullptr) : bar_(bar) {}
    void SetBar(QProgressBar* bar) { bar_ = bar; }
    void SetMessage(const std::string&) override {}
    void SetRange(long long min, long long max) override;
    void SetPosition(long long pos) override;
    void Pump() override;
    bool Busy() const { return busy_ > 0; }

    // Shows the bar and disables `controls` for the scope's lifetime.
    class Scope {
    public:
        Scope(WindowProgress& p, const std::vector<QWidget*>& controls);
        ~Scope();
        Scope(const Scope&) = delete;
        Scope& operator=(const Scope&) = delete;

    private:
        WindowProgress& p_;
        std::vector<QPointer<QWidget>> disabled_;
    };

private:
    QPointer<QProgressBar> bar_;
    QElapsedTimer timer_;
    int busy_ = 0;
};

}  // namespace zemba
