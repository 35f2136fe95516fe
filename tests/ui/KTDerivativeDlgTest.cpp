// The Tangent Line dialog driven as the user drives it: the function list, the style picker's
// hold on the weight, "Delete", "Set As Default" and the typeset preview.

#include "ui/KTDerivativeDlg.h"

#include "engine/KTFunction3.h"
#include "foundation/KTLogPen.h"
#include "foundation/KTNumberFormat.h"
#include "graph/KTDerivativeFunction.h"
#include "graph/KTGraph3.h"
#include "graph/KTOptionDerivative.h"
#include "ui/CColorButton.h"
#include "ui/KTLineStyleComboBox.h"

#include <QComboBox>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>

#include "ui/KTDialogTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <initializer_list>
#include <memory>
#include <utility>

namespace {

using kttest::Interpret;
using kttest::Items;

/// Explicit functions in slots 1, 3 and 4; polar, parametric and empty slots around them.
void FillGraph(KTGraph3& graph)
{
    Interpret(graph, {{0, "r=2"}, {1, "y=x^2"}, {2, "x=2t;y=t"}, {3, "f(x)=sin(x)"}, {4, "y=x+1"}});
}

std::unique_ptr<KTDerivativeDlg> RunDialog(KTGraph3* graph, KTOptionDerivative* defaults,
                                           const std::function<int(KTDerivativeDlg&)>& answer,
                                           int* result = nullptr)
{
    auto dialog = std::make_unique<KTDerivativeDlg>();
    dialog->m_graph = graph;
    dialog->m_defaults = defaults;
    dialog->m_colour = 0x0000FF;
    dialog->m_weightText = "0.25pt";
    dialog->m_style = KTLineStyleSolid;
    const auto previous = KTDerivativeDlg::SetModalHook(answer);
    const int code = dialog->DoModal();
    KTDerivativeDlg::SetModalHook(previous);
    if (result)
        *result = code;
    return dialog;
}

int PressOk(KTDerivativeDlg& dialog)
{
    dialog.OkButton()->click();
    return dialog.result();
}

} // namespace

