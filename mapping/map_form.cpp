#include "mapping/map_form.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QEvent>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <algorithm>
#include <QTabWidget>
#include <QVBoxLayout>

#include "core/file_io.h"
#include "mapping/datum.h"

namespace zemba {

namespace {

QString L1(const std::string& s) { return QString::fromLatin1(s.c_str()); }
std::string FromL1(const QString& s) { return s.toLatin1().toStdString(); }

// Control names and captions of the edits by field.
struct EditSpec {
    const char* field;
    const char* control;
    const char* caption;
};
const EditSpec kEdits[] = {
    {"Name", "MapNameEdit", "Map Name"},
    {"Date", "MapDateEdit", "Date [Source year, Revision year] (10)"},
    {"Revision", "MapRevisionEdit", "P ,I, L, or None (1)"},
    {"Scale", "MapScaleEdit", "Scale"},
    {"Quadrangle", "MapQuadrangleEdit", "Quadrangle"},
    {"ProductType", "ProductTypeEdit", "Raw, Rad, Geo"},
    {"PreProcessing", "PreProcessingEdit", "Pre-processing"},
    {"Resampling", "ResamplingTechniqueEdit", "Resampling Technique"},
    {"StatePlaneZone", "StatePlaneZoneEdit", "State Plane Zone"},
    {"SMajor", "SMajorEdit", "Semi-major Axis"},
    {"SMinor", "SMinorEdit", "Semi-minor Axis"},
    {"Sphere", "SphereEdit", "Sphere Radius"},
    {"FalseEasting", "FEEdit", "X Shift (False Easting)"},
    {"FalseNorthing", "FNEdit", "Y Shift (False Northing)"},
    {"OriginLat", "OriginLatEdit", "Latitude of Origin"},
    {"StdPr1", "STDPR1Edit", "1st Standard Parallel"},
    {"StdPr2", "StdPr2Edit", "2nd Standard Parallel"},
    {"CentMer", "CentMerEdit", "Central Meridian"},
    {"TrueScale", "TrueScaleEdit", "Latitude of True Scale"},
    {"CentLon", "CentLonEdit", "Longitude of Centre"},
    {"CenterLat", "CenterLatEdit", "Latitude of Centre"},
    {"Mode", "ModeEdit", "Mode: A=0 or B=1"},
    {"StdPar", "STDPAREdit", "Standard Parallel"},
    {"LongPol", "LongPolEdit", "Longitude down below pole of map"},
    {"Factor", "FactorEdit", "Scale Factor (Polar and HOM)"},
    {"Height", "HeightEdit", "Height"},
    {"ShapeM", "ShapeMEdit", "Shape m"},
    {"ShapeN", "ShapeNEdit", "Shape n"},
    {"Angle", "AngleEdit", "Angle"},
    {"Long1", "Long1Edit", "Long1"},
    {"Long2", "Long2Edit", "Long2"},
    {"Lat1", "Lat1Edit", "Lat1"},
    {"Lat2", "Lat2Edit", "Lat2"},
    {"AziAng", "AziAngEdit", "Azimuth"},
    {"AzmthPt", "AzmthPtEdit", "Azimuth Point Longitude"},
    {"IncAng", "IncAngEdit", "Inclination"},
    {"AscLong", "AscLongEdit", "Ascending Longitude"},
    {"PSRev", "PSRevEdit", "Period of Revolution"},
    {"LRat", "LRatEdit", "Landsat Ratio"},
    {"PFlag", "PFlagEdit", "End of Path Flag"},
    {"SatNum", "SatnumEdit", "Satellite Number"},
    {"Path", "PathEdit", "Path"},
    {"XMax", "MapXMaxEdit", "X Max"},
    {"XMin", "MapXMinEdit", "X Min"},
    {"YMax", "MapYMaxEdit", "Y Max"},
    {"YMin", "MapYMinEdit", "Y Min"},
    {"ZMax", "MapZMaxEdit", "Z Max"},
    {"ZMin", "MapZMinEdit", "Z Min"},
    {"MMax", "MapMMaxEdit", "M Max"},
    {"MMin", "MapMMinEdit", "M Min"},
    {"ULLon", "ULLongitudeEdit", "Upper Left Longitude"},
    {"ULLat", "ULLatitudeEdit", "Upper Left Latitude"},
    {"URLon", "URLongitudeEdit", "Upper Right Longitude"},
    {"URLat", "URLatitudeEdit", "Upper Right Latitude"},
    {"LLLon", "LLLongitudeEdit", "Lower Left Longitude"},
    {"LLLat", "LLLatitudeEdit", "Lower Left Latitude"},
    {"LRLon", "LRLongitudeEdit", "Lower Right Longitude"},
    {"LRLat", "LRLatitudeEdit", "Lower Right Latitude"},
    {"MetadataFile", "MetadataFileEdit", "Metadata File"},
};
const char* const kEdgeControls[12] = {"MapEdge1Edit",  "MapEdge2Edit",  "MapEdge3Edit",  "MapEdge4Edit",
                                       "MapEdgeW1Edit", "MapEdgeW2Edit", "MapEdgeN1Edit", "MapEdgeN2Edit",
                                       "MapEdgeE1Edit", "MapEdgeE2Edit", "MapEdgeS1Edit", "MapEdgeS2Edit"};
const char* const kAffineControls[15] = {"DLGPA1", "DLGPA2", "DLGPA3", "DLGPB1", "DLGPB2", "DLGPB3", "DLGPC1", "DLGPC2",
                                         "DLGPC3", "DLGPD1", "DLGPD2", "DLGPD3", "DLGPE1", "DLGPE2", "DLGPE3"};

const EditSpec* FindEdit(const std::string& field) {
    for (const EditSpec& e : kEdits)
        if (field == e.field) return &e;
    return nullptr;
}

}  // namespace

TMapForm::TMapForm(MapCommands& commands, LayerStore& store, MapProject& project, QWidget* parent)
    : QWidget(parent, Qt::Window), commands_(commands), store_(store), project_(project) {
    setObjectName("TMapForm");
    setWindowTitle("Map Project Projections");
    Build();
    // FormCreate's preselections.
    List("ZUnits")->setCurrentIndex(2);
    List("MUnits")->setCurrentIndex(2);
    List("Units")->setCurrentIndex(4);
    List("ProjectionCode")->setCurrentIndex(0);
    List("UtmZone")->setCurrentIndex(16);
    List("Datum")->setCurrentIndex(13);
    List("Spheroid")->setCurrentIndex(0);
    List("Category")->setCurrentIndex(0);
    progress_->hide();
    // Every page fits at the window's first size: no side scrolling, no
    // cut edit.
    int widest = 560;
    for (int k = 0; k < pages_->count(); ++k)
        if (auto* area = qobject_cast<QScrollArea*>(pages_->widget(k)))
            widest = std::max(widest, area->widget()->minimumSizeHint().width() +
                                          area->verticalScrollBar()->sizeHint().width() + 2 * area->frameWidth() + 4);
    pages_->setMinimumWidth(widest);
    resize(sizeHint().expandedTo(QSize(0, 520)));
}

QPushButton* TMapForm::AddButton(const QString& name, const QString& text, const QString& hint) {
    auto* b = new QPushButton(text, this);
    b->setObjectName(name);
    b->setToolTip(hint);
    buttons_[name] = b;
    return b;
}

void TMapForm::Build() {
    auto* top = new QHBoxLayout(this);
    auto* left = new QVBoxLayout;
    top->addLayout(left);
    pages_ = new QTabWidget(this);
    // Wide enough for the captions and their edits side by side, and for
    // the page tabs, without a scroll bar.
    pages_->setMinimumWidth(560);
    pages_->setUsesScrollButtons(false);
    top->addWidget(pages_, 1);
    auto* right = new QVBoxLayout;
    top->addLayout(right);

    auto page = [this](const QString& title) {
        auto* area = new QScrollArea(pages_);
        auto* w = new QWidget;
        auto* form = new QFormLayout(w);
        // Long captions go above their edits rather than push the page wider.
        form->setRowWrapPolicy(QFormLayout::WrapLongRows);
        form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
        area->setWidget(w);
        area->setWidgetResizable(true);
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        pages_->addTab(area, title);
        return form;
    };
    auto edit = [this](QFormLayout* form, const std::string& field) {
        const EditSpec* spec = FindEdit(field);
        auto* e = new QLineEdit(this);
        e->setObjectName(spec ? spec->control : field.c_str());
        edits_[field] = e;
        form->addRow(spec ? spec->caption : field.c_str(), e);
        return e;
    };
    auto list = [this](QFormLayout* form, const std::string& field, const char* control, const QString& caption,
                       const QStringList& items) {
        auto* c = new QComboBox(this);
        c->setObjectName(control);
        c->addItems(items);
        lists_[field] = c;
        form->addRow(caption, c);
        return c;
    };
    auto check = [this](QLayout* layout, const std::string& field, const char* control, const QString& text) {
        auto* c = new QCheckBox(text, this);
        c->setObjectName(control);
        checks_[field] = c;
        layout->addWidget(c);
        return c;
    };
    auto names = [](const char* const* v, int n) {
        QStringList l;
        for (int k = 0; k < n; ++k) l << v[k];
        return l;
    };

    // Source.
    QFormLayout* source = page("Source");
    for (const char* f : {"Name", "Date", "Revision", "Scale", "Quadrangle", "ProductType", "PreProcessing", "Resampling"})
        edit(source, f);
    Edit("Name")->setMaxLength(40);
    connect(Edit("Name"), &QLineEdit::textEdited, this, [this](const QString& t) {
        if (t != t.toUpper()) Edit("Name")->setText(t.toUpper());
    });
    // The twelve one-letter edge flags in two rows of six, so they fit.
    auto* edges = new QWidget(this);
    auto* edgeGrid = new QGridLayout(edges);
    edgeGrid->setContentsMargins(0, 0, 0, 0);
    edgeGrid->setHorizontalSpacing(4);
    for (int k = 0; k < 12; ++k) {
        auto* e = new QLineEdit(this);
        e->setObjectName(kEdgeControls[k]);
        e->setMaxLength(1);
        e->setFixedWidth(e->fontMetrics().horizontalAdvance("MM") + 12);
        e->setToolTip(QString(kEdgeControls[k]).mid(3).chopped(4));
        edits_["EdgeFlags" + std::to_string(k)] = e;
        edgeGrid->addWidget(e, k / 6, k % 6);
    }
    edgeGrid->setColumnStretch(6, 1);
    source->addRow("Edge Flags", edges);
    list(source, "Category", "CatNameCB", "Category", names(kCategoryNames, 14));

    // Projection.
    QFormLayout* proj = page("Projection");
    list(proj, "ProjectionCode", "ProjectionCB", "Projection", names(kProjectionNames, kProjectionCount));
    list(proj, "Units", "InUnitCB", "Units", names(kUnitNames, kUnitCount));
    QStringList zones;
    for (int z = 1; z <= 60; ++z) zones << QString::fromStdString(UtmZoneName(z));
    list(proj, "UtmZone", "InUtmZoneCB", "UTM Zone", zones);
    QStringList datums;
    for (int d = 0; d < kDatumListSize; ++d) datums << DatumListName(d);
    list(proj, "Datum", "InDatumCB", "Datum", datums);
    list(proj, "Spheroid", "SpheroidCB", "Spheroid", names(kSpheroidNames, kSpheroidCount));
    edit(proj, "StatePlaneZone")->setToolTip("Spheroid 0 or 8");
    auto* projChecks = new QVBoxLayout;
    check(projChecks, "UtmNorth", "UTMZoneNorthCB", "Map in Northern Hemisphere?");
    check(projChecks, "ProjectionValid", "ProjectionValidCBox", "Projection is Valid");
    proj->addRow(projChecks);
    // A datum brings its own spheroid (NAD83 on Clarke 1866 is 200 m off).
    connect(List("Datum"), qOverload<int>(&QComboBox::currentIndexChanged), this, [this](int d) {
        const int s = DatumSpheroid(d);
        if (s >= 0) List("Spheroid")->setCurrentIndex(s);
    });

    QFormLayout* p2 = page("P pt2");
    for (const char* f : {"SMajor", "SMinor", "Sphere", "FalseEasting", "FalseNorthing", "OriginLat", "StdPr1", "StdPr2",
                          "CentMer", "TrueScale", "CentLon", "CenterLat"})
        edit(p2, f);
    QFormLayout* p3 = page("P pt3");
    for (const char* f : {"Mode", "StdPar", "LongPol", "Factor", "Height", "ShapeM", "ShapeN", "Angle", "Long1", "Long2",
                          "Lat1", "Lat2", "AziAng", "AzmthPt", "IncAng", "AscLong", "PSRev", "LRat", "PFlag", "SatNum",
                          "Path"})
        edit(p3, f);
    Edit("Mode")->setToolTip("Mode: A=0 or B=1");

    QFormLayout* affine = page("Affine");
    for (int k = 0; k < 15; ++k) {
        auto* e = new QLineEdit(this);
        e->setObjectName(kAffineControls[k]);
        edits_["Affine" + std::to_string(k)] = e;
        // Rows A to E, columns 1 to 3.
        affine->addRow(QString("%1%2").arg(QChar('A' + k / 3)).arg(k % 3 + 1), e);
    }
    affine->addRow(new QLabel("Projection Parameters", this));
    for (int k = 0; k < 4; ++k) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QString("DLGPP%1").arg(k + 1));
        edits_["AffineP" + std::to_string(k)] = e;
        affine->addRow(QString("P%1").arg(k + 1), e);
    }

    QFormLayout* xyzm = page("XYZM");
    list(xyzm, "ZUnits", "MapZUnitsCB", "Z Units", names(kUnitNames, kUnitCount));
    list(xyzm, "MUnits", "MapMUnitsCB", "M Units", names(kUnitNames, kUnitCount));
    for (const char* f : {"XMax", "XMin", "YMax", "YMin", "ZMax", "ZMin", "MMax", "MMin"}) edit(xyzm, f);

    QFormLayout* extent = page("Extent");
    auto* cv = new QVBoxLayout;
    check(cv, "CoordinatesValid", "CoordinatesValidCBox", "Coordinates Valid");
    extent->addRow(cv);
    for (const char* f : {"ULLon", "ULLat", "URLon", "URLat", "LLLon", "LLLat", "LRLon", "LRLat"}) edit(extent, f);
    edit(extent, "MetadataFile");
    extent->addRow(AddButton("MetadataFileBtn", "Metadata File Name", "Metadata File Name"));

    QFormLayout* dd = page("DD");
    dmsEdit_ = new QLineEdit("90030000.00", this);
    dmsEdit_->setObjectName("DMSEdit");
    dmsEdit_->setToolTip("DDDMMMSS.SS");
    dd->addRow("DMS", dmsEdit_);
    QPushButton* dms = AddButton("DMStoDDBtn", "DMS to DD", "DMS to DD");
    dd->addRow(dms);
    auto refList = [&](const QString& title, const QStringList& items) {
        auto* l = new QListWidget(this);
        l->addItems(items);
        dd->addRow(title, l);
    };
    refList("World", {"Robinson", "Mercator", "Miller Cylindrical", "Equal Area Cylindrical (Behrmann, Peters)",
                      "Equidistant Cylindrical Plate Carre", "Sinusoidal", "World from Space"});
    refList("Hemisphere", {"General Perspective", "- Orthographic", "- Stereographic", "- Gnomonic",
                           "Equidistant Azimuthal", "Lambert Azimuthal Equal Area"});
    refList("Area", {"Large areas", "- Albers Equal Area", "- Equidistant Conic", "- Lambert Conformal Conic",
                     "Small Areas", "- Transverse Mercator", "- Oblique Mercator", "- Cassini", "Coordinate Systems",
                     "- State Plane", "- UTM", "- Great Britian"});

    // Left: the map's buttons and flags.
    pathLabel_ = new QLabel(this);
    pathLabel_->setObjectName("PathLabel");
    left->addWidget(pathLabel_);
    auto* nameRow = new QHBoxLayout;
    projectName_ = new QLineEdit(this);
    projectName_->setObjectName("ProjectNameEdit");
    projectName_->setReadOnly(true);
    nameRow->addWidget(projectName_);
    nameRow->addWidget(AddButton("SaveMapBtn", "Save", "Save the map project"));
    left->addLayout(nameRow);
    saveChoice_ = new QComboBox(this);
    saveChoice_->setObjectName("SaveRG");
    saveChoice_->addItems({"Layers order", " + Attributes"});
    saveChoice_->setToolTip("Layers order: the layers only; + Attributes: their classes, labels and styles too");
    auto* saveLabel = new QLabel("Save", this);
    saveLabel->setObjectName("SaveLabel");
    saveLabel->setBuddy(saveChoice_);
    auto* saveRow = new QHBoxLayout;
    saveRow->addWidget(saveLabel);
    saveRow->addWidget(saveChoice_, 1);
    left->addLayout(saveRow);
    left->addWidget(AddButton("DisplayMapBtn", "Display", "Display Map Information"));
    left->addWidget(AddButton("AcceptMapBtn", "Accept", "Accept (it is OK) Map Information"));
    check(left, "IsProjected", "IsProjectedCB", "Computer sets: Is Projected");
    check(left, "NeverProjected", "NeverProjectedCB", "Set to NEVER Project this Map");
    check(left, "IgnoreDatum", "IgnoreDatumCB", "Set to Ignore Datum");
    check(left, "IgnoreErrors", "IgnoreErrorsCB", "Ignore Errors during Map Project");
    QPushButton* projectBtn = AddButton("ConvertMapBtn", "Project", "Convert Map Display to Selected Projection");
    projectBtn->installEventFilter(this);
    left->addWidget(projectBtn);
    projectionCaption_ = new QLabel("0: Geo", this);
    projectionCaption_->setObjectName("ProjectionLabel");
    left->addWidget(projectionCaption_);
    progress_ = new QProgressBar(this);
    left->addWidget(progress_);
    left->addStretch(1);
    left->addWidget(AddButton("HelpBtn", "Help", "Help"));

    // Right: the layer's buttons.
    right->addWidget(new QLabel("Select Layer for Information", this));
    layerList_ = new QListWidget(this);
    layerList_->setObjectName("LayerLB");
    right->addWidget(layerList_, 1);
    right->addWidget(AddButton("DisplayLayerBtn", "Display", "Load Layer Information"));
    right->addWidget(AddButton("AcceptLayerBtn", "Accept", "Save (it is OK) Layer Information"));
    right->addWidget(AddButton("ConvertLayerBtn", "Convert", "Convert Layer to Geo DDegree"));

    connect(Button("HelpBtn"), &QPushButton::clicked, this, [this] { emit helpRequested(kMapFormHelp); });
    connect(Button("SaveMapBtn"), &QPushButton::clicked, this, [this] {
        project_.SaveMode = saveChoice_->currentIndex();
        commands_.SaveMapBtnClick();
        RefreshLists();
    });
    connect(Button("DisplayMapBtn"), &QPushButton::clicked, this, [this] { SetPageValues(commands_.DisplayMap()); });
    connect(Button("AcceptMapBtn"), &QPushButton::clicked, this, [this] {
        project_.SaveMode = saveChoice_->currentIndex();
        if (commands_.AcceptMap(PageValues())) Check("ProjectionValid")->setChecked(true);
        RefreshLists();
    });
    connect(Button("DisplayLayerBtn"), &QPushButton::clicked, this, [this] {
        MapFormValues v;
        if (commands_.DisplayLayer(SelectedLayer(), v)) SetPageValues(v);
        RefreshLists();
    });
    connect(Button("AcceptLayerBtn"), &QPushButton::clicked, this,
            [this] { commands_.AcceptLayer(SelectedLayer(), PageValues()); });
    connect(Button("ConvertLayerBtn"), &QPushButton::clicked, this, [this] {
        progress_->show();
        commands_.ConvertLayer(SelectedLayer(), Check("IgnoreDatum")->isChecked(), Check("IgnoreErrors")->isChecked());
        progress_->hide();
    });
    connect(dms, &QPushButton::clicked, this, [this] {
        std::string t = FromL1(dmsEdit_->text());
        if (commands_.DmsToDdText(t)) dmsEdit_->setText(L1(t));
    });
}

