// ZEMBA: start-up. Creates the main window and then the other windows, opens
// the files named on the command line and runs the message loop.
#include <QApplication>
#include <QCoreApplication>
#include <QDialog>
#include <QFile>
#include <QIcon>
#include <QScreen>
#include <QMessageBox>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>
#include <vector>

#include "app/about_window.h"
#include "app/help.h"
#include "app/main_window.h"
#include "app/messages.h"
#include "app/options.h"
#include "app/options_window.h"
#include "app/qt_progress.h"
#include "app/qt_prompter.h"
#include "core/file_io.h"
#include "core/layer_store.h"

namespace {

// Every command runs from an event: a failed allocation in one ends that
// command with a message, not the program.
class ZembaApplication : public QApplication {
public:
    using QApplication::QApplication;
    bool notify(QObject* receiver, QEvent* event) override {
        try {
            return QApplication::notify(receiver, event);
        } catch (const std::bad_alloc&) {
            const std::string text = zemba::OutOfMemoryText();
            std::fprintf(stderr, "zemba: %s\n", text.c_str());
            QMessageBox::critical(nullptr, "ZEMBA", QString::fromLocal8Bit(text.c_str()));
            return false;
        }
    }
};

void Usage() {
    std::printf(
        "usage: zemba [--quit-after-ms N] [--snapshot FILE.png] [FILE.shp|FILE.bmp ...]\n"
        "       zemba --help | --version\n"
        "  Opens the files given, as Vector > Open does.\n"
        "  --quit-after-ms N  closes the main window after N ms (also ZEMBA_QUIT_AFTER_MS)\n"
        "  --snapshot FILE    saves a picture of the main window just before that\n");
}

}  // namespace

int main(int argc, char** argv) {
    // Help and version need no display: answer them before the application
    // object, which aborts without one.
    for (int k = 1; k < argc; ++k) {
        const std::string a = argv[k];
        if (a == "--help" || a == "-h") {
            Usage();
            return 0;
        }
        if (a == "--version" || a == "-v") {
            std::printf("zemba %s\n", ZEMBA_VERSION);
            return 0;
        }
        // Values of options are not taken for options themselves.
        if (a == "--quit-after-ms" || a == "--snapshot") ++k;
    }
    ZembaApplication app(argc, argv);
    QApplication::setApplicationName("ZEMBA");
    QApplication::setApplicationVersion(QString::fromStdString(zemba::ProgramVersion()));
    // The desktop matches windows to zemba.desktop by this name.
    QGuiApplication::setDesktopFileName("zemba");
    QApplication::setWindowIcon(QIcon(zemba::ProgramPicture(64)));
    // No help file until the main window sets its own.
    zemba::SetHelpFile("");

    long quitAfterMs = 0;
    if (const char* env = std::getenv("ZEMBA_QUIT_AFTER_MS")) quitAfterMs = std::atol(env);
    std::string snapshot;
    std::vector<std::string> files;
    const QStringList args = QCoreApplication::arguments();
    for (int k = 1; k < args.size(); ++k) {
        const QString& a = args[k];
        if (a == "--quit-after-ms" && k + 1 < args.size()) {
            quitAfterMs = args[++k].toLong();
        } else if (a == "--snapshot" && k + 1 < args.size()) {
            snapshot = QFile::encodeName(args[++k]).toStdString();
        } else if (a.startsWith("--")) {
            std::fprintf(stderr, "zemba: unknown option %s\n", a.toLocal8Bit().constData());
            Usage();
            return 2;
        } else {
            files.push_back(QFile::encodeName(a).toStdString());
        }
    }

    const std::string programDir = QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString() + "/";
    zemba::Options options;
    zemba::SystemSoundPlayer player;
    zemba::MessageSounds sounds(options, player, programDir, player.HasWavePlayer());
    zemba::QtPrompter prompter(options, sounds);
    zemba::QtProgress progress;
    zemba::LayerStore store;

    // The run ends at its time whatever box is open, even one the start-up
    // shows before the main window exists (a damaged options file): such a
    // box runs its own loop, so it is closed, then every loop is left.
    bool pastDeadline = false;
    QTimer deadline;
    if (quitAfterMs > 0) {
        deadline.setInterval(250);
        QObject::connect(&deadline, &QTimer::timeout, [&pastDeadline] {
            pastDeadline = true;
            if (QWidget* box = QApplication::activeModalWidget()) {
                if (auto* dialog = qobject_cast<QDialog*>(box))
                    dialog->reject();
                else
                    box->hide();
            }
            QCoreApplication::exit(0);
        });
        QTimer::singleShot(quitAfterMs + 3000, &deadline, [&deadline] { deadline.start(); });
    }

    zemba::MainWindowSetup setup;
    setup.store = &store;
    setup.options = &options;
    setup.prompter = &prompter;
    setup.progress = &progress;
    setup.programDir = programDir;
    setup.optionsPath = zemba::OptionsFilePath(programDir);
    setup.showSplash = quitAfterMs <= 0;
    setup.soundFacilityFound = player.HasWavePlayer();
    QScreen* screen = QGuiApplication::primaryScreen();
    setup.screenDepth = screen ? screen->depth() : 24;

    // The main window first: its creation runs before any other window
    // exists. Then the other windows, which live until exit.
    zemba::TZeEditForm form(setup);
    prompter.SetParent(&form);
    if (form.TerminateRequested()) return 1;
    if (pastDeadline) return 0;
    zemba::InfoWindowSetup info{&options, &prompter, setup.optionsPath, programDir};
    zemba::TAboutForm about(info, &form);
    zemba::TSysInfoForm sysInfo(info, &form);
    about.SetSystemInfoWindow(&sysInfo);
    form.SetAboutWindow(&about);
    zemba::AttachOptionsWindow(form, setup);

    form.show();
    if (!files.empty()) QTimer::singleShot(0, &form, [&form, files] { form.OpenStartFiles(files); });

    if (quitAfterMs > 0) {
        QTimer::singleShot(quitAfterMs, &form, [&form, snapshot] {
            if (!snapshot.empty()) {
                QPixmap shot = form.grab();
                if (!shot.save(QFile::decodeName(snapshot.c_str())))
                    std::fprintf(stderr, "zemba: cannot write %s\n", snapshot.c_str());
            }
            form.close();
        });
    }
    return app.exec();
}
