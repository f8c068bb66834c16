// The options window TOptionsForm, "ZEMBA Program Options": five tabs that
// edit the program options, the palette editor, the thumbnail cleaner and
// the extension set files. What its buttons do lives in option_tools.h and
// palette.h.
#pragma once

#include <QDialog>
#include <array>
#include <functional>
#include <string>

#include "app/options.h"
#include "app/palette.h"
#include "core/layer_store.h"
#include "core/ui.h"

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
class QTabWidget;

namespace zemba {

class PaletteGrid;

struct OptionsFormSetup {
    Options* options = nullptr;
    LayerStore* store = nullptr;
    Prompter* prompter = nullptr;
    std::string programDir;   // with trailing '/'
    std::string optionsPath;  // zemba.pof; the colour and extension files live beside it
    // The view is drawn again (new view colours, "Set 256").
    std::function<void()> Redraw;
    // Text for the main window's status panel.
    std::function<void(const std::string&)> ShowStatus;
    // True while a long loop runs: "Set 256" then changes nothing.
    std::function<bool()> IsBusy;
};

class TOptionsForm : public QDialog {
    Q_OBJECT
public:
    explicit TOptionsForm(const OptionsFormSetup& setup, QWidget* parent = nullptr);

    // Called before each layer read: the colour file box and the palette
    // by ColorSetType.
    void Setup();
    PaletteEditor& Palette() { return palette_; }
    QTabWidget* Tabs() const { return tabs_; }
    // The folder of the colour and extension set files.
    const std::string& FilesDir() const { return filesDir_; }
    std::string ThumbnailDir() const;
    void SetThumbnailDir(const std::string& dir);

protected:
    void showEvent(QShowEvent* e) override;
    void done(int r) override;

private:
    QWidget* BuildBaseTab();
    QWidget* BuildDirectoriesTab();
    QWidget* BuildPaletteTab();
    QWidget* BuildThumbnailsTab();
    QWidget* BuildExtensionsTab();

    void FillFromOptions();
    void StoreSounds();
    void PickViewColour(COLORREF& option, QPushButton* panel);
    void ShowPalette();
    void PaletteCellClicked(int index);
    void SelectPaletteType(int type);
    void ExtensionsOpen();
    void ExtensionsSave();
    int ExtensionSet() const;
    void Status(const std::string& text);

    OptionsFormSetup setup_;
    Options& options_;
    Prompter& prompter_;
    std::string filesDir_;
    PaletteEditor palette_;

    QTabWidget* tabs_ = nullptr;
    // Base options.
    std::array<QCheckBox*, SndCount> soundBoxes_{};
    QCheckBox* wavBox_ = nullptr;
    QLineEdit* messageXEdit_ = nullptr;
    QLineEdit* messageYEdit_ = nullptr;
    QLineEdit* radiusEdit_ = nullptr;
    QPushButton* backgroundPanel_ = nullptr;
    QPushButton* highlightPanel_ = nullptr;
    QPushButton* editPanel_ = nullptr;
    QPushButton* editingPanel_ = nullptr;
    // Directories.
    std::array<QLineEdit*, 9> dirEdits_{};
    // Palette.
    PaletteGrid* grid_ = nullptr;
    QButtonGroup* vertsGroup_ = nullptr;
    QLineEdit* seedEdit_ = nullptr;
    QLineEdit* colorFileEdit_ = nullptr;
    // Thumbnails (not options: kept only while the program runs).
    QLineEdit* thumbDirEdit_ = nullptr;
    QSpinBox* thumbSize_ = nullptr;
    QLabel* thumbPreview_ = nullptr;
    QPushButton* thumbFill_ = nullptr;
    COLORREF thumbFillColor_ = 0xC0C0C0;
    QCheckBox* useThumbs_ = nullptr;
    // Extensions.
    QPlainTextEdit* extensionsEdit_ = nullptr;
    QButtonGroup* extGroup_ = nullptr;
};

class TZeEditForm;
struct MainWindowSetup;

// Creates the options window as a child of the main window, wired to its
// redraw, status panel and layer reads.
TOptionsForm* AttachOptionsWindow(TZeEditForm& main, const MainWindowSetup& setup);
// The main window's "Options..." item: shows (or raises) the options window
// attached to `main`; nothing when there is none.
void ShowOptionsWindow(QWidget* main);

}  // namespace zemba
