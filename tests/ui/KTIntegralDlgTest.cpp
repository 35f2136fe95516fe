// The Calculate Integral dialog driven as the user drives it: the function lists, the swap
// buttons, "Delete", "Set As Default" and the typeset preview.

#include "ui/KTIntegralDlg.h"

#include "engine/KTFunction3.h"
#include "foundation/KTLogBrush.h"
#include "graph/KTGraph3.h"
#include "graph/KTIntegralFunction.h"
#include "graph/KTOptionIntegral.h"
#include "ui/CColorButton.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>

#include "ui/KTDialogTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include <initializer_list>
#include <utility>

namespace {

using kttest::Interpret;
using kttest::Items;

/// Explicit functions in slots 0, 1 and 5; a polar, an empty, an x = f(y) and a parametric one
/// between them, none of which can be integrated here.
void FillGraph(KTGraph3& graph)
{
    Interpret(graph, {{0, "y=x^2"}, {1, "y=2x"}, {2, "r=2"}, {5, "y=x+1"}, {6, "x=y^2"}, {9, "x=2t;y=t"}});
}

/// Runs the dialog on the graph, answering with the hook; the dialog is returned for reading.
std::unique_ptr<KTIntegralDlg> RunDialog(KTGraph3* graph, KTOptionIntegral* defaults,
                                         const std::function<int(KTIntegralDlg&)>& answer,
                                         int* result = nullptr)
{
    auto dialog = std::make_unique<KTIntegralDlg>();
    dialog->m_graph = graph;
    dialog->m_defaults = defaults;
    const auto previous = KTIntegralDlg::SetModalHook(answer);
    const int code = dialog->DoModal();
    KTIntegralDlg::SetModalHook(previous);
    if (result)
        *result = code;
    return dialog;
}

int PressOk(KTIntegralDlg& dialog)
{
    dialog.OkButton()->click();
    return dialog.result();
}

} // namespace