bool TMapForm::eventFilter(QObject* watched, QEvent* e) {
    if (watched == Button("ConvertMapBtn") && e->type() == QEvent::MouseButtonRelease) {
        auto* me = static_cast<QMouseEvent*>(e);
        progress_->show();
        if (me->button() == Qt::RightButton || (me->buttons() & Qt::RightButton)) {
            const MapFormValues pages = PageValues();
            commands_.Project(&pages);
        } else if (me->button() == Qt::LeftButton) {
            commands_.Project();
        }
        progress_->hide();
        Check("IsProjected")->setChecked(project_.MapInfo.IsProjected != 0);
        RefreshLists();
        return me->button() == Qt::RightButton;
    }
    return QWidget::eventFilter(watched, e);
}

QLineEdit* TMapForm::Edit(const std::string& f) const {
    auto it = edits_.find(f);
    return it == edits_.end() ? nullptr : it->second;
}
QComboBox* TMapForm::List(const std::string& f) const {
    auto it = lists_.find(f);
    return it == lists_.end() ? nullptr : it->second;
}
QCheckBox* TMapForm::Check(const std::string& f) const {
    auto it = checks_.find(f);
    return it == checks_.end() ? nullptr : it->second;
}
QPushButton* TMapForm::Button(const QString& name) const {
    auto it = buttons_.find(name);
    return it == buttons_.end() ? nullptr : it->second;
}

