// The database window: one shape's attribute values as a column of
// labelled edit boxes, the record buttons, Accept, and the hidden panels
// (new field, conversion, external link).
#pragma once

#include <QWidget>
#include <vector>

#include "attributes/database.h"
#include "text/layer_codec.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QStackedWidget;

namespace zemba {

class TZeEditDbForm : public QWidget {
    Q_OBJECT
public:
    TZeEditDbForm(LayerStore& store, Prompter& prompter, AttributeHooks& hooks, QWidget* parent = nullptr);

    // Opens the window on `shape` of `layer`: mode 2 browses and edits,
    // mode 1 is new-record mode (only "Accept OK"; Accept closes).
    void InitDBForm(int layer, int mode, int shape);
    // The same on the store's current layer and shape.
    void ShowDatabase(int mode);
    // "External Db linker": the link panel, with the record buttons off.
    void ShowLinker();
    // The layer table changed: forget the layer (controls are rebuilt).
    void Forget();
    // An undo or redo step changed the table: shows the record again, with
    // the controls rebuilt when the fields changed.
    void Refresh();
    // Where the link panel's file dialog opens; updated by a chosen file.
    void SetVectorDbDir(std::string* dir) { vectorDbDir_ = dir; }

    DatabaseLogic& Logic() { return logic_; }
    std::vector<QLineEdit*> Edits() const { return edits_; }
    QPushButton* Button(const QString& text) const;
    QLabel* Strip() const { return strip_; }
    QWidget* FieldsPanel() const { return fieldsInner_; }
    // The buttons' actions, as the window's clicks run them.
    void AcceptClick();
    // Before the record changes: a value typed and not accepted is offered
    // ("Apply changes?" Yes / No / Cancel); false when the user cancels.
    bool LeaveRecord();
    void AddFieldOk(const QString& name, const QString& type, const QString& size);
    void PrintClick();

protected:
    bool eventFilter(QObject* o, QEvent* e) override;

private:
    void BuildFields();
    void DisplayDbShape();
    void SyncButtons();
    QString Text(const std::string& bytes) const;
    std::string Bytes(const QString& text) const;
    LayerCodec Codec() const;

    LayerStore& store_;
    Prompter& prompter_;
    AttributeHooks& hooks_;
    DatabaseLogic logic_;
    std::string* vectorDbDir_ = nullptr;

    QLabel* strip_;
    QStackedWidget* panels_;
    QScrollArea* fieldsArea_;
    QWidget* fieldsInner_;
    std::vector<QLineEdit*> edits_;
    std::vector<QLabel*> labels_;
    std::vector<QPushButton*> recordButtons_;
    QPushButton* accept_;
    QPushButton* editToggle_ = nullptr;
    QLineEdit* newName_;
    QComboBox* newType_;
    QLineEdit* newSize_;
    QComboBox* numericField_;
    QComboBox* linkField_;
    QLineEdit* linkFile_;
};

}  // namespace zemba
