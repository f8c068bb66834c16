// The soil database window TStatSurGoForm ("USDA NRCS Statsgo and Ssurgo
// Soils"): pages of read-only boxes over the soil tables of the current
// layer, following the map unit the "Soils Info" tool hands over. The
// tables and their links are soils/soil_db.h.
#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "core/layer_store.h"
#include "core/ui.h"
#include "db/db.h"
#include "soils/soil_db.h"

class QButtonGroup;
class QLabel;
class QLineEdit;
class QTabWidget;

namespace zemba {

// The window's part of the process-wide soil state. SoilDbActive is the
// main window's flag (opening a layer or Clear All clears it).
struct SoilWindowState {
    bool StatsgoMode = false;
    bool SsurgoMode = false;
    bool SoilUnitLinked = false;
    int SoilAliasNumber = 1;
};

class TStatSurGoForm : public QWidget {
    Q_OBJECT
public:
    TStatSurGoForm(LayerStore& store, bool& soilDbActive, Prompter& prompter, QWidget* parent = nullptr);
    ~TStatSurGoForm() override;

    SoilWindowState& State() { return state_; }
    SoilDatabase& Database() { return db_; }
    // "Ssurgo Soils Db" turns this link of the database window off.
    void SetExternalDbLink(bool* extDbLinked) { extDbLinked_ = extDbLinked; }

    // The main window's commands and the window's buttons.
    void StatsgoSoilsDbClick();
    void SsurgoSoilsDbClick();
    void ActivateDbBtnClick();
    Q_INVOKABLE void DEActivateDatabase();
    void CompRGClick(int item);
    void SoilLayerRGClick(int item);
    void SpeedButton2Click();
    // The "Soils Info" tool's hand-over of a clicked shape's MUIDS value.
    void SoilsInfo(const std::string& muids);
    // Before the table builder replaces tables: close them and go inactive.
    Q_INVOKABLE void DeactivateForBuild();

    // The text a bound box shows ("CompTable", "COMPNAME").
    QString BoxText(const char* component, const char* field) const;
    // What the status line says (not found, activation failures).
    QString StatusText() const;

signals:
    void helpRequested(int context);
    // The mode changed: the main window checks its menu items.
    void modeChanged(bool statsgo, bool ssurgo);

protected:
    void closeEvent(QCloseEvent* e) override;
    void showEvent(QShowEvent* e) override;

private:
    struct Binding {
        QLineEdit* edit;
        std::string component, field;
    };
    void BuildPages();
    void ShowRecords();
    void Located(bool found, const std::string& key);
    void ResetGroups();
    void SetMode(bool statsgo);

    LayerStore& store_;
    bool& soilDbActive_;
    bool* extDbLinked_ = nullptr;
    Prompter& prompter_;
    SoilWindowState state_;
    SoilDatabase db_;
    db::Session session_;
    std::vector<Binding> bindings_;
    QTabWidget* pages_ = nullptr;
    QButtonGroup* compGroup_ = nullptr;
    QButtonGroup* layerGroup_ = nullptr;
    QLineEdit* muidEdit_ = nullptr;
    QLineEdit* fileEdit_ = nullptr;
    QLineEdit* primfml_ = nullptr;  // DBEdit47
    QLabel* status_ = nullptr;
};

// Makes the soil window of `mainWindow` and connects the main window's
// "Statsgo Soils Db" and "Ssurgo Soils Db" actions (StatsgoSoilsDbMI,
// SsurgoSoilsDbMI) to it.
TStatSurGoForm* InstallSoilWindow(QWidget* mainWindow, LayerStore& store, bool& soilDbActive, bool& extDbLinked,
                                  Prompter& prompter, std::function<void(int)> help);
// The "Soils Info" hook: hands `muids` to the soil window of `mainWindow`.
void SoilsInfoLookup(QWidget* mainWindow, const std::string& muids);

}  // namespace zemba
