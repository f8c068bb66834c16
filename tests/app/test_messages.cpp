#include <gtest/gtest.h>

#include <QDialogButtonBox>
#include <QKeyEvent>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>
#include <cstdlib>
#include <sys/stat.h>
#include <string>
#include <vector>

#include "app/help.h"
#include "app/messages.h"
#include "app/qt_progress.h"
#include "app/qt_prompter.h"
#include "tests/test_support.h"

using namespace zemba;
using zemba::test::TempDir;
using zemba::test::WriteFileBytes;

namespace {

void EnsureApp() {
    if (QApplication::instance()) return;
    static int argc = 1;
    static char name[] = "zemba_app_tests";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
}

class RecordingPlayer : public SoundPlayer {
public:
    std::vector<std::string> heard;  // "beep" or the wave path
    void Beep() override { heard.push_back("beep"); }
    void PlayWave(const std::string& path) override { heard.push_back(path); }
};

const MsgFamily kAllFamilies[] = {MsgFamily::ErrorNumber, MsgFamily::Info,
                                  MsgFamily::YesNo,       MsgFamily::YesCancelAll,
                                  MsgFamily::Warning,     MsgFamily::Error};

}  // namespace

TEST(MessageText, CatalogueTexts) {
    EXPECT_EQ(MessageText(MsgFamily::Info, 7), "File Exists\r\nInput a different name");
    EXPECT_EQ(MessageText(MsgFamily::Info, 9999), "Resistance is futile\r\nAll Messages end here");
    EXPECT_EQ(MessageText(MsgFamily::YesNo, 3), "Map Modified. Save changes?");
    EXPECT_EQ(MessageText(MsgFamily::Warning, 40), "Converts 32 to 24 bit Color images");
    EXPECT_EQ(MessageText(MsgFamily::Error, 2), "Cannot locate WINMM.DLL or MMSYSTEM.DLL.. no sounds");
    EXPECT_EQ(MessageText(MsgFamily::Error, 5), "No attribute to Db files found ");
    EXPECT_EQ(MessageText(MsgFamily::Error, 6),
              "Export Filename.ext must be 8.3: Filename too long \r\nReduce-Change the Filename "
              "and Press OK again");
    EXPECT_EQ(MessageText(MsgFamily::Error, 19), "file not loaded");
    EXPECT_EQ(MessageText(MsgFamily::Error, 20), "Database file not found");
    EXPECT_EQ(MessageText(MsgFamily::Error, 30004), "File has NO Cr or LF... I quit");
}

TEST(MessageText, ValuesAreInsertedWithoutExtraSpaces) {
    EXPECT_EQ(MessageText(MsgFamily::YesCancelAll, 3, "12"), "Shape Layer12 Modified. Save changes?");
    EXPECT_EQ(MessageText(MsgFamily::YesCancelAll, 2, "7"), "Print 1 [OK] or [All] 7 pages?");
    EXPECT_EQ(MessageText(MsgFamily::ErrorNumber, 3, "12x4"),
              "Error in File data Number: \r\n3\r\n12x4");
}

TEST(MessageText, AReasonFollowsTheCatalogueTextOnItsOwnLine) {
    EXPECT_EQ(MessageText(MsgFamily::Error, 19, "record 47 runs past the end of the file"),
              "file not loaded\r\nrecord 47 runs past the end of the file");
    EXPECT_EQ(MessageText(MsgFamily::Warning, 40, "x"), "Converts 32 to 24 bit Color images\r\nx");
    EXPECT_EQ(MessageText(MsgFamily::Error, 19, ""), "file not loaded");
}

TEST(MessageSounds, NoPlayerMattersOnlyForWaveSounds) {
    Options o;
    EXPECT_FALSE(WarnNoWavePlayer(o, false));  // all sounds off
    o.SoundOn[SndError] = true;
    EXPECT_FALSE(WarnNoWavePlayer(o, false));  // beeps need no player
    o.SoundIsWave = true;
    EXPECT_TRUE(WarnNoWavePlayer(o, false));
    EXPECT_FALSE(WarnNoWavePlayer(o, true));
}

