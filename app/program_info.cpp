#include "app/program_info.h"

#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QSysInfo>
#include <QtGlobal>

#include "app/help.h"

// Set by the build from the project and pkg-config.
#ifndef ZEMBA_VERSION
#define ZEMBA_VERSION "unknown"
#endif
#ifndef ZEMBA_BUILD_TYPE
#define ZEMBA_BUILD_TYPE ""
#endif
#ifndef ZEMBA_SHAPELIB_VERSION
#define ZEMBA_SHAPELIB_VERSION "unknown"
#endif
#ifndef ZEMBA_GCTP_VERSION
#define ZEMBA_GCTP_VERSION "unknown"
#endif
#ifndef ZEMBA_SQLITE_VERSION
#define ZEMBA_SQLITE_VERSION "unknown"
#endif

namespace zemba {

std::string ProgramVersion() { return ZEMBA_VERSION; }

std::string ProgramTitle() { return "ZEMBA " + ProgramVersion(); }

std::string BuildDescription() {
    std::string s = ZEMBA_BUILD_TYPE;
#if defined(__clang__)
    s += (s.empty() ? "" : ", ") + std::string("clang ") + __clang_version__;
#elif defined(__GNUC__)
    s += (s.empty() ? "" : ", ") + std::string("GCC ") + __VERSION__;
#endif
    s += std::string(", C++") + std::to_string(__cplusplus / 100 % 100);
    return s;
}

std::vector<InfoLine> ProgramInfo(const std::string& optionsPath) {
    return {
        {"Program", "ZEMBA, a desktop vector GIS"},
        {"Version", ProgramVersion()},
        {"Build", BuildDescription()},
        {"Qt", std::string(qVersion()) + " (built with " QT_VERSION_STR ")"},
        {"shapelib", ZEMBA_SHAPELIB_VERSION},
        {"GCTP", ZEMBA_GCTP_VERSION},
        {"SQLite", ZEMBA_SQLITE_VERSION},
        {"Options file", optionsPath.empty() ? std::string("(none)") : optionsPath},
    };
}

std::vector<InfoLine> SystemInfo(const std::string& optionsPath, const std::string& programDir) {
    std::vector<InfoLine> lines = ProgramInfo(optionsPath);
    lines.push_back({"System", QSysInfo::prettyProductName().toStdString()});
    lines.push_back({"Kernel", (QSysInfo::kernelType() + " " + QSysInfo::kernelVersion()).toStdString()});
    lines.push_back({"Processor", QSysInfo::currentCpuArchitecture().toStdString()});
    lines.push_back({"Window system", QGuiApplication::platformName().toStdString()});
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        const QSize size = s->size();
        lines.push_back({"Screen", std::to_string(size.width()) + " x " + std::to_string(size.height()) +
                                       ", " + std::to_string(s->depth()) + " bits a pixel"});
    }
    lines.push_back({"Locale", QLocale::system().name().toStdString()});
    lines.push_back({"Program folder", programDir});
    lines.push_back({"Help file", HelpFile().empty() ? std::string("(none)") : HelpFile()});
    return lines;
}

std::string InfoText(const std::vector<InfoLine>& lines) {
    std::string out;
    for (const InfoLine& l : lines) out += l.name + ": " + l.value + "\n";
    return out;
}

}  // namespace zemba
