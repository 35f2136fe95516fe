#include "app/KTApplication.h"

#include <QDebug>
#include <QProxyStyle>

#include <exception>

namespace {

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