TEST(MessageText, NumberZeroAndUnknownNumbers) {
    EXPECT_FALSE(MessageIsShown(MsgFamily::ErrorNumber, 0));
    EXPECT_TRUE(MessageIsShown(MsgFamily::ErrorNumber, 1));
    EXPECT_TRUE(MessageIsShown(MsgFamily::Error, 0));
    EXPECT_EQ(MessageText(MsgFamily::ErrorNumber, 0, "abc"), "");
    for (MsgFamily f : {MsgFamily::Info, MsgFamily::YesNo, MsgFamily::YesCancelAll,
                        MsgFamily::Warning, MsgFamily::Error}) {
        EXPECT_EQ(MessageText(f, 1, "v"), "");
        EXPECT_EQ(MessageText(f, -3, "v"), "");
        EXPECT_EQ(MessageText(f, 16, "v"), "");
    }
}

TEST(MessageSounds, AllSoundsOffIsSilent) {
    TempDir dir;
    WriteFileBytes(dir.file(kWaveFileName), "RIFF");
    Options o;
    RecordingPlayer player;
    MessageSounds sounds(o, player, dir.path(), true);
    for (bool wave : {false, true}) {
        o.SoundIsWave = wave;
        for (MsgFamily f : kAllFamilies) sounds.Play(f);
    }
    EXPECT_TRUE(player.heard.empty());
}

TEST(MessageSounds, EachFamilyUsesItsOwnSwitch) {
    TempDir dir;
    Options o;
    RecordingPlayer player;
    MessageSounds sounds(o, player, dir.path(), true);
    o.SoundOn[SndError] = true;
    sounds.Play(MsgFamily::Error);
    sounds.Play(MsgFamily::ErrorNumber);  // never sounds
    sounds.Play(MsgFamily::Warning);
    sounds.Play(MsgFamily::Info);
    sounds.Play(MsgFamily::YesNo);
    EXPECT_EQ(player.heard, std::vector<std::string>{"beep"});

    o.SoundOn[SndError] = false;
    o.SoundOn[SndConfirmation] = true;
    o.SoundOn[SndCompletion] = true;  // no family uses it
    sounds.Play(MsgFamily::YesCancelAll);
    sounds.Play(MsgFamily::Error);
    sounds.Play(MsgFamily::Info);
    EXPECT_EQ(player.heard.size(), 2u);
}

TEST(MessageSounds, WaveNeedsTheFileAndThePlayer) {
    TempDir dir;
    Options o;
    o.SoundOn[SndError] = true;
    o.SoundIsWave = true;
    RecordingPlayer player;
    {
        MessageSounds sounds(o, player, dir.path(), true);
        sounds.Play(MsgFamily::Error);  // no ERRORV.WAV: silent, no beep either
        EXPECT_TRUE(player.heard.empty());
        WriteFileBytes(dir.file(kWaveFileName), "RIFF");
        sounds.Play(MsgFamily::Error);
        EXPECT_EQ(player.heard, std::vector<std::string>{dir.file(kWaveFileName)});
    }
    player.heard.clear();
    MessageSounds noFacility(o, player, dir.path(), false);
    noFacility.Play(MsgFamily::Error);
    EXPECT_TRUE(player.heard.empty());
}

TEST(SystemSoundPlayer, FindsAPlayerOnPathAndWaitsForIt) {
    EnsureApp();
    TempDir bin;
    const std::string marker = bin.file("played");
    // A stand-in player that records its arguments after a short pause: the
    // marker exists on return only if the play was synchronous.
    WriteFileBytes(bin.file("aplay"), "#!/bin/sh\nsleep 0.2\necho \"$@\" > '" + marker + "'\n");
    chmod(bin.file("aplay").c_str(), 0755);
    const char* oldPath = std::getenv("PATH");
    const std::string saved = oldPath ? oldPath : "";
    setenv("PATH", bin.path().c_str(), 1);
    SystemSoundPlayer withPlayer;
    setenv("PATH", (bin.path() + "/none").c_str(), 1);
    SystemSoundPlayer without;
    setenv("PATH", saved.c_str(), 1);

    EXPECT_EQ(withPlayer.WavePlayer(), bin.file("aplay"));
    EXPECT_FALSE(without.HasWavePlayer());
    without.PlayWave("/x/ERRORV.WAV");  // silently nothing
    withPlayer.PlayWave("/x/ERRORV.WAV");
    EXPECT_EQ(zemba::test::ReadFileBytes(marker), "-q /x/ERRORV.WAV\n");
}

