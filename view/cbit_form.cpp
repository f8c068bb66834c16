#include "view/cbit_form.h"

#include <QDialogButtonBox>
#include <algorithm>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "view/viewport.h"

namespace zemba {

namespace {
std::int32_t* placeLeft = nullptr;
std::int32_t* placeTop = nullptr;
}  // namespace

void TCBitForm::KeepPlaceIn(std::int32_t* left, std::int32_t* top) {
    placeLeft = left;
    placeTop = top;
}

void TCBitForm::done(int r) {
    if (placeLeft && placeTop) {
        *placeLeft = x();
        *placeTop = y();
    }
    QDialog::done(r);
}

TCBitForm::TCBitForm(Prompter& prompter, QWidget* parent)
    : QDialog(parent),
      prompter_(prompter),
      widthLabel_(new QLabel("Width")),
      heightLabel_(new QLabel("Height")),
      widthEdit_(new QLineEdit),
      heightEdit_(new QLineEdit) {
    setObjectName("TCBitForm");
    widthEdit_->setObjectName("WidthEdit");
    heightEdit_->setObjectName("HeightEdit");
    auto* grid = new QGridLayout;
    grid->addWidget(widthLabel_, 0, 0);
    grid->addWidget(widthEdit_, 0, 1);
    grid->addWidget(heightLabel_, 1, 0);
    grid->addWidget(heightEdit_, 1, 1);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Help);
    connect(buttons, &QDialogButtonBox::helpRequested, this, [this] {
        if (Help) Help();
    });
    if (placeLeft && placeTop) move(*placeLeft, *placeTop);
    connect(buttons, &QDialogButtonBox::accepted, this, &TCBitForm::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TCBitForm::reject);
    auto* box = new QVBoxLayout(this);
    box->addLayout(grid);
    box->addWidget(buttons);
    Initializer(0);
}

void TCBitForm::Initializer(int mode, const std::string& layerName) {
    mode_ = mode;
    if (mode == 0) {
        setWindowTitle("Create Bitmap");
        widthLabel_->setText("Width");
        widthEdit_->clear();
        heightEdit_->clear();
        heightLabel_->show();
        heightEdit_->show();
    } else {
        setWindowTitle("Create New Layer");
        widthLabel_->setText("New Layer Name");
        widthEdit_->setText(QFile::decodeName(layerName.c_str()));  // a file name
        // Wide enough for the whole path, shown from its start.
        const int wanted = widthEdit_->fontMetrics().horizontalAdvance(widthEdit_->text()) + 24;
        widthEdit_->setMinimumWidth(std::clamp(wanted, 200, 720));
        widthEdit_->setCursorPosition(0);
        heightLabel_->hide();
        heightEdit_->hide();
    }
}

std::string TCBitForm::EnteredText() const { return QFile::encodeName(widthEdit_->text()).toStdString(); }

void TCBitForm::accept() {
    if (mode_ == 0) {
        int w = 0, h = 0;
        if (!CheckBitmapSizeEntry(widthEdit_->text().toLatin1().toStdString(),
                                  heightEdit_->text().toLatin1().toStdString(), prompter_, w, h))
            return;  // stays open
        width_ = w;
        height_ = h;
    }
    QDialog::accept();
}

bool RunCreateSizeDialog(Prompter& prompter, ViewState& view, QWidget* parent, std::function<void()> help) {
    TCBitForm form(prompter, parent);
    form.Help = std::move(help);
    form.Initializer(0);
    if (form.exec() != QDialog::Accepted) return false;
    return SetBitmapSize(view, form.EnteredWidth(), form.EnteredHeight());
}

}  // namespace zemba