TEST(KTIntegralDlg, PreviewTextTable)
{
    const struct
    {
        const char* first;
        const char* second;
        const char* lower;
        const char* upper;
        const char* expected;
    } rows[] = {
        {"x^2", "x Axis", "-1", "1", "int(-1,1) x^2 dx"},
        {"y = x^2", "y Axis", "0", "2", "int(0,2) x^2 dx (y Axis)"},
        {"f(x)= sin (x)", "x Axis", "0", "pi/2", "int(0,pi/2) sin(x) dx"},
        {"x^2", "2*x", "a", "b", "int(a,b) x^2- [2*x] dx"},
        {"x+1", "y=3", "", "", "int(,) (x+1)- [3] dx"},
        // Only a left side written exactly so is cut; the spaces always go.
        {"Y=x", "x Axis", "0", "1", "int(0,1) Y=x dx"},
        // A power of ten is shown as the number it is read as; "2e" stays twice e.
        {"x", "x Axis", "-1e3", "2.5e-4", "int(-(1*10^(3)),(2.5*10^(-4))) x dx"},
        {"x", "x Axis", "2e", "e/2", "int(2e,e/2) x dx"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(KTIntegralDlg::BuildPreviewText(row.first, row.second, row.lower, row.upper),
                  CString(row.expected))
            << row.first;
}

TEST(KTIntegralDlg, ListsOnlyExplicitFunctionsOfX)
{
    KTGraph3 graph;
    FillGraph(graph);
    KTOptionIntegral defaults;
    int result = 0;
    auto dialog = RunDialog(
        &graph, &defaults, [](KTIntegralDlg& d) { return PressOk(d); }, &result);
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(Items(dialog->FirstList()), QStringList({"y=x^2", "y=2x", "y=x+1"}));
    EXPECT_EQ(Items(dialog->SecondList()), QStringList({"x Axis", "y Axis", "y=x^2", "y=2x", "y=x+1"}));
    const std::array<int, 12> firstMap{0, 1, 5, -1, -1, -1, -1, -1, -1, -1, -1, -1};
    const std::array<int, 12> secondMap{-1, -2, 0, 1, 5, -1, -1, -1, -1, -1, -1, -1};
    EXPECT_EQ(dialog->m_firstMap, firstMap);
    EXPECT_EQ(dialog->m_secondMap, secondMap);
    // A new integral: the first listed function, the x axis, the default bounds and look.
    EXPECT_EQ(dialog->m_first, 0);
    EXPECT_EQ(dialog->m_second, KTIntegralDlg::XAxis);
    EXPECT_EQ(dialog->m_lowerText, CString("-1"));
    EXPECT_EQ(dialog->m_upperText, CString("1"));
    EXPECT_EQ(dialog->m_colour, 0xC8C8C8u);
    EXPECT_EQ(dialog->m_showArea, 1);
    EXPECT_EQ(dialog->m_firstText, CString("y=x^2"));
    EXPECT_EQ(dialog->m_secondText, CString("x Axis"));
    EXPECT_FALSE(dialog->SwapFunctionsButton()->isEnabled());
}

TEST(KTIntegralDlg, WithoutFunctionsNothingIsChosen)
{
    KTGraph3 graph;
    Interpret(graph, {{0, "r=3"}});
    auto dialog = RunDialog(&graph, nullptr, [](KTIntegralDlg& d) { return PressOk(d); });
    EXPECT_EQ(dialog->FirstList()->count(), 0);
    EXPECT_EQ(dialog->m_first, -1);
    EXPECT_EQ(dialog->m_second, KTIntegralDlg::XAxis);
    EXPECT_FALSE(dialog->SetAsDefaultButton()->isEnabled());
}

TEST(KTIntegralDlg, OpensOnTheSelectedIntegralInTheYAxisMode)
{
    KTGraph3 graph;
    FillGraph(graph);
    KTIntegralFunction integral;
    integral.m_first = 5;
    integral.m_second = KTIntegralFunction::kYAxis;
    integral.m_yAxis = true;
    integral.m_lowerText = "0";
    integral.m_upperText = "pi/2";
    integral.m_colour = 0x00FF00;
    integral.m_showArea = false;
    graph.AddIntegral(integral, true);
    graph.Data().m_integrals.m_selectedIndex = 0;

    auto dialog = RunDialog(&graph, nullptr, [](KTIntegralDlg& d) { return PressOk(d); });
    EXPECT_EQ(dialog->FirstList()->currentIndex(), 2);
    EXPECT_EQ(dialog->SecondList()->currentText(), QString("y Axis"));
    EXPECT_EQ(dialog->m_first, 5);
    EXPECT_EQ(dialog->m_second, KTIntegralDlg::YAxis);
    EXPECT_EQ(dialog->m_lowerText, CString("0"));
    EXPECT_EQ(dialog->m_upperText, CString("pi/2"));
    EXPECT_EQ(dialog->m_colour, 0x00FF00u);
    EXPECT_EQ(dialog->m_showArea, 0);
}

TEST(KTIntegralDlg, SwapsTheTwoFunctionsAndTheBounds)
{
    KTGraph3 graph;
    FillGraph(graph);
    KTIntegralFunction integral;
    integral.m_first = 0;
    integral.m_second = 5;
    graph.AddIntegral(integral, true);
    graph.Data().m_integrals.m_selectedIndex = 0;

    auto dialog = RunDialog(&graph, nullptr, [](KTIntegralDlg& d) {
        EXPECT_TRUE(d.SwapFunctionsButton()->isEnabled());
        EXPECT_EQ(d.m_second, 5);
        d.SwapFunctionsButton()->click();
        d.SwapBoundsButton()->click();
        return PressOk(d);
    });
    EXPECT_EQ(dialog->m_first, 5);
    EXPECT_EQ(dialog->m_second, 0);
    EXPECT_EQ(dialog->FirstList()->currentText(), QString("y=x+1"));
    EXPECT_EQ(dialog->SecondList()->currentText(), QString("y=x^2"));
    EXPECT_EQ(dialog->m_lowerText, CString("1"));
    EXPECT_EQ(dialog->m_upperText, CString("-1"));
}

TEST(KTIntegralDlg, ChoosingAnAxisDisablesTheFunctionSwap)
{
    KTGraph3 graph;
    FillGraph(graph);
    auto dialog = RunDialog(&graph, nullptr, [](KTIntegralDlg& d) {
        d.SecondList()->setCurrentIndex(3);
        EXPECT_EQ(d.m_second, 1);
        EXPECT_TRUE(d.SwapFunctionsButton()->isEnabled());
        d.SecondList()->setCurrentIndex(1);
        EXPECT_EQ(d.m_second, KTIntegralDlg::YAxis);
        EXPECT_FALSE(d.SwapFunctionsButton()->isEnabled());
        d.FirstList()->setCurrentIndex(1);
        return PressOk(d);
    });
    EXPECT_EQ(dialog->m_first, 1);
    EXPECT_EQ(dialog->m_second, KTIntegralDlg::YAxis);
}

TEST(KTIntegralDlg, DeleteEndsAsOkWithNoFunctions)
{
    KTGraph3 graph;
    FillGraph(graph);
    int result = 0;
    auto dialog = RunDialog(
        &graph, nullptr,
        [](KTIntegralDlg& d) {
            d.DeleteButton()->click();
            return d.result();
        },
        &result);
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(dialog->m_first, -1);
    EXPECT_EQ(dialog->m_second, -1);
}

TEST(KTIntegralDlg, SetAsDefaultChangesTheDefaultsInMemoryOnly)
{
    KTGraph3 graph;
    FillGraph(graph);
    KTOptionIntegral defaults;
    int result = 0;
    RunDialog(
        &graph, &defaults,
        [](KTIntegralDlg& d) {
            d.ShadeButton()->SetColor(0x123456);
            d.ShowAreaCheck()->setChecked(false);
            d.SetAsDefaultButton()->click();
            EXPECT_TRUE(d.isVisible());
            d.CancelButton()->click();
            return d.result();
        },
        &result);
    EXPECT_EQ(result, QDialog::Rejected);
    EXPECT_EQ(defaults.m_brush.GetValue(), KTLogBrush(KTBrushKindNumber, 1, 0x123456, 0));
    EXPECT_FALSE(defaults.m_showArea.m_value);
    EXPECT_EQ(defaults.m_modified, 1);
}

TEST(KTIntegralDlg, PreviewFollowsTheTypedBounds)
{
    KTGraph3 graph;
    FillGraph(graph);
    RunDialog(&graph, nullptr, [](KTIntegralDlg& d) {
        d.LowerEdit()->setText(QStringLiteral("0"));
        d.UpperEdit()->setText(QStringLiteral("pi/2"));
        d.SecondList()->setCurrentIndex(4);
        d.PreviewFrame()->grab();
        EXPECT_EQ(d.m_previewText, CString("int(0,pi/2) x^2- [x+1] dx"));
        return PressOk(d);
    });
}

TEST(KTIntegralDlg, ListsAndPreviewsTheFunctionsAsTyped)
{
    const struct
    {
        const char* typed;
        const char* listed;
        const char* preview;
    } rows[] = {
        {"x^2+y^2=9", "x^2+y^2=9", "int(-1,1) x^2+y^2=9 dx"},
        {"y>x^2-3", "y>x^2-3", "int(-1,1) y>x^2-3 dx"},
        {"y=1/(x-2)", "y=1/(x-2)", "int(-1,1) 1/(x-2) dx"},
        {"y = x^2 - 3", "y = x^2 - 3", "int(-1,1) (x^2-3) dx"},
        // The domain is no part of the function's name.
        {"y=x^2;x>0", "y=x^2", "int(-1,1) x^2 dx"},
    };
    for (const auto& row : rows) {
        KTGraph3 graph;
        Interpret(graph, {{0, row.typed}, {1, "y=x"}});
        RunDialog(&graph, nullptr, [&](KTIntegralDlg& d) {
            d.show();
            d.grab(); // the whole dialog, as the user sees it
            EXPECT_EQ(Items(d.FirstList()), QStringList({row.listed, "y=x"})) << row.typed;
            EXPECT_EQ(d.FirstList()->currentText(), QString(row.listed)) << row.typed;
            EXPECT_EQ(d.m_previewText, CString(row.preview)) << row.typed;
            d.SecondList()->setCurrentIndex(2);
            d.grab();
            EXPECT_EQ(d.SecondList()->currentText(), QString(row.listed)) << row.typed;
            return PressOk(d);
        });
    }
}
