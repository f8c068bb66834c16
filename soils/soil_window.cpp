#include "soils/soil_window.h"

#include <QAction>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QFile>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/file_io.h"

namespace zemba {

namespace {

QString U(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }
QString FileQ(const std::string& s) { return QFile::decodeName(QByteArray::fromStdString(s)); }

struct BoundField {
    const char* component;
    const char* field;
    bool countyOnly = false;
};

struct PageSpec {
    const char* title;
    std::vector<BoundField> fields;
};

// The boxes of each page, in the order they are laid out.
const std::vector<PageSpec>& Pages() {
    static const std::vector<PageSpec> pages = [] {
        auto many = [](const char* component, std::initializer_list<const char*> fields) {
            std::vector<BoundField> out;
            for (const char* f : fields) out.push_back({component, f});
            return out;
        };
        auto join = [](std::initializer_list<std::vector<BoundField>> parts) {
            std::vector<BoundField> out;
            for (const auto& p : parts) out.insert(out.end(), p.begin(), p.end());
            return out;
        };
        std::vector<PageSpec> p;
        p.push_back({"Components",
                     join({many("CompTable", {"MUID", "STSSAID", "MUSYM", "COMPNAME", "S5ID", "COMPPCT", "SLOPEL",
                                              "SLOPEH", "SURFTEX", "OTHERPH", "COMPKIND", "COMPACRE", "CLASCODE"}),
                           many("MapUnitTable", {"STSSAID", "SSAID", "MUSYM", "MUID", "MUNAME", "MUKIND", "MLRA",
                                                 "PRIMFML", "MUACRES"}),
                           {{"InclusnTable", "MUID", true},
                            {"MuyldTable", "MUID", true},
                            {"MucoacreTable", "MUID", true},
                            {"HelClassTable", "MUID", true},
                            {"SsacoacTable", "STSSAID", true},
                            {"SsareaTable", "STSSAID", true},
                            {"RangenmTable", "RSID", true}}})});
        p.push_back({"Comp Water", many("CompTable", {"ANFLOOD", "ANFLODUR", "ANFLOBEG", "ANFLOEND", "GSFLOOD",
                                                      "GSFLODUR", "GSFLOBEG", "GSFLOEND", "WTDEPL", "WTDEPH", "WTKIND",
                                                      "WTBEG", "WTEND", "PNDDEPL", "PNDDEPH", "PNDDUR", "PNDBEG",
                                                      "PNDEND", "DRAINAGE", "HYDRIC"})});
        p.push_back({"Comp Rock", many("CompTable", {"ROCKDEPL", "ROCKDEPH", "ROCKHARD", "PANDEPL", "PANDEPH",
                                                     "PANHARD", "SUBINITL", "SUBINITH", "SUBTOTL", "SUBTOTH", "HYDGRP",
                                                     "FROSTACT", "CORCON", "CORSTEEL"})});
        p.push_back({"Plant", join({many("woodlandT", {"SUITCODE", "PLANTSYM", "SITIND", "WOODPROD"}),
                                    many("forestT", {"PLANTSYM", "PLANTCOV"}),
                                    many("plantcomT", {"PLANTSYM", "PLANTPCT"}),
                                    many("plantnmT", {"SCINAME", "COMNAME"}),
                                    many("windbrkT", {"PLANTSYM", "WNDBRKHT"}),
                                    many("compyldT", {"CROPNAME", "NIRRYLD", "IRRYLD"}),
                                    many("yldunitsT", {"YLDUNITS"})})});
        p.push_back({"HabitMgt",
                     join({many("woodmgtT", {"ORDSYM", "WDEROSN", "WDEQUIP", "WDSEED", "WDWIND", "WDPLANT"}),
                           many("wlhabitT", {"WLGRAIN", "WLGRASS", "WLHERB", "WLHARD", "WLCONIF", "WLSHRUB",
                                             "WLWETPLT", "WLSHLWAT", "WLOPEN", "WLWOOD", "WLWET", "RLRANGE"}),
                           many("rsprodT", {"RSID", "RSNAME", "PRODFAV", "PRODNORM", "PRODUNFV"})})});
        p.push_back({"Soil", join({many("interpT", {"GRPCODE", "RATING", "RESTCT1", "RESTCT2", "RESTCT3"}),
                                   many("taxclassT", {"CLASCODE", "CLASS", "ORDER", "SUBORDER", "GRTGROUP",
                                                      "SUBGROUP", "PARTSIZE", "MINALOGY", "REACTION", "SOILTEMP",
                                                      "OTHERFAM"})})});
        p.push_back({"Layer",
                     many("layerT", {"LAYERNUM", "LAYERID", "LAYDEPL", "LAYDEPH", "TEXTURE", "KFACT", "KFFACT",
                                     "TFACT", "WEG", "INCH10L", "INCH10H", "INCH3L", "INCH3H", "NO4L", "NO4H", "NO10L",
                                     "NO10H", "NO40L", "NO40H", "NO200L", "NO200H", "CLAYL", "CLAYH", "LLL", "LLH",
                                     "PIL", "PIH", "UNIFIED", "AASHTO", "AASHIND", "AWCL", "AWCH", "BDL", "BDH", "OML",
                                     "OMH", "PHL", "PHH", "SALINL", "SALINH", "SARL", "SARH", "CECL", "CECH", "CACO3L",
                                     "CACO3H", "GYPSUML", "GYPSUMH", "PERML", "PERMH", "SHRINKSW"})});
        return p;
    }();
    return pages;
}

QButtonGroup* RadioGroup(QWidget* owner, const char* name, const QString& title, int count, int columns,
                         QGroupBox** box) {
    *box = new QGroupBox(title);
    (*box)->setObjectName(name);
    auto* g = new QGridLayout(*box);
    auto* group = new QButtonGroup(owner);
    for (int k = 0; k < count; ++k) {
        auto* b = new QRadioButton(QString::number(k + 1));
        group->addButton(b, k);
        g->addWidget(b, k / columns, k % columns);
    }
    group->button(0)->setChecked(true);
    return group;
}

}  // namespace

TStatSurGoForm::TStatSurGoForm(LayerStore& store, bool& soilDbActive, Prompter& prompter, QWidget* parent)
    : QWidget(parent, Qt::Window), store_(store), soilDbActive_(soilDbActive), prompter_(prompter) {
    setObjectName("TStatSurGoForm");
    setWindowTitle("USDA NRCS Statsgo and Ssurgo Soils");
    auto* top = new QVBoxLayout(this);

    auto* head = new QHBoxLayout;
    QGroupBox* compBox = nullptr;
    compGroup_ = RadioGroup(this, "CompRG", "Comp", 21, 11, &compBox);
    connect(compGroup_, &QButtonGroup::idClicked, this, &TStatSurGoForm::CompRGClick);
    head->addWidget(compBox, 1);
    auto* side = new QGridLayout;
    muidEdit_ = new QLineEdit;
    muidEdit_->setObjectName("StaMuidEdit");
    muidEdit_->setToolTip("found Object ID");
    fileEdit_ = new QLineEdit;
    fileEdit_->setObjectName("DBFileEdit");
    fileEdit_->setReadOnly(true);
    auto button = [this](const char* name, const char* text) {
        auto* b = new QPushButton(text);
        b->setObjectName(name);
        return b;
    };
    auto* activate = button("ActivateDbBtn", "Activate");
    connect(activate, &QPushButton::clicked, this, &TStatSurGoForm::ActivateDbBtnClick);
    auto* locate = button("SpeedButton2", "Locate");
    connect(locate, &QPushButton::clicked, this, &TStatSurGoForm::SpeedButton2Click);
    auto* help = button("SoilsHelpBtn", "Help");
    connect(help, &QPushButton::clicked, this, [this] { emit helpRequested(7000); });
    side->addWidget(muidEdit_, 0, 0);
    side->addWidget(locate, 0, 1);
    side->addWidget(fileEdit_, 1, 0);
    side->addWidget(button("DBFileBtn", "DB File Selector"), 1, 1);
    side->addWidget(activate, 2, 0);
    side->addWidget(button("StatsgoBtn", "Print database"), 2, 1);
    side->addWidget(help, 3, 1);
    head->addLayout(side);
    top->addLayout(head);

    status_ = new QLabel;
    status_->setObjectName("SoilStatusLabel");
    // A long list of missing tables wraps instead of widening the window.
    status_->setWordWrap(true);
    status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    top->addWidget(status_);
    pages_ = new QTabWidget;
    pages_->setObjectName("SoilPageControl");
    top->addWidget(pages_, 1);
    BuildPages();
    resize(538, 382);
    ShowRecords();
}

TStatSurGoForm::~TStatSurGoForm() = default;

void TStatSurGoForm::BuildPages() {
    for (const PageSpec& spec : Pages()) {
        auto* inner = new QWidget;
        auto* grid = new QGridLayout(inner);
        int n = 0;
        for (const BoundField& f : spec.fields) {
            auto* edit = new QLineEdit;
            edit->setReadOnly(true);
            edit->setObjectName(QString(f.component) + "_" + f.field);
            grid->addWidget(new QLabel(f.field), n / 3, (n % 3) * 2);
            grid->addWidget(edit, n / 3, (n % 3) * 2 + 1);
            bindings_.push_back({edit, f.component, f.field});
            ++n;
        }
        if (std::string(spec.title) == "Comp Water") {
            primfml_ = new QLineEdit;
            primfml_->setReadOnly(true);
            primfml_->setObjectName("DBEdit47");
            grid->addWidget(new QLabel("PRIMFML"), n / 3, (n % 3) * 2);
            grid->addWidget(primfml_, n / 3, (n % 3) * 2 + 1);
        }
        if (std::string(spec.title) == "Layer") {
            QGroupBox* box = nullptr;
            layerGroup_ = RadioGroup(this, "SoilLayerRG", "Layer", 6, 6, &box);
            connect(layerGroup_, &QButtonGroup::idClicked, this, &TStatSurGoForm::SoilLayerRGClick);
            grid->addWidget(box, n / 3 + 1, 0, 1, 6);
        }
        grid->setRowStretch(n / 3 + 2, 1);
        auto* scroll = new QScrollArea;
        scroll->setWidget(inner);
        scroll->setWidgetResizable(true);
        pages_->addTab(scroll, spec.title);
    }
    auto* map = new QWidget;
    auto* v = new QVBoxLayout(map);
    auto* none = new QPushButton("No button to press");
    none->setObjectName("MapNoButton");
    v->addWidget(none);
    auto* sel = new QGroupBox("Map Selection");
    auto* sv = new QVBoxLayout(sel);
    sv->addWidget(new QRadioButton("Soils Info on the map's tool bar locates the map unit here"));
    v->addWidget(sel);
    v->addStretch();
    pages_->addTab(map, "Map");
}

QString TStatSurGoForm::BoxText(const char* component, const char* field) const {
    if (std::string(component) == "DBEdit47") return primfml_->text();
    auto* e = findChild<QLineEdit*>(QString(component) + "_" + field);
    return e ? e->text() : QString();
}

QString TStatSurGoForm::StatusText() const { return status_->text(); }

void TStatSurGoForm::ShowRecords() {
    for (const Binding& b : bindings_) {
        db::Table* t = db_.IsOpen() ? db_.Get(b.component) : nullptr;
        b.edit->setText(t && t->RecordCount() > 0 ? U(t->FieldText(b.field)) : QString());
        b.edit->setEnabled(t != nullptr);
    }
    db::Table* comp = db_.IsOpen() ? db_.Get("CompTable") : nullptr;
    // The component's PRIMFML is shown in state mode only.
    const bool state = !db_.County();
    primfml_->setText(comp && state && comp->RecordCount() > 0 ? U(comp->FieldText("PRIMFML")) : QString());
}

void TStatSurGoForm::ResetGroups() {
    // Set while disabled so no click handler runs.
    for (QButtonGroup* g : {compGroup_, layerGroup_}) {
        QSignalBlocker block(g);
        g->button(0)->setChecked(true);
    }
}

void TStatSurGoForm::SetMode(bool statsgo) {
    state_.StatsgoMode = statsgo;
    state_.SsurgoMode = !statsgo;
    state_.SoilUnitLinked = false;
    if (soilDbActive_) DEActivateDatabase();
    soilDbActive_ = false;
    emit modeChanged(state_.StatsgoMode, state_.SsurgoMode);
    show();
    raise();
}

void TStatSurGoForm::StatsgoSoilsDbClick() { SetMode(true); }

void TStatSurGoForm::SsurgoSoilsDbClick() {
    if (extDbLinked_) *extDbLinked_ = false;
    SetMode(false);
}

void TStatSurGoForm::ActivateDbBtnClick() {
    if (soilDbActive_) return;
    const bool county = state_.SsurgoMode;
    SoilActivation a = ActivateSoilDatabase(db_, store_, county);
    if (!a.Ok) {
        status_->setText(U(a.Message).replace("\r\n", " "));
        prompter_.ShowErrorText(a.Message);
        // Without a comp table nothing else changes; any other failure
        // closes the window.
        if (!a.CompFile.empty() && FileExists(a.CompFile)) {
            db_.Close();
            ShowRecords();
            close();
        }
        return;
    }
    fileEdit_->setText(FileQ(FileNamePart(a.CompFile)));
    db::RunTimeDbCreateP(session_, "StatsgoDBAlias" + std::to_string(state_.SoilAliasNumber),
                         DirectoryPart(a.CompFile));
    ++state_.SoilAliasNumber;
    soilDbActive_ = true;
    setWindowTitle(county ? "USDA NRCS SSURGO Soils" : "USDA NRCS STATSGO Soils");
    ResetGroups();
    status_->clear();
    pages_->setEnabled(true);
    ShowRecords();
}

void TStatSurGoForm::DEActivateDatabase() {
    db_.Close();
    ResetGroups();
    ShowRecords();
}

void TStatSurGoForm::DeactivateForBuild() {
    if (!db_.IsOpen() && !soilDbActive_) return;
    DEActivateDatabase();
    soilDbActive_ = false;
    status_->setText("Tables closed for a rebuild: activate again.");
}

void TStatSurGoForm::Located(bool found, const std::string& key) {
    pages_->setEnabled(found);
    status_->setText(found ? QString() : "Map unit " + U(key) + " not found");
    ShowRecords();
}

void TStatSurGoForm::CompRGClick(int item) {
    if (!soilDbActive_ || !db_.IsOpen()) return;
    const std::string muids = muidEdit_->text().toStdString();
    const bool found = db_.ChooseComponent(muids, item + 1);
    state_.SoilUnitLinked = false;
    Located(found, db_.MapUnitKey(muids));
}

void TStatSurGoForm::SoilLayerRGClick(int item) {
    if (!soilDbActive_ || !db_.IsOpen()) return;
    db_.ChooseLayer(item + 1);
    ShowRecords();
}

void TStatSurGoForm::SpeedButton2Click() {
    if (!soilDbActive_ || !db_.IsOpen()) return;
    std::string key;
    const bool found = db_.LocateUnit(muidEdit_->text().toStdString(), &key);
    Located(found, key);
}

void TStatSurGoForm::SoilsInfo(const std::string& muids) {
    if (!soilDbActive_) return;
    if (!db_.IsOpen()) {
        // The window was closed while active: open and link the same
        // tables again before locating.
        Result r = db_.Prefix().empty() ? Result::Fail("no tables were activated") : db_.Reopen();
        if (!r) {
            soilDbActive_ = false;
            prompter_.ShowErrorText("Databases not found... Closing\r\n" + r.reason);
            ShowRecords();
            return;
        }
        ResetGroups();
    }
    muidEdit_->setText(U(muids));
    std::string key;
    const bool found = db_.LocateUnit(muids, &key);
    state_.SoilUnitLinked = found;
    Located(found, key);
    show();
    raise();
}

void TStatSurGoForm::showEvent(QShowEvent* e) {
    // Opening a layer or Clear All went past the window: its tables are stale.
    if (!soilDbActive_ && db_.IsOpen()) DEActivateDatabase();
    QWidget::showEvent(e);
}

void TStatSurGoForm::closeEvent(QCloseEvent* e) {
    // The tables close with the window; SoilDbActive stays as it is.
    if (soilDbActive_) {
        db_.Close();
        ShowRecords();
    }
    QWidget::closeEvent(e);
}

TStatSurGoForm* InstallSoilWindow(QWidget* mainWindow, LayerStore& store, bool& soilDbActive, bool& extDbLinked,
                                  Prompter& prompter, std::function<void(int)> help) {
    auto* w = new TStatSurGoForm(store, soilDbActive, prompter, mainWindow);
    w->SetExternalDbLink(&extDbLinked);
    if (help) QObject::connect(w, &TStatSurGoForm::helpRequested, w, help);
    auto* statsgo = mainWindow->findChild<QAction*>("StatsgoSoilsDbMI");
    auto* ssurgo = mainWindow->findChild<QAction*>("SsurgoSoilsDbMI");
    for (QAction* a : {statsgo, ssurgo}) {
        if (!a) continue;
        a->setProperty("available", true);
        a->setCheckable(true);
    }
    if (statsgo) QObject::connect(statsgo, &QAction::triggered, w, [w] { w->StatsgoSoilsDbClick(); });
    if (ssurgo) QObject::connect(ssurgo, &QAction::triggered, w, [w] { w->SsurgoSoilsDbClick(); });
    QObject::connect(w, &TStatSurGoForm::modeChanged, w, [statsgo, ssurgo](bool st, bool ss) {
        if (statsgo) statsgo->setChecked(st);
        if (ssurgo) ssurgo->setChecked(ss);
    });
    return w;
}

void SoilsInfoLookup(QWidget* mainWindow, const std::string& muids) {
    if (auto* w = mainWindow ? mainWindow->findChild<TStatSurGoForm*>("TStatSurGoForm") : nullptr) w->SoilsInfo(muids);
}

}  // namespace zemba
