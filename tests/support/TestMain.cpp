// Test entry point: a headless GUI application (fonts and painting work offscreen), the C
// numeric locale, and no message box left showing.

#include "platform/KTLocale.h"

#include <QGuiApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    KTLocale::UseCNumericLocale();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
