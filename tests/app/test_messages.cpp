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
#include <cctype>
#include <cstdlib>
#include <cstring>
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

namespace {

// A help body as the reader sees it: tags dropped, the common entities
// decoded, runs of white space made one blank.
std::string HelpPlainText(const std::string& html) {
    std::string out;
    bool inTag = false;
    for (std::size_t i = 0; i < html.size(); ++i) {
        const char c = html[i];
        if (c == '<') { inTag = true; out += ' '; continue; }
        if (c == '>' && inTag) { inTag = false; continue; }
        if (inTag) continue;
        if (c == '&') {
            const std::size_t semi = html.find(';', i);
            if (semi != std::string::npos && semi - i <= 6) {
                const std::string ent = html.substr(i, semi - i + 1);
                out += ent == "&lt;" ? "<" : ent == "&gt;" ? ">" : ent == "&amp;" ? "&" : " ";
                i = semi;
                continue;
            }
        }
        out += c;
    }
    std::string squeezed;
    for (char c : out) {
        const bool blank = c == ' ' || c == '\n' || c == '\t' || c == '\r';
        if (blank && (squeezed.empty() || squeezed.back() == ' ')) continue;
        squeezed += blank ? ' ' : c;
    }
    return squeezed;
}

int WordCount(const std::string& plain) {
    int n = 0;
    bool inWord = false;
    for (char c : plain) {
        const bool blank = c == ' ';
        if (!blank && !inWord) ++n;
        inWord = !blank;
    }
    return n;
}

// The help contexts the program's windows open (their Help buttons and the
// main window's Help), each with the captions of its window's controls, as
// the window's code spells them (accelerator '&' dropped).
struct WindowHelp {
    int context;
    std::vector<std::string> controls;
};

const std::vector<WindowHelp>& WindowHelps() {
    static const std::vector<WindowHelp> list = {
        {kHelpContents, {"Vector > Open...", "Layer Properties", "Classify Attributes", "Find"}},
        {kHelpOptions,
         {"Sounds", "Errors", "Warning", "Info", "Confirmation", "Completion", "Wav else beep",
          "Message X,Y Location", "Selection Radius+1", "View Colors", "Defaults", "File", "Verts",
          "Seed", "Open", "Save", "Clear", "Set 256", "Random", "Subvert", "Invert",
          "Thumbnail Directory", "Size", "Fill", "Use Thumbnails", "Delete .bmp Thumbnails",
          "Kill All Thumbs", "Extension Set"}},
        {123, {"Print Log", "Save Log: Projectname.log", "Help"}},
        {6000,
         {"Shape #", "First", "Previous", "Next", "Last", "Find Shape", "Accept OK",
          "Add a New Field", "Name", "DataType", "Size (if a String)", "Convert Field to MorZ",
          "Numerical Field", "Measured", "Z Elevation", "Link Field", "to External Db", "Print",
          "Exit", "Help"}},
        {7000,
         {"Activate", "Locate", "Components", "Comp Water", "Comp Rock", "Plant", "HabitMgt",
          "Soil", "Layer", "Map Selection", "DB File Selector", "Print database", "Help"}},
        {8000,
         {"Quick DLG View", "DLG Import", "USDA NRCS db", "Shape Viewer", "Shape File Combine",
          "Shape Shifter", "Sundry Importer", "Help", "Close"}},
        {8010,
         {"DLG File Selector", "DLG Name", "Date", "Scale 1:", "Points", "Areas", "Lines",
          "Lines read", "Attributes P/A/L", "View selected Line(s)", "from", "Area", "Help"}},
        {8100,
         {"DLG File Selector", "DLG Path", "Shape Path", "Points in/out", "Areas in/out",
          "Lines in/out", "Export Layer", "MPoint", "Skip First Area", "Skip Ssurgo Blank half",
          "Single Attribute Code, Not Major+Minor pairs",
          "Many Minor Codes, else: Major and Minor Code",
          "Soil: att(Nats), sym(Statsgo), xaa(Ssurgo) Attributes", "Ssurgo Special Feature",
          "Number items", "Add Map Attributes (blank)", "Shape file", "DXF Line Export",
          "DXF FileName.dxf", "LAYERNAME", "DXF Line Width", "OK", "OK to do it", "Help"}},
        {8200,
         {"State Statsgo", "Data", "Shape", "OK", "Data directory", "Shape Directory", "NRI: Natsgo",
          "Natsgo Points", "Points Shape", "Points GO", "Help"}},
        {8300,
         {"File type", "View", "Shape File", "Data to Text File", "File size words", "Words read",
          "Points", "Islands", "Areas or Lines", "Help"}},
        {8400, {"Open", "Shape File", "Objects", "Total Objects", "OK", "Must be same file type", "Help"}},
        {8500,
         {"Copy and Combine selected Lines into a Polygon in this layer",
          "Copy selected Object into this layer", "Move selected Object into this layer", "Lines:",
          "Shift", "Help"}},
        {8600,
         {"Data Types Not Transformed: SDTS, TIGER(R), DOT BTS, DXF, CDF HDF, ...", "SDTS", "TIGER",
          "DOT BTS", "DXF", "Help"}},
        {9000,
         {"Layer", "Field", "Number of Classes", "Symbol", "Color", "Both", "Statistical Breaks",
          "Equal", "Quantiles", "Start", "Finish", "Unique Values", "Class breaks", "Set Values",
          "Set Classes", "Cancel", "Apply", "Close", "Help"}},
        {11000,
         {"Find features in", "Search for ___", "Text", "Select a Value", "Field Values", "Within",
          "Larger then", "Smaller than", "Surrounded by", "Next to", "Units", "Kilometers",
          "Meters", "Miles", "Feet", "of shapes in these layers", "Spatial", "Zoom", "Highlight",
          "Box All", "ID", "Close", "Help"}},
        {12000,
         {"Up", "Down", "Delete", "Style", "Visible", "Edit able", "Outlined", "Line Width",
          "Shape Color", "Line Color", "Labels", "Labeled?", "Background", "Background Color",
          "Font", "o+=>", "Label as Selected", "Skip overlapping labels", "Apply", "Reset", "OK",
          "Help"}},
        {14000,
         {"Legend Text", "Font", "Load", "Save", "Legend Bitmaps", "Drawn by the program",
          "Path and File Name", "Grids", "None", "Lat Long", "UTM Grid", "Map Location", "State",
          "Country", "Variable", "Legendary", "Field Generator", "Symbol Set", "Symbol Control",
          "Map Selections Finished", "Validate / Save", "Help"}},
        {15000,
         {"Name", "Date", "Revision", "Scale", "Quadrangle", "ProductType", "PreProcessing",
          "Resampling", "Category", "Projection", "Units", "UTM Zone", "Map in Northern Hemisphere?",
          "State Plane Zone", "Datum", "Spheroid", "Projection Parameters", "Projection is Valid",
          "Coordinates Valid", "Extent", "Metadata File Name", "DMS", "DMS to DD", "Save",
          "Layers order", "+ Attributes", "Display", "Accept", "IsProjected", "NeverProjected",
          "IgnoreDatum", "IgnoreErrors", "Project", "Select Layer for Information", "Convert",
          "0: Geo", "Help"}},
        {16000,
         {"Paper", "Include", "Map Size", "Paper Size", "Boundary Top", "Bottom", "Left", "Right",
          "Object Size Computation", "OSC", "Check Selected Size", "Set", "Width", "Height",
          "Image X", "Image Y", "Scale", "Page width", "Page height", "Mover", "Scaled: little movement",
          "Mover Reset to 10,10",
          "Check Sizes.. data ready?", "Store Layout", "Print Preview", "Setup Printer.. bogus",
          "Help"}},
    };
    return list;
}

// Every number a window hands to its help: helpRequested(N), help(N),
// Help(N), HelpRow("...", N) and the named "kSomethingHelp = N" in the
// windows' sources.
std::vector<int> ContextsOpenedInCode(const std::string& root) {
    const char* files[] = {"app/style_actions.cpp",         "attributes/database_window.cpp",
                           "convert/transformer_window.cpp", "soils/soil_window.cpp",
                           "output/legend_form.cpp",         "output/print_layout_form.cpp",
                           "mapping/map_form.cpp",           "mapping/proj_messages_form.cpp",
                           "mapping/map_form.h",             "app/options_window.cpp"};
    std::vector<int> found;
    for (const char* f : files) {
        const std::string code = zemba::test::ReadFileBytes(root + f);
        EXPECT_FALSE(code.empty()) << f;
        for (const char* call : {"helpRequested(", "help(", "Help(", "HelpRow(", "Help = "}) {
            for (std::size_t at = code.find(call); at != std::string::npos; at = code.find(call, at + 1)) {
                std::size_t p = at + std::strlen(call);
                if (code.compare(p, 1, "\"") == 0) {  // HelpRow("Name", N)
                    const std::size_t comma = code.find(',', p);
                    if (comma == std::string::npos || comma - p > 40) continue;
                    p = comma + 1;
                }
                while (p < code.size() && code[p] == ' ') ++p;
                if (p < code.size() && std::isdigit(static_cast<unsigned char>(code[p])))
                    found.push_back(std::atoi(code.c_str() + p));
            }
        }
    }
    return found;
}

}  // namespace

