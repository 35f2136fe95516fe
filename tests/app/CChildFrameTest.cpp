// Document windows in the main window as a user meets them: looking at files, arranging their
// windows and switching between them changes no document; resizing a window does.

// QTest's mouse events for widgets enter through the window, as the platform's do.
#define QTEST_QPA_MOUSE_HANDLING

#include "app/CChildFrame.h"

#include "KTAppTestSupport.h"
#include "app/CMainFrame.h"
#include "app/KTCommandIds.h"
#include "app/KTFileDialog.h"
#include "app/KTG300App.h"
#include "app/KTG300Doc.h"
#include "app/KTG300View.h"
#include "platform/KTMessageBox.h"
#include "support/KTPictureChecks.h"
#include "support/KTTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>

using kttest::ToQ;

namespace {

const KTG300App::StartOptions kLocal{false, false};

void Settle()
{
    QTest::qWait(30);
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

std::filesystem::path SaveWithRect(const kttest::TempDir& dir, const char* name, int variant,
                                   const CRect& rect)
{
    KTG300Doc document;
    document.OnNewDocument();
    kttest::FillDocument(document, variant);
    document.m_windowRect = rect;
    const auto path = dir.File(name);
    EXPECT_TRUE(document.OnSaveDocument(ToQ(path)));
    return path;
}

struct TwoDocuments
{
    TwoDocuments()
    {
        QSettings(QString::fromLatin1(KTG300App::RegistryKey), QString::fromLatin1(KTG300App::ProfileName))
            .clear();
        first = SaveWithRect(dir, "first.kt3", 0, CRect(40, 30, 740, 560));
        second = SaveWithRect(dir, "second.kt3", 2, CRect(10, 10, 610, 470));
        EXPECT_TRUE(app.InitInstance({ToQ(first)}, kLocal));
        frame = app.GetMainWnd();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frame));
        Settle();
    }

    // The documents whose windows show the modified marker, by their titles.
    std::string Modified() const
    {
        QStringList names;
        for (CChildFrame* child : frame->Children()) {
            EXPECT_EQ(child->isWindowModified(), child->Document().IsModified());
            if (child->Document().IsModified())
                names.append(child->Document().GetTitle());
        }
        return names.join(QStringLiteral(", ")).toStdString();
    }

    void Trigger(int id)
    {
        QAction* action = frame->Action(id);
        ASSERT_NE(action, nullptr);
        ASSERT_TRUE(action->isEnabled()) << id;
        action->trigger();
        Settle();
    }

    kttest::TempDir dir;
    std::filesystem::path first, second;
    KTG300App app;
    CMainFrame* frame = nullptr;
};

} // namespace

