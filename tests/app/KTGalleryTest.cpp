// A gallery of what the user sees, for a person to look at: every dialog of the program as its
// command opens it (and unfolded where it has a "More >>" button), the main window with two
// documents, a hover tip and the curve menu. Each whole top-level window is grabbed and written
// as a PNG file into the folder "gallery" beside the test program; the checks are only that each
// picture holds ink.

#include "app/CChildFrame.h"
#include "app/CMainFrame.h"
#include "app/KTAboutDlg.h"
#include "app/KTBrowserDlg.h"
#include "app/KTCommandIds.h"
#include "app/KTFirstRunDlg.h"
#include "app/KTG300App.h"
#include "app/KTG300Doc.h"
#include "app/KTG300View.h"
#include "app/KTTipOfTheDayDlg.h"
#include "app/KTTipWnd.h"
#include "app/KTUpdateAvailableDlg.h"
#include "foundation/KTOptionStore.h"
#include "graph/KTGraph3.h"
#include "ui/KTAnimationDlg.h"
#include "ui/KTAnnotateEditDlg.h"
#include "ui/KTAxesDlg.h"
#include "ui/KTDerivativeDlg.h"
#include "ui/KTFamilyDlg.h"
#include "ui/KTFunctionDlg.h"
#include "ui/KTGridDlg.h"
#include "ui/KTIntegralDlg.h"
#include "ui/KTMessagesDlg.h"
#include "ui/KTPreferenceDlg.h"
#include "ui/KTQuickEntry.h"

#include "KTAppTestSupport.h"
#include "support/KTPictureChecks.h"
#include "support/KTTestSupport.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QMdiArea>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <utility>

namespace {

const KTG300App::StartOptions kLocal{false, false, false};

/// Answers the modal runs of a dialog of the controls library while it lives.
template <typename Dialog> class ControlsHook
{
public:
    explicit ControlsHook(std::function<int(Dialog&)> hook)
        : m_previous(Dialog::SetModalHook(std::move(hook)))
    {
    }
    ~ControlsHook() { Dialog::SetModalHook(std::move(m_previous)); }

private:
    typename Dialog::ModalHook m_previous;
};

/// Answers the modal runs of a dialog of the shell while it lives.
template <typename Dialog> class ShellHook
{
public:
    explicit ShellHook(typename Dialog::ModalHook::Hook hook)
        : m_previous(Dialog::ModalHook::Set(std::move(hook)))
    {
    }
    ~ShellHook() { Dialog::ModalHook::Set(std::move(m_previous)); }

private:
    typename Dialog::ModalHook::Hook m_previous;
};

void Settle()
{
    for (int i = 0; i < 3; ++i)
        QApplication::processEvents();
}

/// Runs the event loop until the condition holds or two seconds have passed.
template <typename Condition> bool WaitFor(Condition condition)
{
    QElapsedTimer timer;
    timer.start();
    while (!condition() && timer.elapsed() < 2000)
        QApplication::processEvents(QEventLoop::AllEvents, 10);
    return condition();
}

class Gallery
{
public:
    Gallery() : m_folder(kttest::PictureFolder("gallery")) {}

    /// Grabs the whole top-level window of the widget and writes it as `name`.png. A picture
    /// holds ink when a tenth of a percent of it differs from its commonest colour.
    QImage Shoot(QWidget& widget, const QString& name)
    {
        QWidget& window = *widget.window();
        Settle();
        const QImage picture = window.grab().toImage();
        EXPECT_TRUE(picture.save(m_folder + QLatin1Char('/') + name + QStringLiteral(".png"), "PNG"))
            << name.toStdString();
        const kttest::InkFacts ink =
            kttest::InkIn(picture, picture.rect(), kttest::CommonColour(picture, picture.rect()));
        EXPECT_GT(ink.pixels, picture.width() * picture.height() / 1000) << name.toStdString() << " is blank";
        EXPECT_GT(ink.colours, 2) << name.toStdString();
        ++m_count;
        return picture;
    }

    /// The dialog as it opened, then unfolded when it has a "More >>" button (and folded again,
    /// so that it opens as before next time).
    void ShootDialog(QDialog& dialog, const QString& name)
    {
        Shoot(dialog, name);
        for (QAbstractButton* button : dialog.findChildren<QAbstractButton*>()) {
            if (!button->isVisible() || !button->text().startsWith(QStringLiteral("More")))
                continue;
            button->click();
            Shoot(dialog, name + QStringLiteral("-expanded"));
            button->click();
            return;
        }
    }

