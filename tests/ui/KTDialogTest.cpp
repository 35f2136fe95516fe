// The scaffolding the modal dialogs share: the per-class hook that answers DoModal, initialisation
// on DoModal and on the first show, guarded painting, the typeset preview and the options base.

#include "ui/KTDialog.h"
#include "ui/KTOptionsDlg.h"

#include "foundation/KTOptionStore.h"
#include "graph/KTOptionGraph3.h"
#include "platform/CString.h"
#include "support/KTTestSupport.h"

#include <QImage>

#include <filesystem>
#include <stdexcept>

#include <gtest/gtest.h>

namespace {

// Initialises once, as the dialogs that also initialise on show do.
class OnceDialog : public KTDialog<OnceDialog>
{
public:
    bool OnInitDialog()
    {
        ++m_initCalls;
        if (m_initialised)
            return true;
        m_initialised = true;
        ++m_fills;
        return true;
    }
    int m_initCalls = 0;
    int m_fills = 0;
    bool m_initialised = false;
};

// Refills on every DoModal and never on show.
class RefillDialog : public KTDialog<RefillDialog, KTDialogInit::OnModal>
{
public:
    void OnInitDialog() { ++m_fills; }
    int m_fills = 0;
};

class TestOptionsDlg : public KTOptionsDlg<TestOptionsDlg>
{
public:
    TestOptionsDlg(KTOptionGraph3* document, KTOptionGraph3* defaults, KTOptionStore* store)
        : KTOptionsDlg(document, defaults, store, nullptr)
    {
    }
    bool OnInitDialog() { return true; }
    void OnOK()
    {
        ++m_okCalls;
        if (m_pass)
            ApplyAndAccept();
    }
    void WriteInto(KTOptionGraph3& options) const override { options.m_msgyAxis.m_value = m_text; }

    bool m_pass = true;
    int m_okCalls = 0;
    CString m_text = "ordinate";
};

bool IsBlank(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != qRgb(255, 255, 255))
                return false;
    return true;
}

} // namespace

TEST(KTDialog, HookAnswersDoModalAfterInitialisationWithTheDialogShown)
{
    OnceDialog dialog;
    bool visibleInHook = false;
    int fillsInHook = -1;
    const auto previous = OnceDialog::SetModalHook([&](OnceDialog& shown) {
        visibleInHook = shown.isVisible();
        fillsInHook = shown.m_fills;
        return int(QDialog::Accepted);
    });
    EXPECT_EQ(dialog.DoModal(), QDialog::Accepted);
    EXPECT_TRUE(visibleInHook);
    EXPECT_EQ(fillsInHook, 1);
    EXPECT_FALSE(dialog.isVisible());
    // DoModal and the show it brings both ask; the guard fills once.
    EXPECT_EQ(dialog.m_initCalls, 2);
    EXPECT_EQ(dialog.m_fills, 1);
    OnceDialog::SetModalHook(previous);
}

TEST(KTDialog, SetModalHookReturnsThePreviousHookAndHooksBelongToOneClass)
{
    const auto first = OnceDialog::SetModalHook([](OnceDialog&) { return int(QDialog::Rejected); });
    const auto other = RefillDialog::SetModalHook([](RefillDialog&) { return int(QDialog::Accepted); });
    {
        OnceDialog once;
        RefillDialog refill;
        EXPECT_EQ(once.DoModal(), QDialog::Rejected);
        EXPECT_EQ(refill.DoModal(), QDialog::Accepted);
    }
    const auto replaced = OnceDialog::SetModalHook(first);
    ASSERT_TRUE(replaced);
    OnceDialog probe;
    EXPECT_EQ(replaced(probe), QDialog::Rejected);
    RefillDialog::SetModalHook(other);
}

TEST(KTDialog, InitialisationOnShowFollowsTheDialogsChoice)
{
    OnceDialog once;
    once.show();
    EXPECT_EQ(once.m_fills, 1);
    once.hide();
    once.show();
    EXPECT_EQ(once.m_fills, 1);

    RefillDialog refill;
    refill.show();
    EXPECT_EQ(refill.m_fills, 0);
    refill.hide();
    const auto previous = RefillDialog::SetModalHook([](RefillDialog&) { return int(QDialog::Rejected); });
    refill.DoModal();
    refill.DoModal();
    EXPECT_EQ(refill.m_fills, 2);
    RefillDialog::SetModalHook(previous);
}