TEST(KTDerivativeDlg, PreviewTextTable)
{
    const struct
    {
        const char* function;
        const char* x;
        const char* expected;
    } rows[] = {
        {"x^2", "2", "d/dx x^2 at x = 2"},
        // Any case, spaces ignored when looking for the left side; the right side is kept as is.
        {"Y = x^2", "pi/2", "d/dx x^2 at x = pi/2"},
        {"F (X)= sin(x)", "1", "d/dx sin(x) at x = 1"},
        {"g(x)=x", "", "d/dx g(x)=x at x = "},
        {"x^2", "1e-3", "d/dx x^2 at x = (1*10^(-3))"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(KTDerivativeDlg::BuildPreviewText(row.function, row.x), CString(row.expected))
            << row.function;
}

TEST(KTDerivativeDlg, WeightTextsAreReadAsPoints)
{
    const struct
    {
        const char* text;
        double points;
    } rows[] = {{"0.25pt", 0.25}, {"1.5pt", 1.5}, {"3pt", 3.0}, {"2,5pt", 2.5}, {"p1t", 1.0}};
    for (const auto& row : rows)
        EXPECT_DOUBLE_EQ(KTDerivativeDlg::ReadWeight(row.text), row.points) << row.text;
    // A weight no pen can take reads as 0.
    EXPECT_DOUBLE_EQ(KTDerivativeDlg::ReadWeight("1/0pt"), 0.0);
    // The letters go, anything else reaches the number reader.
    EXPECT_DOUBLE_EQ(KTDerivativeDlg::ReadWeight("1.5 pt"), KTNumberText().ToDouble("1.5 "));
}

TEST(KTDerivativeDlg, ListsOnlyExplicitFunctionsAndStartsOnTheFirst)
{
    KTGraph3 graph;
    FillGraph(graph);
    auto dialog = RunDialog(&graph, nullptr, [](KTDerivativeDlg& d) { return PressOk(d); });
    EXPECT_EQ(Items(dialog->FunctionList()), QStringList({"y=x^2", "f(x)=sin(x)", "y=x+1"}));
    const std::array<int, 10> map{1, 3, 4, -1, -1, -1, -1, -1, -1, -1};
    EXPECT_EQ(dialog->m_map, map);
    EXPECT_EQ(dialog->m_function, 1);
    EXPECT_EQ(dialog->m_functionText, CString("y=x^2"));
    EXPECT_EQ(dialog->m_xText, CString(""));
    EXPECT_EQ(dialog->m_weightText, CString("0.25pt"));
    EXPECT_EQ(dialog->m_colour, 0x0000FFu);
    EXPECT_EQ(dialog->m_style, KTLineStyleSolid);
    EXPECT_FALSE(dialog->SetAsDefaultButton()->isEnabled());
}

TEST(KTDerivativeDlg, OpensOnTheSelectedTangent)
{
    KTGraph3 graph;
    FillGraph(graph);
    KTDerivativeFunction tangent;
    tangent.m_function = 4;
    tangent.m_xText = "1.5";
    graph.AddDerivative(tangent, true);
    graph.Data().m_derivatives.m_selectedIndex = 0;
    auto dialog = RunDialog(&graph, nullptr, [](KTDerivativeDlg& d) {
        EXPECT_EQ(d.FunctionList()->currentIndex(), 2);
        EXPECT_EQ(d.XEdit()->text(), QString("1.5"));
        d.FunctionList()->setCurrentIndex(1);
        d.XEdit()->setText(QStringLiteral("pi/4"));
        return PressOk(d);
    });
    EXPECT_EQ(dialog->m_function, 3);
    EXPECT_EQ(dialog->m_xText, CString("pi/4"));
}

TEST(KTDerivativeDlg, WithoutExplicitFunctionsTheIndexIsNone)
{
    KTGraph3 graph;
    Interpret(graph, {{0, "r=2"}, {1, "x=2t;y=t"}});
    auto dialog = RunDialog(&graph, nullptr, [](KTDerivativeDlg& d) { return PressOk(d); });
    EXPECT_EQ(dialog->FunctionList()->count(), 0);
    EXPECT_EQ(dialog->m_function, -1);
}

TEST(KTDerivativeDlg, OnlySolidLinesTakeAWeight)
{
    KTGraph3 graph;
    FillGraph(graph);
    auto dialog = RunDialog(&graph, nullptr, [](KTDerivativeDlg& d) {
        EXPECT_TRUE(d.WeightCombo()->isEnabled());
        const QStringList styles = Items(d.StylePicker());
        EXPECT_EQ(styles, QStringList({"Solid0", "Dot", "Dash", "Dash Dot", "Dash Dot Dot"}));
        d.StylePicker()->SelectItemData(KTLineStyleDash);
        EXPECT_FALSE(d.WeightCombo()->isEnabled());
        d.StylePicker()->SelectItemData(KTLineStyleSolid);
        EXPECT_TRUE(d.WeightCombo()->isEnabled());
        d.StylePicker()->SelectItemData(KTLineStyleDot);
        d.WeightCombo()->setEditText(QStringLiteral("2pt"));
        return PressOk(d);
    });
    EXPECT_EQ(dialog->m_style, KTLineStyleDot);
    EXPECT_EQ(dialog->m_weightText, CString("2pt"));
}

TEST(KTDerivativeDlg, OpensWithTheWeightHeldForADashedPen)
{
    KTGraph3 graph;
    FillGraph(graph);
    auto dialog = std::make_unique<KTDerivativeDlg>();
    dialog->m_graph = &graph;
    dialog->m_style = KTLineStyleDashDot;
    dialog->OnInitDialog();
    EXPECT_EQ(dialog->StylePicker()->GetSelectedData(), KTLineStyleDashDot);
    EXPECT_FALSE(dialog->WeightCombo()->isEnabled());
}

TEST(KTDerivativeDlg, DeleteEndsAsOkWithNoFunction)
{
    KTGraph3 graph;
    FillGraph(graph);
    int result = 0;
    auto dialog = RunDialog(
        &graph, nullptr,
        [](KTDerivativeDlg& d) {
            d.DeleteButton()->click();
            return d.result();
        },
        &result);
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(dialog->m_function, -1);
}

TEST(KTDerivativeDlg, SetAsDefaultWritesTheDefaultPen)
{
    KTGraph3 graph;
    FillGraph(graph);
    KTOptionDerivative defaults;
    int result = 0;
    RunDialog(
        &graph, &defaults,
        [](KTDerivativeDlg& d) {
            d.StylePicker()->SelectItemData(KTLineStyleSolid);
            d.WeightCombo()->setEditText(QStringLiteral("1.5pt"));
            d.ColourButton()->SetColor(0x00AA00);
            d.SetAsDefaultButton()->click();
            EXPECT_TRUE(d.isVisible());
            d.CancelButton()->click();
            return d.result();
        },
        &result);
    EXPECT_EQ(result, QDialog::Rejected);
    KTLogPen expected;
    expected.Set(1.5, KTLineStyleSolid, 0x00AA00);
    EXPECT_EQ(defaults.m_pen.m_value, expected);
    EXPECT_EQ(defaults.m_modified, 1);
}

TEST(KTDerivativeDlg, PreviewShowsTheDerivativeAtTheTypedX)
{
    KTGraph3 graph;
    FillGraph(graph);
    RunDialog(&graph, nullptr, [](KTDerivativeDlg& d) {
        d.FunctionList()->setCurrentIndex(1);
        d.XEdit()->setText(QStringLiteral("pi/2"));
        d.PreviewFrame()->grab();
        EXPECT_EQ(d.PreviewText(), CString("d/dx sin(x) at x = pi/2"));
        return PressOk(d);
    });
}

TEST(KTDerivativeDlg, ListsAndPreviewsTheFunctionsAsTyped)
{
    const struct
    {
        const char* typed;
        const char* listed;
        const char* preview;
    } rows[] = {
        {"y=x^2-3", "y=x^2-3", "d/dx (x^2-3) at x = 1"},
        {"y=1/(x-2)", "y=1/(x-2)", "d/dx 1/(x-2) at x = 1"},
        {"f(x) = x^2/2 - 1", "f(x) = x^2/2 - 1", "d/dx (x^2/2 - 1) at x = 1"},
        {"x^2+y^2=9", "x^2+y^2=9", "d/dx x^2+y^2=9 at x = 1"},
        {"y=sin(x);0<x<pi", "y=sin(x)", "d/dx sin(x) at x = 1"},
    };
    for (const auto& row : rows) {
        KTGraph3 graph;
        Interpret(graph, {{0, row.typed}});
        RunDialog(&graph, nullptr, [&](KTDerivativeDlg& d) {
            d.XEdit()->setText(QStringLiteral("1"));
            d.show();
            d.grab(); // the whole dialog, as the user sees it
            EXPECT_EQ(Items(d.FunctionList()), QStringList({row.listed})) << row.typed;
            EXPECT_EQ(d.PreviewText(), CString(row.preview)) << row.typed;
            return PressOk(d);
        });
    }
}
