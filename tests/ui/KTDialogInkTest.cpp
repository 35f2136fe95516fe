// Lines inside the dialogs as the user sees them: each dialog is grabbed whole, as the window
// system shows it (every control painted at its place in the window), and ink is looked for
// where a picker's line or a preview's bars must be.

#include "ui/KTAxesDlg.h"
#include "ui/KTDerivativeDlg.h"
#include "ui/KTFunctionDlg.h"
#include "ui/KTGridDlg.h"
#include "ui/KTLineStyleComboBox.h"
#include "ui/KTQuickEntry.h"

#include "axes/KTOptionAxes2.h"
#include "engine/KTFunction3.h"
#include "foundation/KTLogPen.h"
#include "graph/KTGraph3.h"
#include "ui/KTDialogTestSupport.h"

#include <QFrame>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

namespace {

QImage GrabWindow(QWidget* window)
{
    EXPECT_TRUE(window->isWindow());
    window->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(window));
    return window->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QRect Within(const QWidget* child, const QWidget* window)
{
    return QRect(child->mapTo(window, QPoint(0, 0)), child->size());
}

bool Dark(const QImage& image, int x, int y)
{
    return image.valid(x, y) && qGray(image.pixel(x, y)) < 128;
}

/// Bounding box of the dark pixels in the area; null when there are none.
QRect InkBox(const QImage& image, const QRect& area)
{
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (Dark(image, x, y))
                box |= QRect(x, y, 1, 1);
    return box;
}

/// The longest horizontal run of dark pixels in the area (one row high).
QRect LongestRun(const QImage& image, const QRect& area)
{
    QRect longest;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        int start = -1;
        for (int x = area.left(); x <= area.right() + 1; ++x) {
            const bool dark = x <= area.right() && Dark(image, x, y);
            if (dark && start < 0)
                start = x;
            if (!dark && start >= 0) {
                if (x - start > longest.width())
                    longest = QRect(start, y, x - start, 1);
                start = -1;
            }
        }
    }
    return longest;
}

/// Columns of the band (rows `y - 2` to `y + 2`) between x0 and x1 holding no dark pixel.
int EmptyColumns(const QImage& image, int x0, int x1, int y)
{
    int empty = 0;
    for (int x = x0; x <= x1; ++x) {
        bool dark = false;
        for (int dy = -2; dy <= 2; ++dy)
            dark = dark || Dark(image, x, y + dy);
        empty += dark ? 0 : 1;
    }
    return empty;
}

struct PickerCase
{
    const char* name;
    std::function<std::unique_ptr<QWidget>(std::vector<KTLineStyleComboBox*>&)> open;
};

std::unique_ptr<QWidget> FunctionDialog(const char* text)
{
    auto dialog = std::make_unique<KTFunctionDlg>();
    KTFunction3& function = dialog->m_data.Function(0);
    function.Data().m_equationText = text;
    function.Interpret();
    function.TakePendingMessages();
    dialog->m_functionNumber = 1;
    dialog->OnInitDialog();
    return dialog;
}

KTOptionAxes2 DefaultAxes()
{
    KTOptionAxes2 options;
    options.SetDefaults();
    return options;
}

} // namespace