namespace {

struct BoxSeen {
    QPoint pos;
    QString title, text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QStringList buttons;
    QString press;  // text of the button to press; empty: close the box
};

void WatchBox(QMessageBox* box, void* context) {
    auto* seen = static_cast<BoxSeen*>(context);
    QTimer::singleShot(0, box, [box, seen] {
        seen->pos = box->pos();
        seen->title = box->windowTitle();
        seen->text = box->text();
        seen->icon = box->icon();
        for (QAbstractButton* b : box->buttons()) seen->buttons << b->text().remove('&');
        for (QAbstractButton* b : box->buttons())
            if (b->text().remove('&') == seen->press) {
                b->click();
                return;
            }
        box->reject();
    });
}

}  // namespace

TEST(QtPrompter, BoxesSitAtTheMessagePositionWithTheirButtons) {
    EnsureApp();
    Options o;
    RecordingPlayer player;
    MessageSounds sounds(o, player, "/nonexistent", false);
    QtPrompter prompter(o, sounds);
    BoxSeen seen;
    prompter.SetBoxHook(WatchBox, &seen);

    o.MessageX = 0;
    o.MessageY = 0;
    seen.press = "All";
    EXPECT_EQ(prompter.Message(MsgFamily::YesCancelAll, 3, "12"), Answer::All);
    EXPECT_EQ(seen.pos, QPoint(0, 0));
    EXPECT_EQ(seen.title, "Confirmation");
    EXPECT_EQ(seen.text, "Shape Layer12 Modified. Save changes?");
    EXPECT_EQ(seen.buttons.size(), 3);
    EXPECT_TRUE(seen.buttons.contains("Yes") && seen.buttons.contains("Cancel") &&
                seen.buttons.contains("All"));

    seen = BoxSeen{};
    seen.press = "Yes";
    EXPECT_EQ(prompter.Message(MsgFamily::YesCancelAll, 3, "1"), Answer::Yes);
    seen = BoxSeen{};  // closed without a button
    EXPECT_EQ(prompter.Message(MsgFamily::YesCancelAll, 3, "1"), Answer::Cancel);
    EXPECT_EQ(prompter.Message(MsgFamily::YesNo, 3), Answer::No);

    o.MessageX = 200;
    o.MessageY = 150;
    seen = BoxSeen{};
    seen.press = "OK";
    EXPECT_EQ(prompter.Message(MsgFamily::Info, 7), Answer::Ok);
    EXPECT_EQ(seen.pos, QPoint(200, 150));
    EXPECT_EQ(seen.title, "Information");
    EXPECT_EQ(seen.icon, QMessageBox::Information);
    EXPECT_EQ(seen.text, "File Exists\nInput a different name");

    // A position typed off the screen still shows all of the box.
    o.MessageX = 100000;
    o.MessageY = -5000;
    seen = BoxSeen{};
    EXPECT_EQ(prompter.Message(MsgFamily::Info, 9999), Answer::Ok);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_GE(seen.pos.x(), screen.left());
    EXPECT_LE(seen.pos.x(), screen.right() - 50);
    EXPECT_EQ(seen.pos.y(), screen.top());

    seen = BoxSeen{};
    seen.press = "Retry";
    EXPECT_EQ(prompter.AbortRetryIgnore("disk full"), Answer::Retry);
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
    EXPECT_EQ(seen.buttons.size(), 3);

    // Number 0 of ShowErrorNumber opens no box at all.
    seen = BoxSeen{};
    EXPECT_EQ(prompter.Message(MsgFamily::ErrorNumber, 0, "x"), Answer::None);
    EXPECT_TRUE(seen.title.isEmpty());
}

