// The find and classify windows drive the same code as their buttons'
// functions; here what only the windows do: lists, the grid, the hooks.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>

#include "attributes/classify_window.h"
#include "attributes/find_window.h"
#include "tests/attributes/attr_fixture.h"

using namespace zemba;
using namespace zemba::test;

TEST(FindWindow, TextFindFillsTheGridAndARowShowsItsShape) {
    LayerStore store;
    const int L = ValueLayer(store, {"cab", "AB", "abc"});
    store.CurrentLayer = L;
    int shownLayer = 0, shownShape = 0, redraws = 0;
    SearchFormHooks h;
    h.ShowShape = [&](int l, int s) { shownLayer = l, shownShape = s; };
    h.Redraw = [&] { ++redraws; };
    TSearchForm form(store, h);
    form.Init();
    form.TextEdit()->setText("ab");
    form.FindTextClick();
    EXPECT_EQ(form.FoundLabel()->text(), "Found 2");
    ASSERT_EQ(form.Results()->rowCount(), 2);
    EXPECT_EQ(form.Results()->item(1, 0)->text(), "3");
    EXPECT_EQ(form.Results()->item(1, 1)->text(), "abc");
    emit form.Results()->cellClicked(1, 0);
    EXPECT_EQ(shownLayer, L);
    EXPECT_EQ(shownShape, 3);
    form.HighlightClick();
    EXPECT_EQ(redraws, 1);
    EXPECT_EQ(store.SymLayers[L].Visible, 5);
    form.IdClick();  // no identify window wired: nothing happens

    // The value list comes from the cache once a comparison is chosen.
    const int N = ValueLayer(store, {"3", "1", "x", "2"}, ftInteger);
    store.CurrentLayer = N;
    form.Init();
    form.CompareCombo()->setCurrentIndex(1);
    emit form.CompareCombo()->activated(1);
    ASSERT_EQ(form.ValueList()->count(), 3);
    EXPECT_EQ(form.ValueList()->item(0)->text(), "1");
}

TEST(ClassifyWindow, ValuesListedWithCountsAndCancelRestores) {
    LayerStore store;
    const int L = ValueLayer(store, {"b", "a", "b"});
    store.CurrentLayer = L;
    const COLORREF before = store.SymLayers[L].SymObjs[1].BrushColor;
    int redraws = 0;
    RenderFrmHooks h;
    h.Redraw = [&] { ++redraws; };
    TRenderFrm form(store, h);
    form.Init(0x00FF00);
    form.SetValuesClick();
    ASSERT_EQ(form.ValueList()->count(), 2);
    EXPECT_EQ(form.ValueList()->item(1)->text(), "b  (2)");
    form.ApplyClick();
    EXPECT_EQ(store.SymLayers[L].Visible, 2);
    form.CancelClick();
    EXPECT_EQ(store.SymLayers[L].Visible, 1);
    EXPECT_EQ(store.SymLayers[L].SymObjs[1].BrushColor, before);
    EXPECT_EQ(redraws, 2);
}

TEST(FindWindow, TextInTheLayersEncodingIsFoundAndShown) {
    // A UTF-8 table (its .cpg says so) and the same name in a Latin-1 one.
    LayerStore store;
    const int U = ValueLayer(store, {"C\xc3\xb4te d'Ivoire", "Cote", "Ghana"});
    store.ShapeLayers[U].CodePage = "UTF-8";
    const int L = ValueLayer(store, {"C\xf4te d'Ivoire", "Ghana"});
    SearchFormHooks h;
    TSearchForm form(store, h);
    for (int layer : {U, L}) {
        store.CurrentLayer = layer;
        form.Init();
        form.TextEdit()->setText(QString::fromUtf8("C\xc3\xb4te"));
        form.FindTextClick();
        EXPECT_EQ(form.FoundLabel()->text(), "Found 1") << layer;
        ASSERT_EQ(form.Results()->rowCount(), 1) << layer;
        EXPECT_EQ(form.Results()->item(0, 1)->text(), QString::fromUtf8("C\xc3\xb4te d'Ivoire")) << layer;
    }
    // The classify window lists the values the same way.
    store.CurrentLayer = U;
    RenderFrmHooks rh;
    TRenderFrm classify(store, rh);
    classify.Init(0x00FF00);
    classify.SetValuesClick();
    ASSERT_EQ(classify.ValueList()->count(), 3);
    EXPECT_EQ(classify.ValueList()->item(1)->text(), QString::fromUtf8("C\xc3\xb4te d'Ivoire  (1)"));
}
