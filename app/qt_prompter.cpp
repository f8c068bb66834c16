#include "app/qt_prompter.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QString>

namespace zemba {

namespace {

QString Latin1(const std::string& s) {
    return QString::fromLatin1(s.data(), static_cast<int>(s.size()));
}

// File names go through the local 8-bit encoding so that a non-Latin-1 name
// still names the file on disk.
QString LocalPath(const std::string& s) { return QString::fromLocal8Bit(s.c_str()); }
std::string FromLocalPath(const QString& s) { return s.toLocal8Bit().toStdString(); }

QMessageBox::Icon IconOf(MsgFamily family) {
    switch (family) {
    case MsgFamily::ErrorNumber:
    case MsgFamily::Error:
        return QMessageBox::Critical;
    case MsgFamily::Info:
        return QMessageBox::Information;
    case MsgFamily::YesNo:
    case MsgFamily::YesCancelAll:
        return QMessageBox::Question;
    case MsgFamily::Warning:
        return QMessageBox::Warning;
    }
    return QMessageBox::NoIcon;
}

std::vector<std::string> SplitBar(const std::string& s) {
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    for (;;) {
        std::string::size_type bar = s.find('|', start);
        parts.push_back(s.substr(start, bar == std::string::npos ? std::string::npos : bar - start));
        if (bar == std::string::npos) break;
        start = bar + 1;
    }
    return parts;
}

}  // namespace

std::string QtFileFilter(const std::string& filter) {
    if (filter.empty()) return {};
    const std::vector<std::string> parts = SplitBar(filter);
    std::string out;
    for (std::size_t i = 0; i < parts.size(); i += 2) {
        const std::string& name = parts[i];
        std::string patterns = i + 1 < parts.size() ? parts[i + 1] : name;
        for (char& c : patterns)
            if (c == ';') c = ' ';
        if (!out.empty()) out += ";;";
        out += name + " (" + patterns + ")";
    }
    return out;
}

std::string DisplayText(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

QtPrompter::QtPrompter(const Options& options, MessageSounds& sounds, QWidget* parent)
    : options_(options), sounds_(sounds), parent_(parent) {}

Answer QtPrompter::Run(QMessageBox& box) {
    box.setTextFormat(Qt::PlainText);
    // move() marks the box as placed, so Qt does not centre it on its parent.
    box.move(options_.MessageX, options_.MessageY);
    if (hook_) hook_(&box, hookContext_);
    box.exec();
    QAbstractButton* clicked = box.clickedButton();
    if (!clicked) return Answer::None;
    switch (box.standardButton(clicked)) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    case QMessageBox::YesToAll:
        return Answer::All;
    case QMessageBox::Abort:
        return Answer::Abort;
    case QMessageBox::Retry:
        return Answer::Retry;
    case QMessageBox::Ignore:
        return Answer::Ignore;
    default:
        return Answer::None;
    }
}

Answer QtPrompter::Message(MsgFamily family, int number, const std::string& value) {
    if (!MessageIsShown(family, number)) return Answer::None;
    sounds_.Play(family);

    QMessageBox box(IconOf(family), QString::fromLatin1(MessageTitle(family)),
                    Latin1(DisplayText(MessageText(family, number, value))), QMessageBox::NoButton,
                    parent_);
    switch (family) {
    case MsgFamily::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        break;
    case MsgFamily::YesCancelAll: {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::Cancel | QMessageBox::YesToAll);
        box.button(QMessageBox::YesToAll)->setText(QStringLiteral("All"));
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        break;
    }
    default:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    Answer a = Run(box);
    if (a == Answer::None) {
        if (family == MsgFamily::YesNo) return Answer::No;
        if (family == MsgFamily::YesCancelAll) return Answer::Cancel;
        return Answer::Ok;
    }
    return a;
}

Answer QtPrompter::AskYesNoText(const std::string& text) {
    sounds_.Play(MsgFamily::YesNo);
    QMessageBox box(QMessageBox::Question, QString::fromLatin1(MessageTitle(MsgFamily::YesNo)),
                    Latin1(DisplayText(text)), QMessageBox::Yes | QMessageBox::No, parent_);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    Answer a = Run(box);
    return a == Answer::Yes ? Answer::Yes : Answer::No;
}

void QtPrompter::ShowErrorText(const std::string& text) {
    sounds_.Play(MsgFamily::Error);
    QMessageBox box(QMessageBox::Critical, QString::fromLatin1(MessageTitle(MsgFamily::Error)),
                    Latin1(DisplayText(text)), QMessageBox::Ok, parent_);
    Run(box);
}

void QtPrompter::ShowWarningText(const std::string& text) {
    sounds_.Play(MsgFamily::Warning);
    QMessageBox box(QMessageBox::Warning, QString::fromLatin1(MessageTitle(MsgFamily::Warning)),
                    Latin1(DisplayText(text)), QMessageBox::Ok, parent_);
    Run(box);
}

Answer QtPrompter::AbortRetryIgnore(const std::string& text) {
    sounds_.Play(MsgFamily::Warning);
    QMessageBox box(QMessageBox::Warning, QString::fromLatin1(MessageTitle(MsgFamily::Warning)),
                    Latin1(DisplayText(text)),
                    QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore, parent_);
    box.setDefaultButton(QMessageBox::Abort);
    box.setEscapeButton(QMessageBox::Abort);
    Answer a = Run(box);
    return a == Answer::None ? Answer::Abort : a;
}

std::string QtPrompter::ChooseOpenFile(const std::string& title, const std::string& dir,
                                       const std::string& filter) {
    const QString path = QFileDialog::getOpenFileName(parent_, Latin1(title), LocalPath(dir),
                                                      Latin1(QtFileFilter(filter)));
    return FromLocalPath(path);
}

std::string QtPrompter::ChooseSaveFile(const std::string& title, const std::string& dir,
                                       const std::string& filter, const std::string& suggested) {
    QString start = LocalPath(dir);
    if (!suggested.empty()) {
        if (!start.isEmpty() && !start.endsWith(QLatin1Char('/'))) start += QLatin1Char('/');
        start += LocalPath(suggested);
    }
    // QFileDialog asks before overwriting by default.
    const QString path =
        QFileDialog::getSaveFileName(parent_, Latin1(title), start, Latin1(QtFileFilter(filter)));
    return FromLocalPath(path);
}

}  // namespace zemba