TEST(Help, ShippedFileCoversTheWindowContexts) {
    const std::string root = std::string(ZEMBA_SAMPLES) + "/../../";
    const std::string text = zemba::test::ReadFileBytes(root + "app/zembahelp.hlp");
    ASSERT_FALSE(text.empty());
    const std::vector<HelpSection> s = ParseHelpFile(text);
    auto section = [&s](int ctx) -> const HelpSection* {
        for (const HelpSection& h : s)
            if (h.context == ctx) return &h;
        return nullptr;
    };
    for (int ctx : {kHelpContents, kHelpMainWindow, kHelpOptions, kHelpMessages, 13, 123, 5000,
                    6000, 7000, 8000, 8010, 8100, 8200, 8300, 8400, 8500, 8600, 9000, 11000,
                    12000, 14000, 15000, 16000})
        EXPECT_NE(section(ctx), nullptr) << "help context " << ctx;

    // Each window's section is a page of the manual: real length, no
    // placeholder, and every control of the window named in it.
    for (const WindowHelp& w : WindowHelps()) {
        const HelpSection* h = section(w.context);
        ASSERT_NE(h, nullptr) << "help context " << w.context;
        const std::string plain = HelpPlainText(h->body);
        EXPECT_GE(WordCount(plain), 80) << "help context " << w.context << " is too short";
        EXPECT_EQ(plain.find("Not available yet"), std::string::npos) << "help context " << w.context;
        for (const std::string& control : w.controls)
            EXPECT_NE(plain.find(control), std::string::npos)
                << "help context " << w.context << " does not name \"" << control << "\"";
    }

    // A window that opens a context this test does not know fails here, so
    // a new window's help cannot be left unwritten.
    const std::vector<int> opened = ContextsOpenedInCode(root);
    EXPECT_GE(opened.size(), 15u);
    for (int ctx : opened) {
        bool listed = false;
        for (const WindowHelp& w : WindowHelps()) listed = listed || w.context == ctx;
        EXPECT_TRUE(listed) << "a window opens help context " << ctx << " that the manual test does not list";
    }
}

TEST(Help, PlainTextOfAHelpBody) {
    EXPECT_EQ(HelpPlainText("<p>Open <b>Vector &gt; Open...</b>\n  and &amp; go</p>"),
              "Open Vector > Open... and & go ");
    EXPECT_EQ(WordCount(" Open Vector > Open... "), 4);
    EXPECT_EQ(WordCount(""), 0);
    // A stray "&" without an entity stays as it is.
    EXPECT_EQ(HelpPlainText("A & B"), "A & B");
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
