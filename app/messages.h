// The numbered message catalogue: the text of each message by family and
// number, and the notification sound that goes with it. The boxes
// themselves are shown by QtPrompter (app/qt_prompter.h).
#pragma once

#include <memory>
#include <string>

#include "app/options.h"
#include "core/ui.h"

namespace zemba {

// Text of catalogue message `number` of `family`; "\r\n" breaks lines.
// `value` is the offending text of ShowErrorNumber and the value of
// AskYesCancelAll. A number without an entry gives an empty text.
std::string MessageText(MsgFamily family, int number, const std::string& value = {});

// False only for ShowErrorNumber with number 0, which shows nothing.
bool MessageIsShown(MsgFamily family, int number);

// Title of the box of a family: "Error", "Information", "Confirmation",
// "Warning".
const char* MessageTitle(MsgFamily family);

// The SoundOn entry of a family, or -1 for a family that makes no sound
// (ShowErrorNumber).
int MessageSoundIndex(MsgFamily family);

// Message 2 (no sound facility) is for a user who asked for wave sounds
// that cannot be played; beeps need no player.
bool WarnNoWavePlayer(const Options& options, bool playerFound);

// Name of the wave file played instead of the beep.
constexpr const char* kWaveFileName = "ERRORV.WAV";

// How a sound is made; injectable so tests can listen.
class SoundPlayer {
public:
    virtual ~SoundPlayer() = default;
    // The standard system beep.
    virtual void Beep() = 0;
    // Plays a wave file and returns when it has finished.
    virtual void PlayWave(const std::string& path) = 0;
};

// The real one: QApplication::beep, and a wave file played by the first of
// "aplay", "paplay", "pw-play" found on PATH at start-up (no extra library).
// Without any of them wave sounds are dropped silently.
class SystemSoundPlayer : public SoundPlayer {
public:
    // Looks for the player now: this is the detection of the sound facility.
    SystemSoundPlayer();
    // True when a wave player was found.
    bool HasWavePlayer() const { return !player_.empty(); }
    const std::string& WavePlayer() const { return player_; }
    void Beep() override;
    // Runs the player synchronously (at most 15 s, then it is stopped).
    void PlayWave(const std::string& path) override;

private:
    std::string player_;
};

// The sound rules of the catalogue.
class MessageSounds {
public:
    // `programDir` is where ERRORV.WAV is looked for; `facilityFound` says
    // whether a wave player was found at start-up. `options` and `player`
    // must outlive this object.
    MessageSounds(const Options& options, SoundPlayer& player, std::string programDir,
                  bool facilityFound);

    // Sound of `family` before its box: nothing when the family's SoundOn
    // entry is off; else a beep when SoundIsWave is off; else ERRORV.WAV,
    // played to its end, when the file exists and the facility was found;
    // else nothing.
    void Play(MsgFamily family);

private:
    const Options& options_;
    SoundPlayer& player_;
    std::string programDir_;
    bool facilityFound_;
};

}  // namespace zemba
