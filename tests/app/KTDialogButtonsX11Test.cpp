// Dialog buttons in a real X session (run under xvfb-run): the desktop's theme there would put
// its icons on OK, Cancel, Yes and No; the program's buttons show their captions alone.

#include "app/KTAboutDlg.h"
#include "app/KTApplication.h"
#include "app/KTFirstRunDlg.h"
#include "graph/KTOptionGraph3.h"
#include "ui/KTAnimationDlg.h"
#include "ui/KTMessagesDlg.h"
#include "ui/KTPreferenceDlg.h"

#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QStyle>
#include <QProxyStyle>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

TEST(KTApplicationX11, DialogButtonsShowTheirCaptionsAlone)
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        GTEST_SKIP() << "needs an X server";
    // Without the program's style the desktop's theme gives the standard buttons icons: the
    // fault this guards against is there to see.
    {
        const auto* program = qobject_cast<const QProxyStyle*>(QApplication::style());
        ASSERT_NE(program, nullptr);
        QDialogButtonBox plain;
        plain.setStyle(program->baseStyle());
        plain.setStandardButtons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
        EXPECT_FALSE(plain.button(QDialogButtonBox::Ok)->icon().isNull())
            << "the theme adds no icons here: the check below proves nothing";
    }

    KTOptionGraph3 defaults;
    const struct
    {
        const char* name;
        std::function<std::unique_ptr<QDialog>()> make;
    } dialogs[] = {
        {"Messages", [&] { return std::make_unique<KTMessagesDlg>(nullptr, &defaults, nullptr); }},
        {"Preferences", [&] { return std::make_unique<KTPreferenceDlg>(nullptr, &defaults, nullptr); }},
        {"Animation", [] { return std::make_unique<KTAnimationDlg>(); }},
        {"About", [] { return std::make_unique<KTAboutDlg>(); }},
        {"Welcome", [] { return std::make_unique<KTFirstRunDlg>("KT Graph"); }},
        {"message box",
         [] {
             return std::make_unique<QMessageBox>(QMessageBox::Warning, QStringLiteral("KT Graph 3"),
                                                  QStringLiteral("Save changes?"),
                                                  QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
         }},
    };
    for (const auto& entry : dialogs) {
        SCOPED_TRACE(entry.name);
        const std::unique_ptr<QDialog> dialog = entry.make();
        dialog->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        int buttons = 0;
        for (const QDialogButtonBox* box : dialog->findChildren<QDialogButtonBox*>())
            for (const QAbstractButton* button : box->buttons()) {
                ++buttons;
                EXPECT_TRUE(button->icon().isNull()) << button->text().toStdString();
                EXPECT_FALSE(button->text().isEmpty());
            }
        EXPECT_GT(buttons, 0);
        dialog->hide();
    }
}
