#include "app/qt_prompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QHeaderView>
#include <QTreeView>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QByteArray>
#include <QFile>
#include <QScreen>
#include <QString>
#include <QStringDecoder>

#include "app/option_tools.h"

namespace zemba {

namespace {

QString Latin1(const std::string& s) {
    return QString::fromLatin1(s.data(), static_cast<int>(s.size()));
}

QString LocalPath(const std::string& s) { return FsName(s); }
std::string FromLocalPath(const QString& s) { return FromFsName(s); }

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

QString FsName(const std::string& path) {
    return QFile::decodeName(QByteArray(path.data(), static_cast<int>(path.size())));
}

std::string FromFsName(const QString& path) { return QFile::encodeName(path).toStdString(); }

QString ShownText(const std::string& text) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString s = utf8.decode(QByteArrayView(text.data(), static_cast<qsizetype>(text.size())));
    if (!utf8.hasError()) return s;
    return Latin1(text);
}

std::string FilterExtension(const std::string& nameFilter) {
    // The first pattern between the last parentheses: "A (*.shp *.zmp)" -> "shp".
    const auto open = nameFilter.rfind('(');
    std::string patterns = open == std::string::npos ? nameFilter : nameFilter.substr(open + 1);
    const auto star = patterns.find("*.");
    if (star == std::string::npos) return {};
    std::string ext;
    for (std::size_t i = star + 2; i < patterns.size(); ++i) {
        const char c = patterns[i];
        if (c == ' ' || c == ')' || c == ';' || c == ',' || c == '*' || c == '?') break;
        ext += c;
    }
    return ext;
}

std::string WithFilterExtension(const std::string& path, const std::string& nameFilter) {
    const auto slash = path.rfind('/');
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty() || name.find('.') != std::string::npos) return path;
    const std::string ext = FilterExtension(nameFilter);
    return ext.empty() ? path : path + "." + ext;
}

std::string QtFileFilter(const std::string& filter) {
    if (filter.empty()) return {};
    const std::vector<std::string> parts = SplitBar(filter);
    std::string out;
    for (std::size_t i = 0; i < parts.size(); i += 2) {
        std::string name = parts[i];
        // A name that lists its own patterns shows the real list once.
        const auto paren = name.find('(');
        if (paren != std::string::npos) {
            name.erase(paren);
            while (!name.empty() && name.back() == ' ') name.pop_back();
        }
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

QWidget* QtPrompter::Owner() const {
    // The window the user works in asked: the box stays on top of it, and
    // closing the box does not bring the main window over it.
    QWidget* active = QApplication::activeWindow();
    if (active && active->isVisible() && active->isWindow()) return active;
    return parent_;
}

Answer QtPrompter::Run(QMessageBox& box) {
    box.setTextFormat(Qt::PlainText);
    // move() marks the box as placed, so Qt does not centre it on its parent.
    // A typed position may be anywhere: keep all of the box on a screen.
    // Until the user sets the message position, a box opens over the window
    // that asked, not at a corner of the main window.
    const bool placed = options_.MessageX != kDefaultWindowPlace || options_.MessageY != kDefaultWindowPlace;
    QPoint at(options_.MessageX, options_.MessageY);
    if (!placed) {
        QWidget* owner = box.parentWidget() ? box.parentWidget()->window() : nullptr;
        if (owner && owner->isVisible()) {
            const QSize size = box.sizeHint();
            at = owner->frameGeometry().center() - QPoint(size.width() / 2, size.height() / 2);
        }
    }
    QScreen* screen = QGuiApplication::screenAt(at);
    if (!screen) screen = parent_ ? parent_->screen() : QGuiApplication::primaryScreen();
    if (screen) {
        const QRect area = screen->availableGeometry();
        const QSize size = box.sizeHint();
        const BoxPlace p = ClampBoxToScreen(at.x(), at.y(), size.width(), size.height(), area.x(),
                                            area.y(), area.width(), area.height());
        at = QPoint(p.x, p.y);
    }
    box.move(at);
    // Above every tool window (the identify window stays on top), with the
    // focus: a question hidden under a tool window cannot be answered.
    box.setWindowFlag(Qt::WindowStaysOnTopHint, true);
    box.setWindowModality(Qt::ApplicationModal);
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
                    ShownText(DisplayText(MessageText(family, number, value))), QMessageBox::NoButton,
                    Owner());
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
                    ShownText(DisplayText(text)), QMessageBox::Yes | QMessageBox::No, Owner());
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    Answer a = Run(box);
    return a == Answer::Yes ? Answer::Yes : Answer::No;
}

