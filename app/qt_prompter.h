// The window side of Prompter: real message boxes at (MessageX, MessageY)
// with the catalogue's texts and sounds, and the file dialogs.
#pragma once

#include <QString>
#include <string>

#include "app/messages.h"
#include "app/options.h"
#include "core/ui.h"

class QWidget;
class QMessageBox;

namespace zemba {

class QtPrompter : public Prompter {
public:
    // `options` gives the box position (read at every message, so a change
    // in the options window applies at once); `sounds` plays the family's
    // sound before each catalogue box. Both must outlive the prompter.
    // `parent` owns the boxes and dialogs (may be null).
    QtPrompter(const Options& options, MessageSounds& sounds, QWidget* parent = nullptr);

    // Shows catalogue message `number` of `family` (nothing for
    // ShowErrorNumber with number 0, which returns Answer::None). Returns
    // Ok, Yes, No, Cancel or All; closing a question box counts as No
    // (Yes/No) or Cancel (Yes/Cancel/All).
    Answer Message(MsgFamily family, int number, const std::string& value = {}) override;
    // A Yes/No question with its own text, with the confirmation sound;
    // closing the box counts as No.
    Answer AskYesNoText(const std::string& text) override;
    // Yes / No / Cancel (/ All) with the confirmation sound; closing the box
    // counts as Cancel.
    Answer AskSaveChanges(const std::string& text, bool withAll) override;
    // An error box with its own text, with the error sound.
    void ShowErrorText(const std::string& text) override;
    void ShowWarningText(const std::string& text) override;
    // Warning box with Abort, Retry and Ignore, with the warning sound;
    // closing it counts as Abort.
    Answer AbortRetryIgnore(const std::string& text) override;
    // File dialogs; `filter` is "Name (*.a)|*.a;*.b|Other|*" pairs. Empty
    // result when cancelled. The save dialog asks before overwriting.
    std::string ChooseOpenFile(const std::string& title, const std::string& dir,
                               const std::string& filter) override;
    std::string ChooseSaveFile(const std::string& title, const std::string& dir,
                               const std::string& filter, const std::string& suggested) override;

    void SetParent(QWidget* parent) { parent_ = parent; }
    // The parent of the next box or dialog: the active window of the
    // program, else the one set.
    QWidget* Owner() const;

    // Called with each box just before it runs; tests use it to look at and
    // close the box.
    using BoxHook = void (*)(QMessageBox* box, void* context);
    void SetBoxHook(BoxHook hook, void* context) {
        hook_ = hook;
        hookContext_ = context;
    }

private:
    Answer Run(QMessageBox& box);

    const Options& options_;
    MessageSounds& sounds_;
    QWidget* parent_;
    BoxHook hook_ = nullptr;
    void* hookContext_ = nullptr;
};

// "A (*.a)|*.a;*.b|B|*" -> the Qt name filter "A (*.a *.b);;B (*)": a name
// that lists patterns of its own shows the entry's list once.
std::string QtFileFilter(const std::string& filter);

// Extension (without the dot) of a Qt name filter's first pattern, "" for "*".
std::string FilterExtension(const std::string& nameFilter);
// `path` with the filter's extension added when its file name has none.
std::string WithFilterExtension(const std::string& path, const std::string& nameFilter);

// File names are the file system's bytes: convert them with its encoding,
// never as Latin-1.
QString FsName(const std::string& path);
std::string FromFsName(const QString& path);

// Text for a box that may hold a file name beside catalogue text: UTF-8 when
// the bytes are valid UTF-8, else Latin-1.
QString ShownText(const std::string& text);

// "\r\n" and lone "\r" become "\n" for display.
std::string DisplayText(const std::string& text);

}  // namespace zemba
