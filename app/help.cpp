#include "app/help.h"

#include <QCoreApplication>
#include <QPointer>
#include <QString>
#include <QDialog>
#include <QDialogButtonBox>
#include <QTextBrowser>
#include <QVBoxLayout>
#include <QTimer>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

namespace zemba {

namespace {

std::string& HelpPath() {
    static std::string path;
    static bool set = false;
    if (!set) {
        set = true;
        if (QCoreApplication::instance())
            path = QCoreApplication::applicationDirPath().toStdString() + "/" + kHelpFileName;
    }
    return path;
}

// "@context 8000 Title" -> context and title; false when the number is missing.
bool ParseContextLine(const std::string& line, int& context, std::string& title) {
    const char* p = line.c_str() + 8;  // past "@context"
    while (*p == ' ' || *p == '\t') ++p;
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(p, &end, 10);
    if (end == p || errno == ERANGE || n < -2147483647L || n > 2147483647L) return false;
    if (*end != '\0' && *end != ' ' && *end != '\t' && *end != '\r') return false;
    context = static_cast<int>(n);
    p = end;
    while (*p == ' ' || *p == '\t') ++p;
    title = p;
    while (!title.empty() && (title.back() == '\r' || title.back() == ' ')) title.pop_back();
    return true;
}

std::string Escape(const std::string& s) {
    std::string out;
    for (char c : s) {
        if (c == '<') out += "&lt;";
        else if (c == '>') out += "&gt;";
        else if (c == '&') out += "&amp;";
        else out += c;
    }
    return out;
}

QPointer<QTextBrowser>& Window() {
    static QPointer<QTextBrowser> w;
    return w;
}

}  // namespace

std::vector<HelpSection> ParseHelpFile(const std::string& text) {
    std::vector<HelpSection> sections;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] == '#') continue;
        int context = 0;
        std::string title;
        if (line.compare(0, 8, "@context") == 0 && ParseContextLine(line, context, title)) {
            sections.push_back({context, title, {}});
            continue;
        }
        if (sections.empty()) continue;  // preamble
        sections.back().body += line;
        sections.back().body += '\n';
    }
    return sections;
}

std::string HelpHtml(const std::vector<HelpSection>& sections) {
    std::string html = "<html><body>\n<h2>ZEMBA Help</h2>\n<ul>\n";
    for (const HelpSection& s : sections)
        html += "<li><a href=\"#ctx" + std::to_string(s.context) + "\">" + Escape(s.title) +
                "</a></li>\n";
    html += "</ul>\n";
    for (const HelpSection& s : sections) {
        html += "<hr>\n<a name=\"ctx" + std::to_string(s.context) + "\"></a><h3>" +
                Escape(s.title) + "</h3>\n" + s.body;
    }
    html += "</body></html>\n";
    return html;
}

void SetHelpFile(const std::string& path) { HelpPath() = path; }

const std::string& HelpFile() { return HelpPath(); }

Result ShowHelp(int context, QWidget* parent) {
    const std::string& path = HelpPath();
    if (path.empty()) return Result::Fail("No help file is set");
    std::ifstream in(path, std::ios::binary);
    if (!in) return Result::Fail("Cannot open the help file " + path);
    std::ostringstream text;
    text << in.rdbuf();
    if (in.bad()) return Result::Fail("Cannot read the help file " + path);
    const std::vector<HelpSection> sections = ParseHelpFile(text.str());
    if (sections.empty()) return Result::Fail("The help file " + path + " holds no help");

    bool known = false;
    for (const HelpSection& s : sections) known = known || s.context == context;

    QPointer<QTextBrowser>& w = Window();
    if (!w) {
        // A window of its own with a Close button; Esc closes it too.
        auto* frame = new QDialog(parent, Qt::Window);
        frame->setObjectName(QStringLiteral("HelpWindow"));
        frame->setWindowTitle(QStringLiteral("ZEMBA Help"));
        frame->setAttribute(Qt::WA_DeleteOnClose, false);
        auto* layout = new QVBoxLayout(frame);
        w = new QTextBrowser(frame);
        w->setOpenExternalLinks(true);
        auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, frame);
        QObject::connect(buttons, &QDialogButtonBox::rejected, frame, &QDialog::reject);
        layout->addWidget(w, 1);
        layout->addWidget(buttons);
        frame->resize(560, 480);
    }
    const std::string html = HelpHtml(sections);
    w->setHtml(QString::fromLatin1(html.data(), static_cast<int>(html.size())));
    QWidget* frame = w->window();
    frame->show();
    frame->raise();
    frame->activateWindow();
    if (known && context != kHelpContents) {
        const QString anchor = QString::fromLatin1("ctx") + QString::number(context);
        w->scrollToAnchor(anchor);
        // Once more after the first layout, which a new window has not had yet.
        QPointer<QTextBrowser> later = w;
        QTimer::singleShot(0, w, [later, anchor] {
            if (later) later->scrollToAnchor(anchor);
        });
    }
    return Result::Ok();
}

}  // namespace zemba
