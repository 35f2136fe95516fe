#include "app/KTApplication.h"

#include <QDebug>
#include <QIcon>
#include <QIconEngine>
#include <QPainter>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleOption>

#include <exception>

namespace {

/// A standard picture of the desktop style, asked of it when first drawn. The menu bar and the
/// toolbars make their extension buttons (shown only when their commands do not fit) at once, a
/// document window its title-bar menu, and the style reads those pictures from image files, the
/// first of which loads every image-format plugin there is: at start-up, for pictures that are
/// seen only when such a button or menu shows.
class DeferredStandardIcon : public QIconEngine
{
public:
    DeferredStandardIcon(QStyle* style, QStyle::StandardPixmap which) : m_style(style), m_which(which) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        Icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return Icon().pixmap(size, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return Icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return Icon().availableSizes(mode, state);
    }
    QIconEngine* clone() const override { return new DeferredStandardIcon(m_style, m_which); }

private:
    const QIcon& Icon()
    {
        if (!m_loaded && m_style) {
            m_icon = m_style->standardIcon(m_which);
            m_loaded = true;
        }
        return m_icon;
    }

    QPointer<QStyle> m_style;
    QStyle::StandardPixmap m_which;
    QIcon m_icon;
    bool m_loaded = false;
};

/// The desktop's style, but OK, Cancel and the other standard buttons show their captions alone,
/// as every other button of the program does (desktop themes on X add their icons).
class KTApplicationStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override
    {
        if (hint == SH_DialogButtonBox_ButtonsHaveIcons)
            return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }

    QIcon standardIcon(StandardPixmap which, const QStyleOption* option, const QWidget* widget) const override
    {
        if (which == SP_ToolBarHorizontalExtensionButton || which == SP_ToolBarVerticalExtensionButton ||
            which == SP_TitleBarMenuButton || which == SP_TitleBarMinButton ||
            which == SP_TitleBarMaxButton || which == SP_TitleBarNormalButton ||
            which == SP_TitleBarCloseButton || which == SP_TitleBarShadeButton ||
            which == SP_TitleBarUnshadeButton || which == SP_TitleBarContextHelpButton)
            return QIcon(new DeferredStandardIcon(baseStyle(), which));
        return QProxyStyle::standardIcon(which, option, widget);
    }

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        if (element != CE_ToolBar || !option || !painter) {
            QProxyStyle::drawControl(element, option, painter, widget);
            return;
        }
        // Qt's raster engine blends a run of more than 96 spans on a pool of threads that it
        // starts for the purpose, and a translucent edge line along the toolbar is such a run:
        // the first paint of the main window would start the pool. Drawn in tiles the same
        // pixels come out, on this thread alone.
        constexpr int kTile = 64;
        const QRect area = option->rect;
        for (int y = area.top(); y <= area.bottom(); y += kTile)
            for (int x = area.left(); x <= area.right(); x += kTile) {
                painter->save();
                painter->setClipRect(QRect(x, y, kTile, kTile), Qt::IntersectClip);
                QProxyStyle::drawControl(element, option, painter, widget);
                painter->restore();
            }
    }
};

} // namespace

KTApplication::KTApplication(int& argc, char** argv) : QApplication(argc, argv)
{
    // Set before any window exists; the application owns the style.
    setStyle(new KTApplicationStyle);
}

bool KTApplication::notify(QObject* receiver, QEvent* event)
{
    // Handlers guard their own work; reaching here means one missed a case. Losing one event is
    // better than ending the program with the user's unsaved documents.
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        qWarning("KT Graph 3: an event handler failed: %s", e.what());
    } catch (...) {
        qWarning("KT Graph 3: an event handler failed");
    }
    return false;
}
