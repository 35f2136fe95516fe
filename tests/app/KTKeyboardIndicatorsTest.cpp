// The status bar's CAP, NUM and SCRL panes follow the keyboard's lock indicators.

#include "app/KTKeyboardIndicators.h"

#include "app/CMainFrame.h"

#include <QApplication>
#include <QImage>
#include <QLabel>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

namespace {

struct SourceScope
{
    explicit SourceScope(KTKeyboardIndicators::Source source)
        : previous(KTKeyboardIndicators::SetSource(std::move(source)))
    {
    }
    ~SourceScope() { KTKeyboardIndicators::SetSource(std::move(previous)); }
    KTKeyboardIndicators::Source previous;
};

// Dark pixels of the pane as the main window shows it.
int InkOf(CMainFrame& frame, QLabel* pane)
{
    const QImage image = frame.grab().toImage();
    const QRect rect(pane->mapTo(&frame, QPoint(0, 0)), pane->size());
    int ink = 0;
    for (int y = rect.top() + 3; y < rect.bottom() - 2; ++y)
        for (int x = rect.left() + 3; x < rect.right() - 2; ++x)
            ink += qGray(image.pixel(x, y)) < 110;
    return ink;
}

} // namespace

TEST(KTKeyboardIndicators, ThePanesShowTheLocksThatAreOn)
{
    std::optional<KTKeyboardIndicators::State> state = KTKeyboardIndicators::State{};
    int reads = 0;
    SourceScope scope([&] {
        ++reads;
        return state;
    });
    CMainFrame frame(nullptr);
    frame.resize(700, 400);
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    EXPECT_EQ(frame.IndicatorPane(0)->text(), QString());

    // No timer looks at the keyboard: until it reports a change, nothing is read and the panes
    // keep what they show.
    reads = 0;
    state = KTKeyboardIndicators::State{true, true, true};
    QTest::qWait(600);
    EXPECT_EQ(reads, 0);
    EXPECT_EQ(frame.IndicatorPane(0)->text(), QString());
    const struct
    {
        KTKeyboardIndicators::State state;
        const char* texts[3];
    } rows[] = {
        {{false, false, false}, {"", "", ""}},        {{true, false, false}, {"CAP", "", ""}},
        {{false, true, false}, {"", "NUM", ""}},      {{false, false, true}, {"", "", "SCRL"}},
        {{true, true, true}, {"CAP", "NUM", "SCRL"}},
    };
    for (const auto& row : rows) {
        state = row.state;
        reads = 0;
        KTKeyboardIndicators::NotifyChanged();
        EXPECT_EQ(reads, 1) << "one look for one change";
        for (int i = 0; i < 3; ++i) {
            QLabel* pane = frame.IndicatorPane(i);
            EXPECT_TRUE(pane->isVisible()) << i;
            EXPECT_EQ(pane->text(), QString::fromLatin1(row.texts[i])) << i;
            EXPECT_EQ(InkOf(frame, pane) > 0, row.texts[i][0] != '\0') << i;
        }
    }
    // The panes are in the status bar after its message pane, in the order CAP, NUM, SCRL.
    EXPECT_LT(frame.IndicatorPane(0)->x(), frame.IndicatorPane(1)->x());
    EXPECT_LT(frame.IndicatorPane(1)->x(), frame.IndicatorPane(2)->x());
    EXPECT_EQ(frame.IndicatorPane(0)->parentWidget(), frame.statusBar());
    // The panes keep their width whichever locks are on.
    const int width = frame.IndicatorPane(0)->width();
    state = KTKeyboardIndicators::State{};
    frame.UpdateIndicators();
    QApplication::processEvents();
    EXPECT_EQ(frame.IndicatorPane(0)->width(), width);

    // Where the platform tells nothing, no pane pretends to know.
    state.reset();
    frame.UpdateIndicators();
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(frame.IndicatorPane(i)->isVisible()) << i;
}

TEST(KTKeyboardIndicators, TheOffscreenPlatformReportsNoState)
{
    if (QGuiApplication::platformName() != QLatin1String("offscreen"))
        GTEST_SKIP();
    EXPECT_FALSE(KTKeyboardIndicators::Read().has_value());
}