// A closed line-style picker shows its selection's line across its edit field, wherever the
// picker sits in its dialog.
TEST(KTDialogInk, ClosedLineStylePickersShowTheirLine)
{
    KTGraph3 graph;
    kttest::Interpret(graph, {{0, "y=x^2"}});
    const PickerCase cases[] = {
        {"Function Properties",
         [](std::vector<KTLineStyleComboBox*>& pickers) {
             auto dialog = FunctionDialog("y=x^2");
             pickers.push_back(static_cast<KTFunctionDlg*>(dialog.get())->StylePicker());
             return dialog;
         }},
        {"Tangent Line",
         [&graph](std::vector<KTLineStyleComboBox*>& pickers) {
             auto dialog = std::make_unique<KTDerivativeDlg>();
             dialog->m_graph = &graph;
             dialog->m_style = KTLineStyleSolid;
             dialog->OnInitDialog();
             pickers.push_back(dialog->StylePicker());
             return std::unique_ptr<QWidget>(std::move(dialog));
         }},
        {"Axes Properties",
         [](std::vector<KTLineStyleComboBox*>& pickers) {
             auto dialog = std::make_unique<KTAxesDlg>(nullptr, nullptr);
             dialog->m_options = DefaultAxes();
             dialog->OnInitDialog();
             // The pens are in the part "More >>" shows; the next dialog opens as the last closed.
             const bool expanded = KTAxesDlg::RememberedExpanded();
             if (!dialog->XStylePicker()->isVisibleTo(dialog.get()))
                 dialog->OnMoreLess();
             KTAxesDlg::SetRememberedExpanded(expanded);
             pickers.push_back(dialog->XStylePicker());
             pickers.push_back(dialog->YStylePicker());
             return std::unique_ptr<QWidget>(std::move(dialog));
         }},
        {"Grid Properties",
         [](std::vector<KTLineStyleComboBox*>& pickers) {
             auto dialog = std::make_unique<KTGridDlg>(nullptr, nullptr);
             dialog->m_options = DefaultAxes();
             dialog->OnInitDialog();
             for (KTGridDlg::Pen pen :
                  {KTGridDlg::XMajor, KTGridDlg::XMinor, KTGridDlg::YMajor, KTGridDlg::YMinor})
                 pickers.push_back(dialog->StylePicker(pen));
             return std::unique_ptr<QWidget>(std::move(dialog));
         }},
    };
    for (const PickerCase& row : cases) {
        std::vector<KTLineStyleComboBox*> pickers;
        std::unique_ptr<QWidget> dialog = row.open(pickers);
        for (KTLineStyleComboBox* picker : pickers)
            picker->SelectItemData(KTLineStyleSolid);
        const QImage image = GrabWindow(dialog.get());
        for (std::size_t i = 0; i < pickers.size(); ++i) {
            const QRect box = Within(pickers[i], dialog.get());
            // The picker must sit away from the window's corner for the test to mean anything.
            EXPECT_GT(box.left(), box.width() / 4) << row.name << " " << i;
            EXPECT_GT(box.top(), box.height()) << row.name << " " << i;
            // The left half of the edit field, clear of the frame and the arrow.
            const int left = box.left() + 8;
            const int right = box.left() + box.width() / 2;
            EXPECT_EQ(EmptyColumns(image, left, right, box.center().y()), 0) << row.name << " " << i;
        }
    }
}

// The bar of a radical or a fraction in the Quick Entry preview: the longest run of ink ends
// the equation and covers the content below it (and a numerator above it) from side to side.
TEST(KTDialogInk, QuickEntryPreviewDrawsItsBars)
{
    const struct
    {
        const char* text;
        bool numerator; ///< ink above the bar (a fraction), not only below (a radical)
    } rows[] = {
        {"y=sqrt(x+4)", false},
        {"y=(x+1)/(x-1)", true},
        {"y=1/(x-2)", true},
        {"y=sqrt(2x)", false},
    };
    for (const auto& row : rows) {
        auto dialog = std::make_unique<KTQuickEntry>(nullptr, nullptr);
        dialog->m_data.Function(0).Data().m_equationText = row.text;
        const QImage image = GrabWindow(dialog.get());
        ASSERT_EQ(dialog->PreviewText(), row.text);
        const QRect frame = Within(dialog->PreviewFrame(), dialog.get());
        const QRect ink = InkBox(image, frame);
        const QRect bar = LongestRun(image, frame);
        ASSERT_FALSE(ink.isNull()) << row.text;
        EXPECT_GT(bar.width(), ink.width() / 4) << row.text;
        // Nothing right of the bar: it reaches the end of what it covers.
        EXPECT_LE(ink.right(), bar.right() + 1) << row.text;
        const QRect below = InkBox(image, QRect(QPoint(bar.left(), bar.bottom() + 2), frame.bottomRight()));
        ASSERT_FALSE(below.isNull()) << row.text;
        EXPECT_LE(below.right(), bar.right()) << row.text;
        const QRect above =
            InkBox(image, QRect(QPoint(bar.left(), frame.top()), QPoint(bar.right(), bar.top() - 2)));
        EXPECT_EQ(!above.isNull(), row.numerator) << row.text;
        if (row.numerator) {
            EXPECT_GE(bar.width(), below.width()) << row.text;
        }
    }
}

// The Tangent Line preview "d/dx (...) at x = ..." keeps the bar of a radical over its content.
TEST(KTDialogInk, TangentLinePreviewDrawsTheRadicalBar)
{
    KTGraph3 graph;
    kttest::Interpret(graph, {{0, "y=sqrt(x+4)"}});
    auto dialog = std::make_unique<KTDerivativeDlg>();
    dialog->m_graph = &graph;
    dialog->OnInitDialog();
    const QImage image = GrabWindow(dialog.get());
    ASSERT_FALSE(dialog->PreviewText().IsEmpty());
    const QRect frame = Within(dialog->PreviewFrame(), dialog.get());
    const QRect ink = InkBox(image, frame);
    ASSERT_FALSE(ink.isNull());
    // The radical's bar is the longest run and has its content below it.
    const QRect bar = LongestRun(image, frame);
    EXPECT_GT(bar.width(), ink.width() / 8);
    EXPECT_FALSE(
        InkBox(image, QRect(QPoint(bar.left(), bar.bottom() + 2), QPoint(bar.right(), frame.bottom())))
            .isNull());
}