Answer QtPrompter::AskSaveChanges(const std::string& text, bool withAll) {
    sounds_.Play(MsgFamily::YesCancelAll);
    QMessageBox box(QMessageBox::Question, QString::fromLatin1(MessageTitle(MsgFamily::YesCancelAll)),
                    ShownText(DisplayText(text)), QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel,
                    Owner());
    if (withAll) {
        box.addButton(QMessageBox::YesToAll);
        box.button(QMessageBox::YesToAll)->setText(QStringLiteral("All"));
    }
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    const Answer a = Run(box);
    return a == Answer::None ? Answer::Cancel : a;
}

void QtPrompter::ShowErrorText(const std::string& text) {
    sounds_.Play(MsgFamily::Error);
    QMessageBox box(QMessageBox::Critical, QString::fromLatin1(MessageTitle(MsgFamily::Error)),
                    ShownText(DisplayText(text)), QMessageBox::Ok, Owner());
    Run(box);
}

void QtPrompter::ShowWarningText(const std::string& text) {
    sounds_.Play(MsgFamily::Warning);
    QMessageBox box(QMessageBox::Warning, QString::fromLatin1(MessageTitle(MsgFamily::Warning)),
                    Latin1(DisplayText(text)), QMessageBox::Ok, Owner());
    Run(box);
}

Answer QtPrompter::AbortRetryIgnore(const std::string& text) {
    sounds_.Play(MsgFamily::Warning);
    QMessageBox box(QMessageBox::Warning, QString::fromLatin1(MessageTitle(MsgFamily::Warning)),
                    ShownText(DisplayText(text)),
                    QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore, Owner());
    box.setDefaultButton(QMessageBox::Abort);
    box.setEscapeButton(QMessageBox::Abort);
    Answer a = Run(box);
    return a == Answer::None ? Answer::Abort : a;
}

namespace {

// The file dialogs open wide enough for their name, size, type and date
// columns.
constexpr int kDialogWidth = 900;
constexpr int kDialogHeight = 560;

// The size, type and date columns as wide as what they show ("45.2 KiB",
// "09/12/2026 16:07"), not cut to dots; the name takes the rest.
void FitColumns(QFileDialog& dialog) {
    dialog.setOption(QFileDialog::DontUseNativeDialog, true);
    dialog.setViewMode(QFileDialog::Detail);
    auto fit = [&dialog] {
        if (auto* view = dialog.findChild<QTreeView*>("treeView")) {
            view->header()->setStretchLastSection(false);
            for (int c = 1; c < view->model()->columnCount(); ++c) view->resizeColumnToContents(c);
            view->header()->setSectionResizeMode(0, QHeaderView::Stretch);
        }
    };
    fit();
    if (auto* model = dialog.findChild<QFileSystemModel*>())
        QObject::connect(model, &QFileSystemModel::directoryLoaded, &dialog, [fit](const QString&) { fit(); });
}

QStringList NameFilters(const std::string& filter) {
    const QString f = QString::fromLatin1(QtFileFilter(filter).c_str());
    return f.isEmpty() ? QStringList() : f.split(QStringLiteral(";;"));
}

}  // namespace

std::string QtPrompter::ChooseOpenFile(const std::string& title, const std::string& dir,
                                       const std::string& filter) {
    QFileDialog dialog(Owner(), Latin1(title), LocalPath(dir));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters(NameFilters(filter));
    dialog.resize(kDialogWidth, kDialogHeight);
    FitColumns(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return FromLocalPath(dialog.selectedFiles().first());
}

std::string QtPrompter::ChooseSaveFile(const std::string& title, const std::string& dir,
                                       const std::string& filter, const std::string& suggested) {
    QString start = LocalPath(dir);
    QFileDialog dialog(Owner(), Latin1(title), start);
    dialog.setAcceptMode(QFileDialog::AcceptSave);  // asks before overwriting
    dialog.setFileMode(QFileDialog::AnyFile);
    const QStringList filters = NameFilters(filter);
    dialog.setNameFilters(filters);
    // A name typed without an extension takes the chosen filter's, as file
    // dialogs on every desktop do.
    auto suffixFor = [](const QString& nameFilter) {
        return QString::fromStdString(FilterExtension(nameFilter.toStdString()));
    };
    if (!filters.isEmpty()) dialog.setDefaultSuffix(suffixFor(filters.first()));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                     [&dialog, suffixFor](const QString& f) { dialog.setDefaultSuffix(suffixFor(f)); });
    if (!suggested.empty()) dialog.selectFile(LocalPath(suggested));
    dialog.resize(kDialogWidth, kDialogHeight);
    FitColumns(dialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return WithFilterExtension(FromLocalPath(dialog.selectedFiles().first()),
                               dialog.selectedNameFilter().toStdString());
}

}  // namespace zemba
