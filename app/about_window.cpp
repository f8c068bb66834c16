#include "app/about_window.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace zemba {

TAboutForm::TAboutForm(Options& options, QWidget* parent) : QDialog(parent), options_(options) {
    setObjectName("TAboutForm");
    setWindowTitle("About ZEMBA");
    auto* layout = new QVBoxLayout(this);
    auto* text = new QLabel(
        "<h2>ZEMBA</h2>"
        "<p>A desktop vector GIS: shapefile layers, their attributes and styles,<br>"
        "zoom, pan, print and export of the map view.</p>"
        "<p>Version 0.1</p>",
        this);
    text->setTextFormat(Qt::RichText);
    layout->addWidget(text);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

void TAboutForm::showEvent(QShowEvent* e) {
    move(options_.WindowLeft[WinAbout], options_.WindowTop[WinAbout]);
    QDialog::showEvent(e);
}

void TAboutForm::hideEvent(QHideEvent* e) {
    options_.WindowLeft[WinAbout] = x();
    options_.WindowTop[WinAbout] = y();
    QDialog::hideEvent(e);
}

}  // namespace zemba
