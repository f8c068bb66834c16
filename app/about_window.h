// The about window and the system information window.
#pragma once

#include <QDialog>
#include <QPixmap>
#include <QPointer>

#include "app/options.h"
#include "app/program_info.h"

class QTableWidget;

namespace zemba {

// The program's picture (the map sheet of the icon), `size` pixels square.
QPixmap ProgramPicture(int size);

class TAboutForm : public QDialog {
    Q_OBJECT
public:
    // Keeps its position in the options (window WinAbout).
    explicit TAboutForm(const InfoWindowSetup& setup, QWidget* parent = nullptr);
    // The window its "System Info..." button shows.
    void SetSystemInfoWindow(QWidget* w) { sysInfo_ = w; }

protected:
    void showEvent(QShowEvent* e) override;
    void done(int r) override;

private:
    InfoWindowSetup setup_;
    QPointer<QWidget> sysInfo_;
};

class TSysInfoForm : public QDialog {
    Q_OBJECT
public:
    // Keeps its position in options.SysInfoPos.
    explicit TSysInfoForm(const InfoWindowSetup& setup, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* e) override;
    void done(int r) override;

private:
    void Fill();
    InfoWindowSetup setup_;
    QTableWidget* table_ = nullptr;
};

}  // namespace zemba
