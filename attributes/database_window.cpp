#include "attributes/database_window.h"

#include <QComboBox>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QSignalBlocker>
#include <QScrollArea>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "attributes/print_text.h"

namespace zemba {

namespace {

QPushButton* MakeButton(QWidget* parent, const char* text) {
    auto* b = new QPushButton(QString::fromLatin1(text), parent);
    b->setObjectName(QString::fromLatin1(text).remove(' ') + "Btn");
    return b;
}

}  // namespace

TZeEditDbForm::TZeEditDbForm(LayerStore& store, Prompter& prompter, AttributeHooks& hooks, QWidget* parent)
    : QWidget(parent, Qt::Tool), store_(store), prompter_(prompter), hooks_(hooks), logic_(store, prompter, hooks) {
    setObjectName("TZeEditDbForm");
    setWindowTitle("Database");
    auto* top = new QVBoxLayout(this);

    auto* stripRow = new QHBoxLayout;
    auto* caption = new QLabel("Shape #", this);
    strip_ = new QLabel(this);
    strip_->setObjectName("ShapeNumPanel");
    strip_->setFrameShape(QFrame::Panel);
    strip_->installEventFilter(this);
    stripRow->addWidget(caption);
    stripRow->addWidget(strip_, 1);
    top->addLayout(stripRow);

    panels_ = new QStackedWidget(this);
    top->addWidget(panels_, 1);

    // 1: the fields.
    fieldsArea_ = new QScrollArea(panels_);
    fieldsInner_ = new QWidget;
    fieldsInner_->setObjectName("FieldsPanel");
    fieldsInner_->installEventFilter(this);
    fieldsArea_->setWidget(fieldsInner_);
    fieldsArea_->viewport()->installEventFilter(this);
    panels_->addWidget(fieldsArea_);

    // 2: a new field.
    auto* nf = new QWidget(panels_);
    auto* nfl = new QGridLayout(nf);
    nfl->addWidget(new QLabel("Add a New Field", nf), 0, 0, 1, 2);
    nfl->addWidget(new QLabel("Name", nf), 1, 0);
    newName_ = new QLineEdit(nf);
    nfl->addWidget(newName_, 1, 1);
    nfl->addWidget(new QLabel("DataType", nf), 2, 0);
    newType_ = new QComboBox(nf);
    for (const char* item : kDataTypeItems) newType_->addItem(QString::fromLatin1(item));
    nfl->addWidget(newType_, 2, 1);
    nfl->addWidget(new QLabel("Size (if a String)", nf), 3, 0);
    newSize_ = new QLineEdit(nf);
    nfl->addWidget(newSize_, 3, 1);
    auto* nfOk = MakeButton(nf, "OK");
    auto* nfCancel = MakeButton(nf, "Cancel");
    nfl->addWidget(nfOk, 4, 0);
    nfl->addWidget(nfCancel, 4, 1);
    panels_->addWidget(nf);

    // 3: the conversion panel.
    auto* cv = new QWidget(panels_);
    auto* cvl = new QGridLayout(cv);
    cvl->addWidget(new QLabel("Convert Field to MorZ", cv), 0, 0, 1, 2);
    cvl->addWidget(new QLabel("converts a 2D into a 2D+M or 2D+MZ", cv), 1, 0, 1, 2);
    cvl->addWidget(new QLabel("Numerical Field", cv), 2, 0);
    numericField_ = new QComboBox(cv);
    cvl->addWidget(numericField_, 2, 1);
    cvl->addWidget(MakeButton(cv, "Measured"), 3, 0);
    cvl->addWidget(MakeButton(cv, "Z Elevation"), 3, 1);
    auto* cvCancel = MakeButton(cv, "Cancel");
    cvl->addWidget(cvCancel, 4, 1);
    panels_->addWidget(cv);

    // 4: the external link.
    auto* lk = new QWidget(panels_);
    auto* lkl = new QGridLayout(lk);
    lkl->addWidget(new QLabel("Link Field", lk), 0, 0);
    linkField_ = new QComboBox(lk);
    lkl->addWidget(linkField_, 0, 1);
    lkl->addWidget(new QLabel("to External Db", lk), 1, 0);
    linkFile_ = new QLineEdit(lk);
    linkFile_->setReadOnly(true);
    lkl->addWidget(linkFile_, 1, 1);
    auto* lkFile = MakeButton(lk, "...");
    lkl->addWidget(lkFile, 2, 0);
    auto* lkOk = MakeButton(lk, "OK");
    auto* lkCancel = MakeButton(lk, "Cancel");
    lkl->addWidget(lkOk, 3, 0);
    lkl->addWidget(lkCancel, 3, 1);
    panels_->addWidget(lk);

    auto* buttons = new QGridLayout;
    accept_ = MakeButton(this, "Accept OK");
    auto* exit = MakeButton(this, "Exit");
    auto* first = MakeButton(this, "First");
    auto* prev = MakeButton(this, "Previous");
    auto* next = MakeButton(this, "Next");
    auto* last = MakeButton(this, "Last");
    auto* find = MakeButton(this, "Find Shape");
    auto* print = MakeButton(this, "Print");
    auto* help = MakeButton(this, "Help");
    // The editing a user can find: the gestures (Ctrl + right click on the
    // strip or the fields) stay, these buttons do the same.
    editToggle_ = MakeButton(this, "Edit");
    editToggle_->setObjectName("EditBtn");
    editToggle_->setCheckable(true);
    auto* addField = MakeButton(this, "Add Field...");
    addField->setObjectName("AddFieldBtn");
    recordButtons_ = {exit, first, prev, next, last, find, print, addField};
    buttons->addWidget(first, 0, 0);
    buttons->addWidget(prev, 0, 1);
    buttons->addWidget(next, 0, 2);
    buttons->addWidget(last, 0, 3);
    buttons->addWidget(accept_, 1, 0, 1, 2);
    buttons->addWidget(find, 1, 2, 1, 2);
    buttons->addWidget(print, 2, 0);
    buttons->addWidget(help, 2, 1);
    buttons->addWidget(exit, 2, 2, 1, 2);
    buttons->addWidget(editToggle_, 3, 0, 1, 2);
    buttons->addWidget(addField, 3, 2, 1, 2);
    top->addLayout(buttons);
    resize(300, 420);

    auto step = [this](void (DatabaseLogic::*fn)()) {
        return [this, fn] {
            if (!LeaveRecord()) return;
            (logic_.*fn)();
            DisplayDbShape();
        };
    };
    connect(editToggle_, &QPushButton::toggled, this, [this](bool on) {
        logic_.AcceptEnabled = on;
        SyncButtons();
    });
    connect(addField, &QPushButton::clicked, this, [this] {
        if (logic_.OpenPanel(true, false, false)) SyncButtons();
    });
    connect(first, &QPushButton::clicked, this, step(&DatabaseLogic::First));
    connect(prev, &QPushButton::clicked, this, step(&DatabaseLogic::Previous));
    connect(next, &QPushButton::clicked, this, step(&DatabaseLogic::Next));
    connect(last, &QPushButton::clicked, this, step(&DatabaseLogic::Last));
    connect(find, &QPushButton::clicked, this, [this] {
        if (LeaveRecord()) logic_.FindShape();
    });
    connect(exit, &QPushButton::clicked, this, &QWidget::close);
    connect(help, &QPushButton::clicked, this, [this] {
        if (hooks_.ShowHelp) hooks_.ShowHelp(6000);
    });
    connect(accept_, &QPushButton::clicked, this, &TZeEditDbForm::AcceptClick);
    connect(print, &QPushButton::clicked, this, &TZeEditDbForm::PrintClick);
    auto cancel = [this] {
        logic_.CancelPanel();
        panels_->setCurrentIndex(0);
        SyncButtons();
    };
    connect(nfCancel, &QPushButton::clicked, this, cancel);
    connect(cvCancel, &QPushButton::clicked, this, cancel);
    connect(lkCancel, &QPushButton::clicked, this, cancel);
    connect(nfOk, &QPushButton::clicked, this,
            [this] { AddFieldOk(newName_->text(), newType_->currentText(), newSize_->text()); });
    connect(lkFile, &QPushButton::clicked, this, [this] {
        std::string dummy;
        std::string& dir = vectorDbDir_ ? *vectorDbDir_ : dummy;
        const std::string path =
            prompter_.ChooseOpenFile("Open", dir, "Shape File Maps(*.shp, *.map)|*.shp;*.map");
        if (logic_.ChooseLinkFile(path, dir)) linkFile_->setText(QFile::decodeName(logic_.LinkFile.c_str()));
    });
    connect(lkOk, &QPushButton::clicked, this, [this] { logic_.LinkOk(linkField_->currentIndex()); });
}

LayerCodec TZeEditDbForm::Codec() const {
    const ShpLayer* L = const_cast<DatabaseLogic&>(logic_).CurrentLayer();
    return LayerCodec(L ? L->CodePage : std::string());
}
QString TZeEditDbForm::Text(const std::string& bytes) const { return Codec().ToUnicode(bytes); }
std::string TZeEditDbForm::Bytes(const QString& text) const { return Codec().FromUnicode(text); }

QPushButton* TZeEditDbForm::Button(const QString& text) const {
    for (QPushButton* b : findChildren<QPushButton*>())
        if (b->text() == text) return b;
    return nullptr;
}

void TZeEditDbForm::BuildFields() {
    for (QLineEdit* e : edits_) delete e;
    for (QLabel* l : labels_) delete l;
    edits_.clear();
    labels_.clear();
    const std::vector<std::string> names = logic_.FieldNames();
    const QFont font = strip_->font();
    for (std::size_t i = 0; i < names.size(); ++i) {
        const int k = static_cast<int>(i) + 1;
        auto* label = new QLabel(Text(names[i]), fieldsInner_);
        label->setObjectName(QString("Label%1").arg(k));
        label->setAlignment(Qt::AlignCenter);
        label->setGeometry(6, 45 * k - 29, 175, 16);
        label->setFont(font);
        auto* edit = new QLineEdit(fieldsInner_);
        edit->setObjectName(QString("Edit%1").arg(k));
        edit->setGeometry(18, 45 * k - 13, 150, 22);
        edit->setFont(font);
        label->show();
        edit->show();
        labels_.push_back(label);
        edits_.push_back(edit);
    }
    fieldsInner_->resize(200, 45 * static_cast<int>(names.size()) + 84);
}

void TZeEditDbForm::DisplayDbShape() {
    strip_->setText(QString::fromStdString(logic_.StripText()));
    const std::vector<std::string> values = logic_.RecordValues();
    for (std::size_t i = 0; i < edits_.size(); ++i)
        edits_[i]->setText(i < values.size() ? Text(values[i]) : QString());
}

bool TZeEditDbForm::LeaveRecord() {
    // Typed values are not dropped without a word.
    const std::vector<std::string> values = logic_.RecordValues();
    bool changed = false;
    for (std::size_t i = 0; i < edits_.size(); ++i)
        if (Bytes(edits_[i]->text()) != (i < values.size() ? values[i] : std::string())) changed = true;
    if (!changed) return true;
    const Answer a = prompter_.AskSaveChanges("Apply changes?", false);
    if (a == Answer::Cancel || a == Answer::None) return false;
    if (a == Answer::Yes) {
        logic_.AcceptEnabled = true;
        AcceptClick();
    }
    return true;
}

void TZeEditDbForm::SyncButtons() {
    for (QPushButton* b : recordButtons_) b->setEnabled(logic_.ButtonsEnabled);
    {
        const QSignalBlocker quiet(editToggle_);
        editToggle_->setChecked(logic_.AcceptEnabled);
    }
    accept_->setEnabled(logic_.AcceptEnabled && logic_.Panel == kFieldsPanel);
    panels_->setCurrentIndex(logic_.Panel - 1);
}

void TZeEditDbForm::InitDBForm(int layer, int mode, int shape) {
    if (logic_.InitDBForm(layer, mode, shape)) BuildFields();
    SyncButtons();
    DisplayDbShape();
}

void TZeEditDbForm::ShowDatabase(int mode) {
    InitDBForm(store_.CurrentLayer, mode, store_.CurrentShape);
    show();
    raise();
}

void TZeEditDbForm::ShowLinker() {
    logic_.StartLinker();
    linkField_->clear();
    for (const std::string& n : logic_.LinkFieldNames()) linkField_->addItem(Text(n));
    if (linkField_->count() > 0) linkField_->setCurrentIndex(0);
    linkFile_->clear();
    SyncButtons();
    show();
    raise();
}

void TZeEditDbForm::Forget() {
    logic_.Forget();
    BuildFields();
    SyncButtons();
    DisplayDbShape();
}

void TZeEditDbForm::Refresh() {
    if (logic_.Layer != 0 && !logic_.CurrentLayer()) {
        Forget();
        return;
    }
    logic_.Clamp();
    if (edits_.size() != logic_.FieldNames().size()) BuildFields();
    DisplayDbShape();
}

void TZeEditDbForm::AcceptClick() {
    std::vector<std::string> texts;
    for (QLineEdit* e : edits_) texts.push_back(Bytes(e->text()));
    const bool close = logic_.Accept(texts);
    DisplayDbShape();
    if (close) {
        SyncButtons();
        hide();
    }
}

void TZeEditDbForm::AddFieldOk(const QString& name, const QString& type, const QString& size) {
    if (!logic_.AddNewField(Bytes(name), type.toStdString(), size.toStdString())) return;
    // The field controls are rebuilt the next time the window opens.
    newName_->clear();
    newSize_->clear();
    Forget();
    hide();
}

void TZeEditDbForm::PrintClick() {
    const PrintJob job = logic_.Print();
    if (job.Pages.empty()) return;
    QPrinter printer;
    printer.setDocName(Text(job.Title));
    printer.setPageOrientation(QPageLayout::Portrait);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted) return;
    PaintPrintJob(job, printer, fieldsInner_->font(), Codec());
}

