#include "mapping/proj_messages_form.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextCursor>
#include <algorithm>
#include <QHBoxLayout>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>

#include "mapping/map_commands.h"
#include "mapping/map_form.h"

namespace zemba {

TProjMessagesForm::TProjMessagesForm(const LayerStore& store, Prompter& prompter, QWidget* parent)
    : QWidget(parent, Qt::Window), store_(store), prompter_(prompter) {
    setObjectName("TProjMessagesForm");
    setWindowTitle("Projection Messages");
    auto* layout = new QVBoxLayout(this);
    memo_ = new QTextEdit(this);
    memo_->setObjectName("MessagesMemo");
    memo_->setReadOnly(true);
    memo_->setLineWrapMode(QTextEdit::NoWrap);
    memo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    memo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    layout->addWidget(memo_);
    progress_ = new QProgressBar(this);
    layout->addWidget(progress_);
    auto* buttons = new QHBoxLayout;
    auto* print = new QPushButton("Print Log", this);
    print->setObjectName("PrintLogBtn");
    auto* save = new QPushButton("Save Log: Projectname.log", this);
    save->setObjectName("SaveLogBtn");
    auto* help = new QPushButton("Help", this);
    help->setObjectName("HelpBtn");
    buttons->addWidget(print);
    buttons->addWidget(save);
    buttons->addWidget(help);
    layout->addLayout(buttons);
    connect(help, &QPushButton::clicked, this, [this] { emit helpRequested(kProjMessagesHelp); });
    connect(print, &QPushButton::clicked, this, [this] { PrintLog(); });
    connect(save, &QPushButton::clicked, this, [this] {
        Result r = SaveLog();
        if (!r) prompter_.ShowErrorText("Log not saved:\r\n" + r.reason);
    });
    resize(560, 360);
}

void TProjMessagesForm::Append(const std::string& line) {
    lines_.push_back(line);
    memo_->append(QString::fromLatin1(line.c_str()));
}

void TProjMessagesForm::Alert() {
    if (!isVisible()) show();
    // On the screen, wherever it was left.
    if (QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen()) {
        const QRect avail = screen->availableGeometry();
        const QRect f = frameGeometry();
        const int x = std::clamp(f.x(), avail.left(), std::max(avail.left(), avail.right() - f.width()));
        const int y = std::clamp(f.y(), avail.top(), std::max(avail.top(), avail.bottom() - f.height()));
        if (x != f.x() || y != f.y()) move(x, y);
    }
    raise();
    // The newest block from its first line, at the left edge.
    const int first = std::clamp(newestBlock_, 0, std::max(0, memo_->document()->blockCount() - 1));
    memo_->moveCursor(QTextCursor::End);
    memo_->ensureCursorVisible();
    QTextCursor c(memo_->document()->findBlockByNumber(first));
    memo_->setTextCursor(c);
    memo_->ensureCursorVisible();
    memo_->horizontalScrollBar()->setValue(0);
    newestBlock_ = memo_->document()->blockCount();
}

void TProjMessagesForm::closeEvent(QCloseEvent* e) {
    placed_ = true;
    place_ = pos();
    emit closed();
    QWidget::closeEvent(e);
}

void TProjMessagesForm::showEvent(QShowEvent* e) {
    if (placed_) move(place_);
    QWidget::showEvent(e);
}

Result TProjMessagesForm::SaveLog() { return SaveProjectionLog(lines_, ProjectionLogPath(store_)); }

void TProjMessagesForm::PrintLog() {
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    QTextDocument doc;
    doc.setPlainText(QString::fromLocal8Bit((store_.ProjectPath + store_.ProjectName).c_str()) + "\n\n" +
                     memo_->toPlainText());
    doc.print(&printer);
}

}  // namespace zemba