TEST(QtPrompter, SoundComesWithTheBox) {
    EnsureApp();
    Options o;
    o.SoundOn[SndError] = true;
    RecordingPlayer player;
    MessageSounds sounds(o, player, "/nonexistent", false);
    QtPrompter prompter(o, sounds);
    BoxSeen seen;
    prompter.SetBoxHook(WatchBox, &seen);
    prompter.Message(MsgFamily::Error, 19);
    prompter.Message(MsgFamily::ErrorNumber, 4, "1x");
    EXPECT_EQ(player.heard, std::vector<std::string>{"beep"});
    EXPECT_EQ(seen.title, "Error");
}

TEST(QtPrompter, ANameWithoutExtensionTakesTheChosenFilters) {
    EXPECT_EQ(FilterExtension("Shape File Map (*.shp *.zmp)"), "shp");
    EXPECT_EQ(FilterExtension("All files (*)"), "");
    EXPECT_EQ(WithFilterExtension("/d/roads", "Export File (*.dxf *.dat)"), "/d/roads.dxf");
    EXPECT_EQ(WithFilterExtension("/d/roads.dat", "Export File (*.dxf *.dat)"), "/d/roads.dat");
    // A dot in a folder name is not an extension.
    EXPECT_EQ(WithFilterExtension("/d.v2/roads", "Shape File Map (*.shp)"), "/d.v2/roads.shp");
    EXPECT_EQ(WithFilterExtension("/d/roads", "All files (*)"), "/d/roads");
}

TEST(QtPrompter, FileFiltersAndLineBreaks) {
    // The patterns show once, as the dialog filters by them.
    EXPECT_EQ(QtFileFilter("Shape File Maps(*.shp, *.zmp)|*.shp;*.zmp|Bitmaps|*.bmp"),
              "Shape File Maps (*.shp *.zmp);;Bitmaps (*.bmp)");
    EXPECT_EQ(QtFileFilter("A|*.a|All files (*)|*"), "A (*.a);;All files (*)");
    EXPECT_EQ(QtFileFilter("Odd|"), "Odd ()");
    EXPECT_EQ(QtFileFilter(""), "");
    EXPECT_EQ(DisplayText("a\r\nb\rc\n"), "a\nb\nc\n");
}

TEST(QtProgress, ScalesAnyRangeOntoTheBar) {
    EnsureApp();
    QProgressBar bar;
    QLabel label;
    QtProgress p(&bar, &label);
    p.SetMessage("Reading \xE9t\xE9");
    EXPECT_EQ(label.text(), QString::fromLatin1("Reading \xE9t\xE9"));

    p.SetRange(0, 5000000000LL);
    p.SetPosition(2500000000LL);
    EXPECT_EQ(bar.value() - bar.minimum(), (bar.maximum() - bar.minimum()) / 2);
    p.SetPosition(6000000000LL);
    EXPECT_EQ(bar.value(), bar.maximum());
    p.SetPosition(-1);
    EXPECT_EQ(bar.value(), bar.minimum());
    p.SetRange(10, 10);  // empty range: no division by zero
    p.SetPosition(10);
    EXPECT_EQ(bar.value(), bar.maximum());

    QtProgress bare;  // no widgets: everything is a no-op
    bare.SetMessage("x");
    bare.SetRange(0, 1);
    bare.SetPosition(1);
    bare.Pump();
}

TEST(QtProgress, PumpRunsEventsOnlyNowAndThen) {
    EnsureApp();
    QtProgress p;
    bool ran = false;
    QTimer::singleShot(0, [&ran] { ran = true; });
    for (int i = 0; i < 200000; ++i) p.Pump();
    // Far fewer event-loop runs than calls, whatever the machine's speed.
    EXPECT_LT(p.PumpCount(), 200000 / 2);
    // A pump after the interval does run pending events.
    QElapsedTimer t;
    t.start();
    while (!ran && t.elapsed() < 5000) p.Pump();
    EXPECT_TRUE(ran);
}