struct GuardProbe : OnceDialog
{
    using OnceDialog::PaintGuarded;
};

TEST(KTDialog, PaintGuardedKeepsAFailureInsideThePaint)
{
    QImage image(40, 20, QImage::Format_RGB32);
    image.fill(Qt::white);
    bool ran = false;
    EXPECT_NO_THROW(GuardProbe::PaintGuarded(&image, [&](QPainter& painter) {
        painter.fillRect(0, 0, 10, 10, Qt::black);
        ran = true;
        throw std::runtime_error("drawing failed");
    }));
    EXPECT_TRUE(ran);
    EXPECT_FALSE(IsBlank(image));
}

TEST(KTDialog, TypesetPreviewDrawsTextAndNothingForAnEmptyOne)
{
    QImage image(300, 80, QImage::Format_RGB32);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        KTPaintTypesetPreview(painter, CString());
    }
    EXPECT_TRUE(IsBlank(image));
    {
        QPainter painter(&image);
        KTPaintTypesetPreview(painter, "y=x^2");
    }
    EXPECT_FALSE(IsBlank(image));
}

TEST(KTOptionsDlg, ApplyOptionsWritesEachTargetThatExists)
{
    kttest::TempDir folder;
    const std::filesystem::path file = folder.File("KTG300.ini");
    auto makeStore = [&](KTOptionStore& store) {
        store.m_location = -1;
        store.SetPath(file.string().c_str());
    };
    auto write = [](KTOptionGraph3& options) { options.m_msgyAxis.m_value = "ordinate"; };

    // No defaults: the document alone is written and nothing is saved.
    {
        KTOptionGraph3 document;
        KTOptionStore store;
        makeStore(store);
        KTApplyOptions(&document, nullptr, &store, write);
        EXPECT_EQ(document.m_msgyAxis.m_value, "ordinate");
        EXPECT_FALSE(std::filesystem::exists(file));
    }
    // No document and no store: the defaults are written in memory only.
    {
        KTOptionGraph3 defaults;
        KTApplyOptions(nullptr, &defaults, nullptr, write);
        EXPECT_EQ(defaults.m_msgyAxis.m_value, "ordinate");
        EXPECT_FALSE(std::filesystem::exists(file));
    }
    // Defaults and a store: the saved file reads back as written.
    {
        KTOptionGraph3 defaults;
        KTOptionStore store;
        makeStore(store);
        KTApplyOptions(nullptr, &defaults, &store, write);
        KTOptionStore again;
        makeStore(again);
        KTOptionGraph3 reread;
        reread.LoadSettings(again);
        EXPECT_EQ(reread.m_msgyAxis.m_value, "ordinate");
    }
}

TEST(KTOptionsDlg, AcceptingGoesThroughOnOKWhichMayKeepTheDialogOpen)
{
    KTOptionGraph3 document;
    KTOptionGraph3 defaults;
    TestOptionsDlg dialog(&document, &defaults, nullptr);
    dialog.show();
    dialog.m_pass = false;
    dialog.accept();
    EXPECT_EQ(dialog.m_okCalls, 1);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(document.m_msgyAxis.m_value, "ordinate");

    dialog.m_pass = true;
    dialog.accept();
    EXPECT_EQ(dialog.m_okCalls, 2);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(document.m_msgyAxis.m_value, "ordinate");
    EXPECT_EQ(defaults.m_msgyAxis.m_value, "ordinate");

    // Cancel does not ask OnOK and writes nothing.
    TestOptionsDlg cancelled(&document, &defaults, nullptr);
    cancelled.m_text = "other";
    cancelled.show();
    cancelled.reject();
    EXPECT_EQ(cancelled.m_okCalls, 0);
    EXPECT_EQ(document.m_msgyAxis.m_value, "ordinate");
}
