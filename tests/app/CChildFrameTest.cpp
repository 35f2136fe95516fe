// Document windows in the main window as a user meets them: looking at files, arranging their
// windows and switching between them changes no document; resizing a window does.

// QTest's mouse events for widgets enter through the window, as the platform's do.
#define QTEST_QPA_MOUSE_HANDLING

#include "app/CChildFrame.h"

#include "KTAppTestSupport.h"
#include "app/CMainFrame.h"
#include "app/KTCommandIds.h"
#include "app/KTG300App.h"
#include "app/KTG300Doc.h"
#include "app/KTG300View.h"
#include "platform/KTMessageBox.h"
#include "support/KTTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QMdiArea>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

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
