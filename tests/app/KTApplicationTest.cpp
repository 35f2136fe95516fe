#include "app/KTApplication.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEvent>
#include <QImage>
#include <QMainWindow>
#include <QObject>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QToolBar>

#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

namespace {

class ThrowingObject : public QObject
{
public:
    int m_seen = 0;

protected:
    bool event(QEvent* e) override
    {
        if (e->type() == QEvent::User) {
            ++m_seen;
            throw std::runtime_error("handler fault");
        }
        return QObject::event(e);
    }
};

} // namespace

TEST(KTApplication, AnExceptionFromAHandlerStopsAtTheEventLoop)
{
    ASSERT_NE(dynamic_cast<KTApplication*>(QCoreApplication::instance()), nullptr);
    ThrowingObject object;
    QEvent event(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&object, &event));
    // The application goes on delivering events afterwards.
    QEvent again(QEvent::User);
    EXPECT_FALSE(QCoreApplication::sendEvent(&object, &again));
    EXPECT_EQ(object.m_seen, 2);
}

namespace {

// A main window with a toolbar in the given area, every widget drawn by `style` (the
// application's when null), grabbed whole.
QImage MainWindowWithToolBar(Qt::ToolBarArea area, QStyle* style)
{
    QMainWindow window;
    auto* toolBar = new QToolBar(QStringLiteral("Standard"), &window);
    for (const char* name : {"New", "Open", "Save"})
        toolBar->addAction(QString::fromLatin1(name));
    window.addToolBar(area, toolBar);
    window.setCentralWidget(new QWidget(&window));
    window.resize(700, 420);
    if (style) {
        window.setStyle(style);
        for (QWidget* child : window.findChildren<QWidget*>())
            child->setStyle(style);
    }
    return window.grab().toImage();
}

} // namespace

TEST(KTApplication, ToolBarsLookAsTheDesktopStyleDrawsThem)
{
    // The application's style draws toolbars in tiles (the raster engine then blends their edge
    // lines on this thread); the pixels are the desktop style's own, in every toolbar area.
    auto* proxy = qobject_cast<QProxyStyle*>(QApplication::style());
    ASSERT_NE(proxy, nullptr);
    std::unique_ptr<QStyle> desktop(QStyleFactory::create(proxy->baseStyle()->name()));
    ASSERT_NE(desktop, nullptr);
    for (Qt::ToolBarArea area :
         {Qt::TopToolBarArea, Qt::BottomToolBarArea, Qt::LeftToolBarArea, Qt::RightToolBarArea}) {
        SCOPED_TRACE(area);
        const QImage ours = MainWindowWithToolBar(area, nullptr);
        const QImage theirs = MainWindowWithToolBar(area, desktop.get());
        ASSERT_EQ(ours.size(), theirs.size());
        EXPECT_TRUE(ours == theirs);
    }
}

TEST(KTApplication, StandardPicturesReadLaterAreTheDesktopStylesOwn)
{
    // The pictures of the extension buttons and of a document window's title-bar menu are read
    // from image files only when first drawn; they are then the desktop style's, in every mode.
    auto* proxy = qobject_cast<QProxyStyle*>(QApplication::style());
    ASSERT_NE(proxy, nullptr);
    const QStyle::StandardPixmap pictures[] = {
        QStyle::SP_ToolBarHorizontalExtensionButton,
        QStyle::SP_ToolBarVerticalExtensionButton,
        QStyle::SP_TitleBarMenuButton,
        QStyle::SP_TitleBarMinButton,
        QStyle::SP_TitleBarMaxButton,
        QStyle::SP_TitleBarNormalButton,
        QStyle::SP_TitleBarCloseButton,
        QStyle::SP_TitleBarShadeButton,
        QStyle::SP_TitleBarUnshadeButton,
        QStyle::SP_TitleBarContextHelpButton,
        QStyle::SP_DialogOkButton, // one that is read at once, as the desktop style reads it
    };
    for (QStyle::StandardPixmap picture : pictures) {
        SCOPED_TRACE(picture);
        const QIcon ours = proxy->standardIcon(picture);
        const QIcon theirs = proxy->baseStyle()->standardIcon(picture);
        EXPECT_EQ(ours.isNull(), theirs.isNull());
        const QIcon copy = ours; // as a menu item keeps it
        for (QIcon::Mode mode : {QIcon::Normal, QIcon::Disabled, QIcon::Active})
            for (int size : {16, 24, 32})
                EXPECT_TRUE(copy.pixmap(size, mode).toImage() == theirs.pixmap(size, mode).toImage())
                    << "mode " << mode << ", size " << size;
        EXPECT_EQ(ours.availableSizes(), theirs.availableSizes());
    }
}
