// The map window TMapForm ("Map Project Projections"): the pages that show
// one description at a time, the map and layer Display/Accept buttons,
// Save, Project, Convert and DMS to DD. Every button runs MapCommands.
#pragma once

#include <QWidget>
#include <map>
#include <string>

#include "mapping/map_commands.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTabWidget;

namespace zemba {

// Help contexts of the map window and the projection messages window.
constexpr int kMapFormHelp = 15000;
constexpr int kProjMessagesHelp = 123;

class TMapForm : public QWidget {
    Q_OBJECT
public:
    TMapForm(MapCommands& commands, LayerStore& store, MapProject& project, QWidget* parent = nullptr);

    // The pages' controls as values and back.
    MapFormValues PageValues() const;
    void SetPageValues(const MapFormValues& v);
    // Refills the layer list and the captions (FormShow without the save).
    void RefreshLists();
    // The open project on the pages (DisplayMapInfo) with the lists.
    void ShowProject();

    QLineEdit* Edit(const std::string& field) const;
    QComboBox* List(const std::string& field) const;
    QCheckBox* Check(const std::string& field) const;
    QPushButton* Button(const QString& name) const;
    QListWidget* LayerList() const { return layerList_; }

signals:
    // The help button: the window's help context.
    void helpRequested(int context);
    // FormClose: the caller keeps the position.
    void closed();

protected:
    void showEvent(QShowEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void Build();
    QPushButton* AddButton(const QString& name, const QString& text, const QString& hint);
    int SelectedLayer() const;

    MapCommands& commands_;
    LayerStore& store_;
    MapProject& project_;
    std::map<std::string, QLineEdit*> edits_;
    std::map<std::string, QComboBox*> lists_;
    std::map<std::string, QCheckBox*> checks_;
    std::map<QString, QPushButton*> buttons_;
    QTabWidget* pages_ = nullptr;
    QListWidget* layerList_ = nullptr;
    QLabel* pathLabel_ = nullptr;
    QLabel* projectionCaption_ = nullptr;
    QLineEdit* projectName_ = nullptr;
    QComboBox* saveChoice_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLineEdit* dmsEdit_ = nullptr;
};

}  // namespace zemba
