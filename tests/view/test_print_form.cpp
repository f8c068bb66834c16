// Printing the view to a PDF file, and the "Create Bitmap" form.
#include <gtest/gtest.h>

#include <QLineEdit>
#include <QPrinter>
#include <QTimer>

#include "core/file_io.h"
#include "tests/test_support.h"
#include "tests/view/view_fixture.h"
#include "view/cbit_form.h"
#include "view/print_view.h"

namespace zemba {
namespace {

using namespace zemba::test;

TEST(PrintView, WritesTheBitmapToAPdf) {
    TempDir dir;
    LayerStore store;
    ViewState view;
    SetBitmapSize(view, 320, 240);
    const int L = AddLayer(store, 5);
    AddShape(store, L, {Square(10, 10, 90, 90)});
    store.MapXMin = 0, store.MapXMax = 100, store.MapYMin = 0, store.MapYMax = 100;
    MapRenderer r(store, view);
    NullProgress progress;
    r.DVDORedraw(progress);

    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    const std::string pdf = dir.file("view.pdf");
    printer.setOutputFileName(QString::fromStdString(pdf));
    ASSERT_TRUE(PrintViewImage(printer, r.Image()));
    const std::string bytes = ReadFileBytes(pdf);
    ASSERT_GT(bytes.size(), 500u);
    EXPECT_EQ(bytes.substr(0, 5), "%PDF-");
    EXPECT_NE(bytes.find("/Image"), std::string::npos);

    // A disk that fails the write: reported, and the earlier PDF stays.
    commit_faults::Arm(commit_faults::Kind::Write, 1);
    EXPECT_FALSE(PrintViewImage(printer, r.Image()));
    commit_faults::Disarm();
    EXPECT_EQ(ReadFileBytes(pdf), bytes);

    QPrinter other;
    other.setOutputFormat(QPrinter::PdfFormat);
    other.setOutputFileName(QString::fromStdString(dir.file("none.pdf")));
    EXPECT_FALSE(PrintViewImage(other, QImage()));
}

TEST(CreateBitmapForm, OkChecksTheNumbersAndCancelAlwaysCloses) {
    ScriptedPrompter pr;
    TCBitForm form(pr);
    form.Initializer(0);
    EXPECT_EQ(form.windowTitle(), "Create Bitmap");
    EXPECT_TRUE(form.WidthEdit()->text().isEmpty());

    form.WidthEdit()->setText("12q");
    form.HeightEdit()->setText("600");
    form.show();
    form.accept();
    EXPECT_TRUE(form.isVisible());  // stays open
    ASSERT_EQ(pr.shown.size(), 1u);
    EXPECT_EQ(pr.shown[0].family, MsgFamily::ErrorNumber);
    EXPECT_EQ(pr.shown[0].number, 3);
    EXPECT_EQ(pr.shown[0].value, "12q");

    form.reject();  // Cancel with a bad box still closes
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Rejected);

    form.WidthEdit()->setText("800");
    form.show();
    form.accept();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
    EXPECT_EQ(form.EnteredWidth(), 800);
    EXPECT_EQ(form.EnteredHeight(), 600);

    form.Initializer(1, "C:/maps/roads.shp");
    EXPECT_EQ(form.windowTitle(), "Create New Layer");
    EXPECT_EQ(form.EnteredText(), "C:/maps/roads.shp");
    EXPECT_TRUE(form.HeightEdit()->isHidden());
}

TEST(CreateBitmapForm, TheCommandSetsTheSizeOnlyOnOk) {
    ScriptedPrompter pr;
    ViewState view;
    QTimer::singleShot(0, [] {
        auto* f = qobject_cast<TCBitForm*>(QApplication::activeModalWidget());
        ASSERT_NE(f, nullptr);
        f->WidthEdit()->setText("1000");
        f->HeightEdit()->setText("x");
        f->reject();
    });
    EXPECT_FALSE(RunCreateSizeDialog(pr, view));
    EXPECT_EQ(view.BitmapWidth, 640);
    QTimer::singleShot(0, [] {
        auto* f = qobject_cast<TCBitForm*>(QApplication::activeModalWidget());
        ASSERT_NE(f, nullptr);
        f->WidthEdit()->setText("1000");
        f->HeightEdit()->setText("700");
        f->accept();
    });
    EXPECT_TRUE(RunCreateSizeDialog(pr, view));
    EXPECT_EQ(view.BitmapWidth, 1000);
    EXPECT_EQ(view.BitmapHeight, 700);
}

}  // namespace
}  // namespace zemba
