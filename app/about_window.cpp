#include "app/about_window.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QShowEvent>
#include <QTableWidget>
#include <QVBoxLayout>

namespace zemba {

namespace {

QString Text(const std::string& s) { return QString::fromLocal8Bit(s.c_str()); }

QString HtmlLines(const std::vector<InfoLine>& lines) {
    QString html = "<table cellspacing=2>";
    for (const InfoLine& l : lines)
        html += "<tr><td><b>" + Text(l.name).toHtmlEscaped() + "</b></td><td>" +
                Text(l.value).toHtmlEscaped() + "</td></tr>";
    return html + "</table>";
}

void WriteOptions(const InfoWindowSetup& s) {
    if (s.options && s.prompter && !s.optionsPath.empty()) SaveOptions(*s.options, s.optionsPath, *s.prompter);
}

}  // namespace

QPixmap ProgramPicture(int size) {
    // Drawn on a 64-unit sheet, as the icon file is.
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);
    p.setPen(QPen(QColor(30, 60, 110), 2));
    p.setBrush(QColor(220, 235, 250));
    p.drawRoundedRect(QRectF(3, 3, 58, 58), 8, 8);
    p.setPen(QPen(QColor(40, 100, 40), 1.5));
    p.setBrush(QColor(170, 215, 150));
    p.drawPolygon(QPolygonF({QPointF(9, 46), QPointF(16, 22), QPointF(30, 16), QPointF(44, 24),
                             QPointF(55, 18), QPointF(55, 50), QPointF(30, 55)}));
    p.setPen(QPen(QColor(40, 90, 200), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath river(QPointF(8, 30));
    river.cubicTo(QPointF(22, 26), QPointF(26, 44), QPointF(40, 38));
    river.cubicTo(QPointF(48, 35), QPointF(52, 40), QPointF(57, 36));
    p.drawPath(river);
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(QColor(210, 40, 40));
    p.drawEllipse(QPointF(34, 28), 4.5, 4.5);
    return pm;
}

TAboutForm::TAboutForm(const InfoWindowSetup& setup, QWidget* parent) : QDialog(parent), setup_(setup) {
    setObjectName("TAboutForm");
    setWindowTitle("About ZEMBA");
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    auto* picture = new QLabel(this);
    picture->setPixmap(ProgramPicture(72));
    picture->setAlignment(Qt::AlignTop);
    top->addWidget(picture);
    auto* text = new QLabel(this);
    text->setObjectName("AboutText");
    text->setTextFormat(Qt::RichText);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    text->setText("<h2>" + Text(ProgramTitle()) + "</h2>"
                  "<p>A desktop vector GIS: shapefile layers, their attributes and styles,<br>"
                  "zoom, pan, print and export of the map view.</p>" +
                  HtmlLines(ProgramInfo(setup_.optionsPath)));
    top->addWidget(text, 1);
    layout->addLayout(top);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    auto* sysInfo = buttons->addButton("&System Info...", QDialogButtonBox::ActionRole);
    sysInfo->setObjectName("SysInfoBtn");
    connect(sysInfo, &QPushButton::clicked, this, [this] {
        if (!sysInfo_) return;
        sysInfo_->show();
        sysInfo_->raise();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
}

void TAboutForm::showEvent(QShowEvent* e) {
    if (!e->spontaneous())
        move(setup_.options->WindowLeft[WinAbout], setup_.options->WindowTop[WinAbout]);
    QDialog::showEvent(e);
}

void TAboutForm::done(int r) {
    setup_.options->WindowLeft[WinAbout] = x();
    setup_.options->WindowTop[WinAbout] = y();
    WriteOptions(setup_);
    QDialog::done(r);
}

TSysInfoForm::TSysInfoForm(const InfoWindowSetup& setup, QWidget* parent) : QDialog(parent), setup_(setup) {
    setObjectName("TSysInfoForm");
    setWindowTitle("System Information");
    auto* layout = new QVBoxLayout(this);
    table_ = new QTableWidget(0, 2, this);
    table_->setObjectName("SysInfoTable");
    table_->setHorizontalHeaderLabels({"Item", "Value"});
    table_->verticalHeader()->hide();
    table_->verticalHeader()->setDefaultSectionSize(table_->fontMetrics().height() + 6);
    table_->horizontalHeader()->setStretchLastSection(true);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    layout->addWidget(table_);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    auto* copy = buttons->addButton("&Copy", QDialogButtonBox::ActionRole);
    connect(copy, &QPushButton::clicked, this, [this] {
        QApplication::clipboard()->setText(Text(InfoText(SystemInfo(setup_.optionsPath, setup_.programDir))));
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    layout->addWidget(buttons);
    resize(560, 460);
}

void TSysInfoForm::Fill() {
    const std::vector<InfoLine> lines = SystemInfo(setup_.optionsPath, setup_.programDir);
    table_->setRowCount(static_cast<int>(lines.size()));
    for (int i = 0; i < static_cast<int>(lines.size()); ++i) {
        table_->setItem(i, 0, new QTableWidgetItem(Text(lines[i].name)));
        table_->setItem(i, 1, new QTableWidgetItem(Text(lines[i].value)));
    }
    table_->resizeColumnToContents(0);
}

void TSysInfoForm::showEvent(QShowEvent* e) {
    if (!e->spontaneous()) {
        Fill();  // the screen or the options file may have changed
        move(setup_.options->SysInfoPos.Left, setup_.options->SysInfoPos.Top);
    }
    QDialog::showEvent(e);
}

void TSysInfoForm::done(int r) {
    setup_.options->SysInfoPos.Left = x();
    setup_.options->SysInfoPos.Top = y();
    WriteOptions(setup_);
    QDialog::done(r);
}

}  // namespace zemba