    int Count() const { return m_count; }

private:
    QString m_folder;
    int m_count = 0;
};

/// The program started on the example with the parabola and the line, and a second, new
/// document with a tangent, an integral and the constants a and b, which is the active one.
class GalleryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        QSettings(QString::fromLatin1(KTG300App::RegistryKey), QString::fromLatin1(KTG300App::ProfileName))
            .clear();
        QFile::remove(QString::fromLocal8Bit(KTOptionStore::UserIniPath("Norwyn", "KTG300").c_str()));
        ASSERT_TRUE(m_app.InitInstance({QStringLiteral(KT_EXAMPLES_DIR "/parabola-and-line.kt3")}, kLocal));
        m_frame = m_app.GetMainWnd();
        m_frame->resize(1000, 760);
        m_frame->Action(KTCommand::FileNew)->trigger();
        ASSERT_EQ(m_frame->Children().size(), 2);
        KTG300Doc& second = Second().Document();
        kttest::FillDocument(second, 2);
        second.Graph().SetDirty();
        second.UpdateAllViews();
        // A paint interprets the new functions.
        m_frame->grab();
    }

    /// A modal hook that shoots the dialog it is handed as `name` (and unfolded) and cancels it.
    auto Shooter(const char* name)
    {
        return [this, name](auto& dialog) {
            ++m_shown;
            m_gallery.ShootDialog(dialog, QString::fromLatin1(name));
            return static_cast<int>(QDialog::Rejected);
        };
    }

    CChildFrame& First() const { return *m_frame->Children().front(); }
    CChildFrame& Second() const { return *m_frame->Children().back(); }

    KTG300App m_app;
    CMainFrame* m_frame = nullptr;
    Gallery m_gallery;
    int m_shown = 0; ///< dialogs handed to the hooks
};

TEST_F(GalleryTest, MainWindowWithTwoDocuments)
{
    m_gallery.Shoot(*m_frame, QStringLiteral("main-window"));
    m_frame->Action(KTCommand::WindowTile)->trigger();
    m_gallery.Shoot(*m_frame, QStringLiteral("main-window-tiled"));
    m_frame->Action(KTCommand::WindowCascade)->trigger();
    m_gallery.Shoot(*m_frame, QStringLiteral("main-window-cascaded"));
}

TEST_F(GalleryTest, HoverTipAndCurveMenu)
{
    m_frame->findChild<QMdiArea*>()->setActiveSubWindow(&First());
    KTG300View& view = First().View();
    Settle();
    view.TipWindow().SetDelay(20);
    // Along the rows of the graph until the mouse is over a curve, which has a tip.
    QPoint over;
    int armed = 0;
    for (int y = 20; y < view.height() - 20 && over.isNull(); y += 5)
        for (int x = 20; x < view.width() - 20; x += 5) {
            view.OnMouseMoveAt(CPoint(x, y));
            armed += view.TipWindow().IsArmed();
            const int item = view.TipWindow().Content().m_item;
            if (view.TipWindow().IsArmed() && item >= 0 && item < 10) {
                over = QPoint(x, y);
                break;
            }
        }
    ASSERT_FALSE(over.isNull()) << "no curve under any point " << armed << " " << view.width() << "x"
                                << view.height();
    QTest::mouseMove(&view, over);
    ASSERT_TRUE(WaitFor([&] { return view.TipWindow().IsTipVisible(); }));
    m_gallery.Shoot(*m_frame, QStringLiteral("hover-tip"));

    int menus = 0;
    const auto previous = KTG300View::SetContextMenuHook([&](QMenu& menu, const QPoint& at) {
        ++menus;
        menu.popup(at);
        ASSERT_TRUE(WaitFor([&] { return menu.isVisible(); }));
        m_gallery.Shoot(menu, QStringLiteral("curve-menu"));
        menu.hide();
    });
    // The tip covers the curve: the click reaches the view through it.
    QTest::mouseClick(&view.TipWindow(), Qt::RightButton, Qt::NoModifier, QPoint(3, 3));
    KTG300View::SetContextMenuHook(previous);
    EXPECT_EQ(menus, 1);
}

