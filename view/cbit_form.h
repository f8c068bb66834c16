// TCBitForm: the small two-box dialog used for the bitmap size ("Create
// Bitmap") and for a new layer's name ("Create New Layer").
#pragma once

#include <QDialog>
#include <cstdint>
#include <functional>
#include <string>

#include "core/ui.h"

class QLabel;
class QLineEdit;

namespace zemba {

class TCBitForm : public QDialog {
    Q_OBJECT
public:
    // Messages of the OK check go through `prompter`, which must outlive
    // the form.
    TCBitForm(Prompter& prompter, QWidget* parent = nullptr);

    // Mode 0: bitmap size (caption "Create Bitmap", boxes "Width" and
    // "Height" emptied). Mode 1: layer name (caption "Create New Layer",
    // label "New Layer Name", box pre-filled with `layerName`, height hidden).
    void Initializer(int mode, const std::string& layerName = {});

    // Bitmap mode, after exec() returned Accepted: the entered size.
    int EnteredWidth() const { return width_; }
    int EnteredHeight() const { return height_; }
    // Layer mode: the text of the box (stored whichever button closed it).
    std::string EnteredText() const;

    void done(int r) override;

    QLineEdit* WidthEdit() const { return widthEdit_; }
    QLineEdit* HeightEdit() const { return heightEdit_; }

    // "Help" (context 13); the button does nothing without it.
    std::function<void()> Help;
    // Where every such window opens and is kept (the program options);
    // both pointers must outlive the window.
    static void KeepPlaceIn(std::int32_t* left, std::int32_t* top);

    // OK: in bitmap mode closes only when both boxes hold valid sizes.
    void accept() override;

private:
    Prompter& prompter_;
    int mode_ = 0;
    int width_ = 0;
    int height_ = 0;
    QLabel* widthLabel_;
    QLabel* heightLabel_;
    QLineEdit* widthEdit_;
    QLineEdit* heightEdit_;
};

// "Create Size...": shows the form in bitmap mode; on OK sets the view's
// bitmap size and returns true (the caller then redraws). Cancel changes
// nothing.
struct ViewState;
bool RunCreateSizeDialog(Prompter& prompter, ViewState& view, QWidget* parent = nullptr,
                         std::function<void()> help = {});

}  // namespace zemba
