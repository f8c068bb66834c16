// The about window: the program's name, version and a short description.
#pragma once

#include <QDialog>

#include "app/options.h"

namespace zemba {

class TAboutForm : public QDialog {
    Q_OBJECT
public:
    // Keeps its position in `options` (window WinAbout), which must outlive it.
    TAboutForm(Options& options, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;

private:
    Options& options_;
};

}  // namespace zemba
