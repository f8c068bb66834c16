// The projection messages window TProjMessagesForm: the package's reports
// and the conversions' lines, with print and save of the log.
#pragma once

#include <QPoint>
#include <QWidget>
#include <string>
#include <vector>

#include "core/layer_store.h"
#include "core/ui.h"

class QTextEdit;
class QProgressBar;

namespace zemba {

class TProjMessagesForm : public QWidget {
    Q_OBJECT
public:
    TProjMessagesForm(const LayerStore& store, Prompter& prompter, QWidget* parent = nullptr);
    // Appends a line; the window stays as it is.
    void Append(const std::string& line);
    // An error or a warning came: shown on screen, raised, scrolled to the
    // newest block.
    void Alert();
    const std::vector<std::string>& Lines() const { return lines_; }
    // "Save Log: Projectname.log".
    Result SaveLog();
    void PrintLog();

signals:
    void helpRequested(int context);
    void closed();

protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    const LayerStore& store_;
    Prompter& prompter_;
    std::vector<std::string> lines_;
    int newestBlock_ = 0;  // first line of the newest block of reports
    // Where the window was closed last; kept while the program runs.
    bool placed_ = false;
    QPoint place_;
    QTextEdit* memo_ = nullptr;
    QProgressBar* progress_ = nullptr;
};

}  // namespace zemba