TEST_F(GalleryTest, EditFunctionsAndTheDialogsItOpens)
{
    const ControlsHook<KTAxesDlg> axes(Shooter("axes-properties"));
    const ControlsHook<KTFunctionDlg> function(Shooter("function-properties"));
    const ControlsHook<KTGridDlg> grid([&](KTGridDlg& dialog) {
        ++m_shown;
        m_gallery.Shoot(dialog, QStringLiteral("grid-properties"));
        // The other mode of the grid, as the user switches to it.
        QRadioButton* other = dialog.LinesRadio()->isChecked() ? dialog.PointsRadio() : dialog.LinesRadio();
        other->click();
        m_gallery.Shoot(dialog, QStringLiteral("grid-properties-") + (other == dialog.PointsRadio()
                                                                          ? QStringLiteral("points")
                                                                          : QStringLiteral("lines")));
        return static_cast<int>(QDialog::Rejected);
    });
    const ControlsHook<KTQuickEntry> quickEntry([&](KTQuickEntry& dialog) {
        ++m_shown;
        m_gallery.ShootDialog(dialog, QStringLiteral("quick-entry"));
        dialog.AxesButton()->click();
        dialog.GridButton()->click();
        dialog.FunctionsButton()->click();
        return static_cast<int>(QDialog::Rejected);
    });
    m_frame->Action(KTCommand::EditFunctions)->trigger();
    EXPECT_EQ(m_shown, 4);
}

TEST_F(GalleryTest, DialogsOfTheViewsCommands)
{
    const ControlsHook<KTIntegralDlg> integral(Shooter("calculate-integral"));
    const ControlsHook<KTDerivativeDlg> tangent(Shooter("tangent-line"));
    const ControlsHook<KTPreferenceDlg> preferences(Shooter("preferences"));
    const ControlsHook<KTMessagesDlg> messages(Shooter("messages"));
    const ControlsHook<KTFamilyDlg> family(Shooter("family"));
    const ControlsHook<KTAnimationDlg> animation(Shooter("animation"));
    const ControlsHook<KTFunctionDlg> function(Shooter("function-properties-of-curve"));
    const ControlsHook<KTAnnotateEditDlg> annotation(Shooter("edit-annotation"));
    using namespace KTCommand;
    for (int id : {Preferences, Messages})
        m_frame->Action(id)->trigger();
    KTG300View& view = Second().View();
    view.OnParamFamily(1);
    view.OnParamAnimate(1);
    view.SetFunctionUnderCursor(1); // the polar curve r = 2cos(3th)
    m_frame->Action(EditProperties)->trigger();
    First().View().EditAnnotationAt(0);
    // The integral and the tangent of the example's parabola.
    m_frame->findChild<QMdiArea*>()->setActiveSubWindow(&First());
    m_frame->grab();                                            // its first paint interprets it
    KTG300View::UpdateToolCommandUI(*m_frame, &First().View()); // as opening the Edit menu does
    for (int id : {Integral, TangentLine}) {
        ASSERT_TRUE(m_frame->Action(id)->isEnabled());
        m_frame->Action(id)->trigger();
    }
    EXPECT_EQ(m_shown, 8);
}

TEST_F(GalleryTest, DialogsOfTheApplicationAndItsStartUp)
{
    {
        const ShellHook<KTAboutDlg> about(Shooter("about"));
        const ShellHook<KTAboutMakerDlg> maker(Shooter("contact-details"));
        m_frame->Action(KTCommand::AppAbout)->trigger();
        m_frame->Action(KTCommand::HelpAboutMaker)->trigger();
    }
    const ShellHook<KTFirstRunDlg> firstRun(Shooter("welcome"));
    const ShellHook<KTBrowserDlg> browser(Shooter("browser"));
    KTFirstRunDlg welcome("KT Graph", m_frame);
    welcome.DoModal();
    KTBrowserDlg page("https://www.norwyn.com/newslettermini.php", m_frame);
    page.DoModal();

    const ShellHook<KTTipOfTheDayDlg> tip(Shooter("tip-of-the-day"));
    const std::vector<CString> tips{"tip001.html", "tip002.html"};
    // The pages the program brings along.
    KTTipOfTheDayDlg tipOfTheDay(&tips, KT_RES_DIR "/", m_frame);
    tipOfTheDay.DoModal();

    for (int templateId : {KTUpdateAvailableDlg::MinorTemplate, KTUpdateAvailableDlg::MajorTemplate}) {
        KTUpdateAvailableDlg available(
            templateId, "KT Graph 3", templateId == KTUpdateAvailableDlg::MajorTemplate ? 4 : 3,
            templateId == KTUpdateAvailableDlg::MajorTemplate ? 0 : 210,
            "https://www.norwyn.com/download.php", "https://www.norwyn.com/whatsnew.php", 3, 209, m_frame);
        const ShellHook<KTUpdateAvailableDlg> named(Shooter(templateId == KTUpdateAvailableDlg::MajorTemplate
                                                                ? "update-available-major"
                                                                : "update-available-minor"));
        available.DoModal();
    }
    EXPECT_EQ(m_shown, 7);
}

} // namespace