MapFormValues TMapForm::PageValues() const {
    MapFormValues v;
    for (const auto& e : edits_) v.text[e.first] = FromL1(e.second->text());
    for (const auto& l : lists_) v.index[l.first] = l.second->currentIndex();
    for (const auto& c : checks_) v.check[c.first] = c.second->isChecked();
    return v;
}

void TMapForm::SetPageValues(const MapFormValues& v) {
    for (const auto& t : v.text)
        if (QLineEdit* e = Edit(t.first)) e->setText(L1(t.second));
    for (const auto& i : v.index)
        if (QComboBox* c = List(i.first)) {
            // Showing a stored description must not re-pick its spheroid.
            const QSignalBlocker block(c);
            c->setCurrentIndex(i.second);
        }
    for (const auto& k : v.check)
        if (QCheckBox* c = Check(k.first)) c->setChecked(k.second);
    RefreshLists();
}

int TMapForm::SelectedLayer() const { return layerList_->currentRow(); }

void TMapForm::RefreshLists() {
    const int row = layerList_->currentRow();
    layerList_->clear();
    for (std::int32_t i = 1; i <= store_.LayerCount; ++i) layerList_->addItem(L1(store_.ShapeLayers[i].ShpName));
    layerList_->setCurrentRow(row >= 0 && row < store_.LayerCount ? row : store_.CurrentLayer - 1);
    pathLabel_->setText(QString::fromLocal8Bit(store_.ProjectPath.c_str()));
    // "Nada" is the files' word for no project: the box stays empty.
    projectName_->setText(store_.ProjectName == "Nada" ? QString()
                                                       : QString::fromLocal8Bit(store_.ProjectName.c_str()));
    projectionCaption_->setText(L1(project_.MapLegend.ProjectionName));
    saveChoice_->setCurrentIndex(project_.SaveMode == 1 ? 1 : 0);
}

void TMapForm::ShowProject() {
    SetPageValues(commands_.DisplayMap());
    Check("IsProjected")->setChecked(project_.MapInfo.IsProjected != 0);
}

void TMapForm::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    layerList_->setCurrentRow(-1);
    RefreshLists();
    if (store_.LayerCount > 0 &&
        (store_.ProjectName == "Nada" || !FileExists(store_.ProjectPath + store_.ProjectName))) {
        // A project must exist before anything is edited.
        commands_.SaveMapBtnClick();
    }
    // The pages show the project being edited, never the last one shown.
    ShowProject();
}

void TMapForm::closeEvent(QCloseEvent* e) {
    emit closed();
    QWidget::closeEvent(e);
}

}  // namespace zemba
