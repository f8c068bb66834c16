// How program logic talks to the user. Logic never opens a box itself: it
// asks a Prompter, and reports long work through a Progress. The window side
// implements both with real dialogs; tests use scripted ones.
#pragma once

#include <string>
#include <vector>

namespace zemba {

// The six families of numbered messages.
enum class MsgFamily {
    ErrorNumber,   // ShowErrorNumber(text, number)
    Info,          // ShowInfo(number)
    YesNo,         // AskYesNo(number)
    YesCancelAll,  // AskYesCancelAll(number, value)
    Warning,       // ShowWarning(number)
    Error,         // ShowError(number)
};

enum class Answer { None, Ok, Yes, No, Cancel, All, Abort, Retry, Ignore };

class Prompter {
public:
    virtual ~Prompter() = default;

    // Catalogue message `number` of `family`. `value` is the text argument
    // of the families that take one (the offending text of ShowErrorNumber,
    // the value of AskYesCancelAll). Returns the button pressed.
    virtual Answer Message(MsgFamily family, int number, const std::string& value = {}) = 0;

    // A question that is not in the catalogue, with Yes and No buttons.
    virtual Answer AskYesNoText(const std::string& text) = 0;

    // Whether to save changes before they would be lost: Yes saves, No goes
    // on without saving, Cancel stops and keeps everything as it is; with
    // `withAll`, All saves this and every later one without asking again.
    // Closing the box is Cancel.
    virtual Answer AskSaveChanges(const std::string& text, bool withAll) {
        (void)withAll;
        return AskYesNoText(text);
    }

    // A failure with its reason, not in the catalogue (an error box).
    virtual void ShowErrorText(const std::string& text) = 0;

    // A warning that is not in the catalogue, with an OK button.
    virtual void ShowWarningText(const std::string& text) { ShowErrorText(text); }

    // Warning with Abort, Retry and Ignore.
    virtual Answer AbortRetryIgnore(const std::string& text) = 0;

    // File choice; an empty result means cancelled. `filter` is in the
    // "Shape files (*.shp)|*.shp|All files (*)|*" form.
    virtual std::string ChooseOpenFile(const std::string& title, const std::string& dir,
                                       const std::string& filter) = 0;
    virtual std::string ChooseSaveFile(const std::string& title, const std::string& dir,
                                       const std::string& filter,
                                       const std::string& suggested) = 0;
};

class Progress {
public:
    virtual ~Progress() = default;
    // The progress window's message label.
    virtual void SetMessage(const std::string& text) = 0;
    // Progress bar range and position.
    virtual void SetRange(long long min, long long max) = 0;
    virtual void SetPosition(long long pos) = 0;
    // Let pending window messages run. Cheap to call often: implementations
    // only do real work every few tens of milliseconds.
    virtual void Pump() = 0;
};

// Does nothing; answers every question with `answer`.
class SilentPrompter : public Prompter {
public:
    explicit SilentPrompter(Answer answer = Answer::No) : answer_(answer) {}
    Answer Message(MsgFamily, int, const std::string&) override { return answer_; }
    Answer AskYesNoText(const std::string&) override { return answer_; }
    void ShowErrorText(const std::string&) override {}
    Answer AbortRetryIgnore(const std::string&) override { return Answer::Abort; }
    std::string ChooseOpenFile(const std::string&, const std::string&, const std::string&) override {
        return {};
    }
    std::string ChooseSaveFile(const std::string&, const std::string&, const std::string&,
                               const std::string&) override {
        return {};
    }

private:
    Answer answer_;
};

class NullProgress : public Progress {
public:
    void SetMessage(const std::string&) override {}
    void SetRange(long long, long long) override {}
    void SetPosition(long long) override {}
    void Pump() override {}
};

// Outcome of a file operation: ok, or a reason to show the user.
struct Result {
    bool ok = true;
    std::string reason;
    static Result Ok() { return {}; }
    static Result Fail(std::string why) { return {false, std::move(why)}; }
    explicit operator bool() const { return ok; }
};

}  // namespace zemba