bool TZeEditDbForm::eventFilter(QObject* o, QEvent* e) {
    if (e->type() == QEvent::MouseButtonRelease || e->type() == QEvent::MouseButtonPress) {
        auto* me = static_cast<QMouseEvent*>(e);
        const Qt::KeyboardModifiers mods = me->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
        if (me->button() == Qt::RightButton) {
            if (o == strip_ && e->type() == QEvent::MouseButtonPress && mods == Qt::ControlModifier) {
                logic_.EnableAccept();
                SyncButtons();
                return true;
            }
            if ((o == fieldsInner_ || o == fieldsArea_->viewport()) && e->type() == QEvent::MouseButtonRelease) {
                if (logic_.OpenPanel(mods == Qt::ControlModifier, mods == Qt::AltModifier, mods == Qt::ShiftModifier)) {
                    if (logic_.Panel == kConverterPanel || logic_.Panel == kLinkPanel) {
                        QComboBox* box = logic_.Panel == kConverterPanel ? numericField_ : linkField_;
                        box->clear();
                        for (const std::string& n : logic_.LinkFieldNames()) box->addItem(Text(n));
                        if (box->count() > 0) box->setCurrentIndex(0);
                    }
                    SyncButtons();
                }
                return true;
            }
        }
    }
    return QWidget::eventFilter(o, e);
}

}  // namespace zemba