TEST(CChildFrame, LookingAtDocumentsAndArrangingTheirWindowsModifiesNone)
{
    TwoDocuments w;
    ASSERT_NE(w.frame->OpenDocumentFile(ToQ(w.second)), nullptr);
    Settle();
    ASSERT_EQ(w.frame->Children().size(), 2);
    EXPECT_EQ(w.Modified(), "");

    const struct
    {
        int command;
        const char* name;
    } steps[] = {
        {KTCommand::FileNew, "File > New"},
        {KTCommand::WindowNext, "Window > Next"},
        {KTCommand::WindowNext, "Window > Next"},
        {KTCommand::WindowPrevious, "Window > Previous"},
        {KTCommand::WindowTile, "Window > Tile"},
        {KTCommand::WindowNext, "Window > Next"},
        {KTCommand::WindowCascade, "Window > Cascade"},
        {KTCommand::WindowNext, "Window > Next"},
    };
    for (const auto& step : steps) {
        w.Trigger(step.command);
        EXPECT_EQ(w.Modified(), "") << step.name;
    }
    // Opening a file again only activates its window.
    ASSERT_NE(w.frame->OpenDocumentFile(ToQ(w.first)), nullptr);
    Settle();
    EXPECT_EQ(w.Modified(), "");

    // Exit asks nothing: nothing was changed.
    kttest::MessageBoxRecorder boxes(IDCANCEL);
    EXPECT_TRUE(w.frame->close());
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(CChildFrame, ResizingTheMainWindowModifiesTheDocumentItShows)
{
    TwoDocuments w;
    ASSERT_NE(w.frame->OpenDocumentFile(ToQ(w.second)), nullptr);
    Settle();
    CChildFrame* shown = w.frame->ActiveChild();
    ASSERT_TRUE(shown->isMaximized());
    // A moment later the user drags the main window's border: the maximised document's window
    // grows with it.
    QTest::qWait(600);
    w.frame->resize(w.frame->size() + QSize(60, 40));
    Settle();
    EXPECT_EQ(w.Modified(), "second.kt3");
}

TEST(CChildFrame, ResizingADocumentWindowByItsBorderModifiesThatDocument)
{
    TwoDocuments w;
    ASSERT_NE(w.frame->OpenDocumentFile(ToQ(w.second)), nullptr);
    Settle();
    w.Trigger(KTCommand::WindowTile);
    ASSERT_EQ(w.Modified(), "");
    CChildFrame* child = w.frame->Children().front();
    ASSERT_FALSE(child->isMaximized());
    // A moment later (the frame finds its border again once a resize has settled) a drag of the
    // window's bottom right corner, as a hand makes it.
    QTest::qWait(300);
    const QPoint corner = child->mapTo(w.frame, QPoint(child->width() - 2, child->height() - 2));
    const QSize before = child->size();
    // (The frame follows the pointer's position, so the pointer itself is moved.)
    auto moveTo = [&](const QPoint& at) {
        QCursor::setPos(w.frame->mapToGlobal(at));
        QApplication::processEvents();
    };
    moveTo(corner - QPoint(1, 1));
    moveTo(corner);
    QTest::mousePress(w.frame, Qt::LeftButton, {}, corner);
    for (int i = 1; i <= 5; ++i)
        moveTo(corner - QPoint(8 * i, 6 * i));
    QTest::mouseRelease(w.frame, Qt::LeftButton, {}, corner - QPoint(40, 30));
    Settle();
    ASSERT_NE(child->size(), before);
    EXPECT_EQ(w.Modified(), child->Document().GetTitle().toStdString());
}

TEST(CChildFrame, TiledWindowsFillTheAreaAndCascadedOnesEachKeepMostOfItOneTitleBarBelowTheLast)
{
    TwoDocuments w;
    ASSERT_NE(w.frame->OpenDocumentFile(ToQ(w.second)), nullptr);
    w.Trigger(KTCommand::FileNew);
    w.Trigger(KTCommand::FileNew);
    const struct
    {
        QSize frame;
        const char* name;
    } sizes[] = {{{1000, 760}, "large"}, {{640, 480}, "small"}, {{900, 420}, "wide"}};
    for (const auto& size : sizes) {
        SCOPED_TRACE(size.name);
        w.frame->resize(size.frame);
        Settle();
        // Tiled: side by side, together as large as the area, none over another.
        const std::string before = w.Modified();
        w.Trigger(KTCommand::WindowTile);
        {
            const QRect area = w.frame->MdiArea()->viewport()->rect();
            const QList<QMdiSubWindow*> windows = w.frame->MdiArea()->subWindowList();
            int covered = 0;
            for (const QMdiSubWindow* window : windows) {
                EXPECT_TRUE(area.contains(window->geometry())) << window->windowTitle().toStdString();
                covered += window->width() * window->height();
                for (const QMdiSubWindow* other : windows)
                    EXPECT_TRUE(other == window || !other->geometry().intersects(window->geometry()));
            }
            EXPECT_EQ(covered, area.width() * area.height());
            EXPECT_EQ(area.size(), w.frame->MdiArea()->contentsRect().size()) << "no scroll bars";
        }
        EXPECT_EQ(w.Modified(), before);
        CChildFrame* active = w.frame->ActiveChild();
        ASSERT_NE(active, nullptr);
        const std::string modified = w.Modified();
        w.Trigger(KTCommand::WindowCascade);
        EXPECT_EQ(w.frame->ActiveChild(), active);
        const QList<QMdiSubWindow*> stack = w.frame->MdiArea()->subWindowList(QMdiArea::StackingOrder);
        ASSERT_EQ(stack.size(), 4);
        EXPECT_EQ(stack.back(), active);
        const QRect area = w.frame->MdiArea()->viewport()->rect();
        // The height of one title bar with its frame: where a window's contents begin.
        const int title = stack.front()->widget()->geometry().top();
        ASSERT_GT(title, 10);
        for (int k = 0; k < stack.size(); ++k) {
            const QMdiSubWindow* window = stack.at(k);
            EXPECT_FALSE(window->isMaximized()) << k;
            EXPECT_EQ(window->geometry().topLeft(), QPoint(k * title, k * title)) << k;
            EXPECT_EQ(window->size(), stack.front()->size()) << k;
        }
        // At most a third of the height goes to the stagger, and as much of the width.
        const QSize each = stack.front()->size();
        EXPECT_GE(each.height(), area.height() * 2 / 3);
        EXPECT_LE(each.height(), area.height());
        EXPECT_EQ(area.width() - each.width(), area.height() - each.height());
        EXPECT_LE(stack.back()->geometry().bottom(), area.bottom());
        EXPECT_LE(stack.back()->geometry().right(), area.right());

        // On the screen: every title bar shows, one under the other, and the window on top shows
        // its graph over most of the area.
        const QImage shown = w.frame->grab().toImage();
        const QPoint origin = w.frame->MdiArea()->viewport()->mapTo(w.frame, QPoint(0, 0));
        const QRgb background = shown.pixel(origin + area.bottomRight() - QPoint(2, 2));
        for (int k = 0; k < stack.size(); ++k) {
            const QRect bar(origin + QPoint(k * title + 4, k * title + 3),
                            QSize(each.width() / 2, title - 6));
            EXPECT_GT(kttest::InkIn(shown, bar, background).pixels, bar.width() * bar.height() / 2) << k;
        }
        const KTG300View& view = active->View();
        const QRect graph(view.mapTo(w.frame, QPoint(0, 0)), view.size());
        EXPECT_GE(graph.width() * graph.height(), area.width() * area.height() / 3);
        const QRgb paper = shown.pixel(graph.topLeft() + QPoint(3, 3));
        EXPECT_GT(kttest::InkIn(shown, graph, paper).pixels, 500);
        EXPECT_EQ(w.Modified(), modified);
    }
}

TEST(CChildFrame, TheMainWindowShowsTheActiveDocumentsModifiedMarkerAfterEveryWindowChange)
{
    TwoDocuments w;
    // Each Save As names a file of its own: "third.kt3", then "fourth.kt3".
    int savedAs = 0;
    const auto previous = KTFileDialog::SetHandler(
        [&](bool, const QString&) { return ToQ(w.dir.File(savedAs++ == 0 ? "third.kt3" : "fourth.kt3")); });
    const auto modifyByKey = [&] {
        // An arrow key moves the visible range: the user's change of the active document.
        QTest::keyClick(&w.frame->ActiveChild()->View(), Qt::Key_Up);
        Settle();
    };
    const struct
    {
        const char* step;
        std::function<void()> run;
        const char* active; ///< the active document's title afterwards ("KTGraph": a new one)
    } steps[] = {
        {"opened", [] {}, "first.kt3"},
        {"arrow key", modifyByKey, "first.kt3"},
        {"open another", [&] { w.frame->OpenDocumentFile(ToQ(w.second)); }, "second.kt3"},
        // Another document saved under a new name, then the modified one shown again.
        {"Save As", [&] { w.Trigger(KTCommand::FileSaveAs); }, "third.kt3"},
        {"Window > Next", [&] { w.Trigger(KTCommand::WindowNext); }, "first.kt3"},
        {"Window > Next", [&] { w.Trigger(KTCommand::WindowNext); }, "third.kt3"},
        {"close it", [&] { w.Trigger(KTCommand::FileClose); }, "first.kt3"},
        {"File > New", [&] { w.Trigger(KTCommand::FileNew); }, "KTGraph"},
        {"Window > Next", [&] { w.Trigger(KTCommand::WindowNext); }, "first.kt3"},
        {"Save As", [&] { w.Trigger(KTCommand::FileSaveAs); }, "fourth.kt3"},
        {"arrow key", modifyByKey, "fourth.kt3"},
        {"File > New", [&] { w.Trigger(KTCommand::FileNew); }, "KTGraph"},
        {"close it", [&] { w.Trigger(KTCommand::FileClose); }, "fourth.kt3"},
        {"Window > Next", [&] { w.Trigger(KTCommand::WindowNext); }, "KTGraph"},
        {"Window > Previous", [&] { w.Trigger(KTCommand::WindowPrevious); }, "fourth.kt3"},
        {"Window > Tile", [&] { w.Trigger(KTCommand::WindowTile); }, "fourth.kt3"},
    };
    for (const auto& step : steps) {
        step.run();
        Settle();
        CChildFrame* active = w.frame->ActiveChild();
        ASSERT_NE(active, nullptr) << step.step;
        const QString title = active->Document().GetTitle();
        if (std::string(step.active) == "KTGraph")
            EXPECT_TRUE(title.startsWith(QLatin1String("KTGraph"))) << step.step;
        else
            EXPECT_EQ(title.toStdString(), step.active) << step.step;
        w.Modified(); // every document window's own marker agrees with its document
        const QString shown = w.frame->windowHandle()->title();
        if (!w.frame->windowTitle().contains(QLatin1String("[*]"))) {
            EXPECT_EQ(shown, QStringLiteral("KT Graph 3")) << step.step; // windows side by side
            continue;
        }
        const QString marker = active->Document().IsModified() ? QStringLiteral("*") : QString();
        EXPECT_EQ(shown, QStringLiteral("KT Graph 3 - [%1%2]").arg(title, marker)) << step.step;
    }
    KTFileDialog::SetHandler(previous);
    // Close would ask to save exactly the document that shows the marker ("first.kt3" was
    // saved as "fourth.kt3").
    EXPECT_EQ(w.Modified(), "fourth.kt3");
    for (CChildFrame* child : w.frame->Children())
        child->Document().SetModifiedFlag(false);
}