TEST(QtProgress, BusyGuardsNestAndShowTheBar) {
    EnsureApp();
    QWidget owner;
    auto* bar = new QProgressBar(&owner);
    owner.show();
    bar->hide();
    QtProgress p(bar, nullptr);
    EXPECT_FALSE(p.Busy());
    {
        QtProgress::BusyGuard outer(p);
        EXPECT_TRUE(p.Busy());
        EXPECT_TRUE(bar->isVisible());
        {
            QtProgress::BusyGuard inner(p);
            EXPECT_TRUE(p.Busy());
        }
        EXPECT_TRUE(p.Busy());
        EXPECT_TRUE(bar->isVisible());
    }
    EXPECT_FALSE(p.Busy());
    EXPECT_FALSE(bar->isVisible());
    {
        QtProgress::BusyGuard quiet(p, false);
        EXPECT_TRUE(p.Busy());
        EXPECT_FALSE(bar->isVisible());
    }
}

TEST(Help, SectionsByContext) {
    const std::string text =
        "# comment\n"
        "preamble is ignored\n"
        "@context 0 Contents\n"
        "<p>start</p>\n"
        "@context 8000   Data conversion\r\n"
        "line 1\n"
        "# not part of the text\n"
        "@context x not a context\n"
        "@context 12y also not\n"
        "@context 99999999999 too big\n";
    const std::vector<HelpSection> s = ParseHelpFile(text);
    ASSERT_EQ(s.size(), 2u);
    EXPECT_EQ(s[0].context, 0);
    EXPECT_EQ(s[0].title, "Contents");
    EXPECT_EQ(s[0].body, "<p>start</p>\n");
    EXPECT_EQ(s[1].context, 8000);
    EXPECT_EQ(s[1].title, "Data conversion");
    EXPECT_NE(s[1].body.find("line 1"), std::string::npos);
    EXPECT_NE(s[1].body.find("@context x"), std::string::npos);
    EXPECT_NE(s[1].body.find("too big"), std::string::npos);

    const std::string html = HelpHtml(s);
    EXPECT_NE(html.find("<a name=\"ctx8000\">"), std::string::npos);
    EXPECT_NE(html.find("href=\"#ctx8000\""), std::string::npos);
}

TEST(Help, ShippedFileCoversTheWindowContexts) {
    const std::string text =
        zemba::test::ReadFileBytes(std::string(ZEMBA_SAMPLES) + "/../../app/zembahelp.hlp");
    ASSERT_FALSE(text.empty());
    const std::vector<HelpSection> s = ParseHelpFile(text);
    for (int ctx : {kHelpContents, kHelpMainWindow, kHelpOptions, kHelpMessages, 13, 123, 5000,
                    6000, 7000, 8000, 8010, 8100, 8200, 8300, 8400, 8500, 8600, 9000, 11000,
                    12000, 14000, 15000, 16000}) {
        bool found = false;
        for (const HelpSection& h : s) found = found || h.context == ctx;
        EXPECT_TRUE(found) << "help context " << ctx;
    }
}

TEST(Help, MissingFileIsAReasonNotACrash) {
    EnsureApp();
    TempDir dir;
    const std::string saved = HelpFile();
    SetHelpFile(dir.file("zembahelp.hlp"));
    Result r = ShowHelp(kHelpMainWindow);
    EXPECT_FALSE(r.ok);
    EXPECT_NE(r.reason.find("zembahelp.hlp"), std::string::npos);
    WriteFileBytes(dir.file("zembahelp.hlp"), "@context 100 Main\n<p>hi</p>\n");
    EXPECT_TRUE(ShowHelp(kHelpMainWindow));
    EXPECT_TRUE(ShowHelp(4242));  // unknown context: the contents

    // The help window has a Close button, and Esc closes it.
    QWidget* frame = nullptr;
    for (QWidget* t : QApplication::topLevelWidgets())
        if (t->objectName() == "HelpWindow") frame = t;
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isVisible());
    auto* box = frame->findChild<QDialogButtonBox*>();
    ASSERT_NE(box, nullptr);
    ASSERT_NE(box->button(QDialogButtonBox::Close), nullptr);
    QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(frame, &esc);
    EXPECT_FALSE(frame->isVisible());
    SetHelpFile("");
    EXPECT_FALSE(ShowHelp(0).ok);
    SetHelpFile(saved);
}
