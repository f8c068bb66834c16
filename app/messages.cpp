#include "app/messages.h"

#include <QApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <sys/stat.h>

namespace zemba {

namespace {

struct Entry {
    int number;
    const char* text;
};

const Entry kInfo[] = {
    {4, "Not a Number"},
    {5, "Set Layer Label Properties first"},
    {7, "File Exists\r\nInput a different name"},
    {9999, "Resistance is futile\r\nAll Messages end here"},
};

const Entry kYesNo[] = {
    {3, "Map Modified. Save changes?"},
};

const Entry kWarning[] = {
    {40, "Converts 32 to 24 bit Color images"},
};

const Entry kError[] = {
    {2, "Cannot locate WINMM.DLL or MMSYSTEM.DLL.. no sounds"},
    {3, "File rename error"},
    {4, "No attribute file exists"},
    {5, "No attribute to Db files found "},
    {6, "Export Filename.ext must be 8.3: Filename too long \r\nReduce-Change the Filename and Press OK again"},
    {7, "Select a DLG file to Import-> Shape Export"},
    {8, "Table not made"},
    {9, "X Error"},
    {10, "Y Error"},
    {11, "File MUST be a DLG file"},
    {12, "Please Select a DLG File"},
    {13, "I do not do MultiPatch...\r\nshow me a MultiPatch"},
    {14, "Area Lines got Lost"},
    {15, "SoManyPoints overflow"},
    {18, "I do not do Special Features...\r\nstill working on Special Features"},
    {19, "file not loaded"},
    {20, "Database file not found"},
    {21, "Points are NOT Soiled"},
    {30002, "File has BOTH CR AND LF... I quit"},
    {30003, "Select an input .dlg file and a shape file deposit location"},
    {30004, "File has NO Cr or LF... I quit"},
};

template <std::size_t N>
std::string Lookup(const Entry (&table)[N], int number) {
    for (const Entry& e : table)
        if (e.number == number) return e.text;
    return {};
}

bool FileExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// The catalogue text stays as it is; a caller's reason follows on its own
// line.
std::string WithReason(const std::string& text, const std::string& reason) {
    if (reason.empty() || text.empty()) return text;
    return text + "\r\n" + reason;
}

}  // namespace

bool WarnNoWavePlayer(const Options& options, bool playerFound) {
    if (playerFound || !options.SoundIsWave) return false;
    for (bool on : options.SoundOn)
        if (on) return true;
    return false;
}

std::string MessageText(MsgFamily family, int number, const std::string& value) {
    switch (family) {
    case MsgFamily::ErrorNumber:
        if (number == 0) return {};
        return "Error in File data Number: \r\n" + std::to_string(number) + "\r\n" + value;
    case MsgFamily::Info:
        return WithReason(Lookup(kInfo, number), value);
    case MsgFamily::YesNo:
        return WithReason(Lookup(kYesNo, number), value);
    case MsgFamily::YesCancelAll:
        if (number == 2) return "Print 1 [OK] or [All] " + value + " pages?";
        if (number == 3) return "Shape Layer" + value + " Modified. Save changes?";
        return {};
    case MsgFamily::Warning:
        return WithReason(Lookup(kWarning, number), value);
    case MsgFamily::Error:
        return WithReason(Lookup(kError, number), value);
    }
    return {};
}

bool MessageIsShown(MsgFamily family, int number) {
    return !(family == MsgFamily::ErrorNumber && number == 0);
}

const char* MessageTitle(MsgFamily family) {
    switch (family) {
    case MsgFamily::ErrorNumber:
    case MsgFamily::Error:
        return "Error";
    case MsgFamily::Info:
        return "Information";
    case MsgFamily::YesNo:
    case MsgFamily::YesCancelAll:
        return "Confirmation";
    case MsgFamily::Warning:
        return "Warning";
    }
    return "";
}

int MessageSoundIndex(MsgFamily family) {
    switch (family) {
    case MsgFamily::ErrorNumber:
        return -1;
    case MsgFamily::Info:
        return SndInfo;
    case MsgFamily::YesNo:
    case MsgFamily::YesCancelAll:
        return SndConfirmation;
    case MsgFamily::Warning:
        return SndWarning;
    case MsgFamily::Error:
        return SndError;
    }
    return -1;
}

SystemSoundPlayer::SystemSoundPlayer() {
    // Plain command-line players of the usual Debian sound stacks (ALSA,
    // PulseAudio, PipeWire): no sound library is linked for one wave file.
    for (const char* name : {"aplay", "paplay", "pw-play"}) {
        const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!found.isEmpty()) {
            player_ = found.toStdString();
            break;
        }
    }
}

void SystemSoundPlayer::Beep() { QApplication::beep(); }

void SystemSoundPlayer::PlayWave(const std::string& path) {
    if (player_.empty()) return;
    QProcess p;
    QStringList args;
    if (QString::fromStdString(player_).endsWith(QLatin1String("/aplay"))) args << "-q";
    args << QString::fromLocal8Bit(path.c_str());
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    p.setStandardOutputFile(QProcess::nullDevice());
    p.start(QString::fromStdString(player_), args);
    if (!p.waitForStarted(2000)) return;
    // A stuck sound device must not hang the message box for good.
    if (!p.waitForFinished(15000)) {
        p.kill();
        p.waitForFinished(1000);
    }
}

MessageSounds::MessageSounds(const Options& options, SoundPlayer& player, std::string programDir,
                             bool facilityFound)
    : options_(options),
      player_(player),
      programDir_(std::move(programDir)),
      facilityFound_(facilityFound) {
    if (!programDir_.empty() && programDir_.back() != '/') programDir_ += '/';
}

void MessageSounds::Play(MsgFamily family) {
    const int which = MessageSoundIndex(family);
    if (which < 0 || !options_.SoundOn[which]) return;
    if (!options_.SoundIsWave) {
        player_.Beep();
        return;
    }
    const std::string wave = programDir_ + kWaveFileName;
    if (facilityFound_ && FileExists(wave)) player_.PlayWave(wave);
}

}  // namespace zemba
