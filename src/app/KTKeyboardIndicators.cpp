#include "app/KTKeyboardIndicators.h"

#include <QAbstractNativeEventFilter>
#include <QGuiApplication>
#include <QPointer>

#include <memory>

#ifdef KT_HAVE_X11
#include <xcb/xcb.h>
// Xlib's macros (None, Bool, Status, ...) collide with Qt's names: its headers come last.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#endif

namespace {

KTKeyboardIndicators::Source& Hook()
{
    static KTKeyboardIndicators::Source source;
    return source;
}

QPointer<KTKeyboardIndicators>& TheWatcher()
{
    static QPointer<KTKeyboardIndicators> watcher;
    return watcher;
}

#ifdef KT_HAVE_X11
Display* X11Display()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return nullptr;
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->display() : nullptr;
}

std::optional<KTKeyboardIndicators::State> ReadX11()
{
    Display* display = X11Display();
    if (!display)
        return std::nullopt;
    // By name: the keyboard map decides which indicator number each lock has.
    static Display* atomsOf = nullptr;
    static Atom atoms[3] = {};
    if (atomsOf != display) {
        const char* names[3] = {"Caps Lock", "Num Lock", "Scroll Lock"};
        for (int i = 0; i < 3; ++i)
            atoms[i] = XInternAtom(display, names[i], False);
        atomsOf = display;
    }
    bool on[3] = {false, false, false};
    bool any = false;
    for (int i = 0; i < 3; ++i) {
        int value = 0;
        if (atoms[i] != 0 && XkbGetNamedIndicator(display, atoms[i], nullptr, &value, nullptr, nullptr)) {
            on[i] = value != 0;
            any = true;
        }
    }
    if (!any)
        return std::nullopt;
    return KTKeyboardIndicators::State{on[0], on[1], on[2]};
}

/// Passes the keyboard extension's notices of changed indicators (and of a new keyboard map,
/// which may number them anew) on to the watcher. The events are Qt's as well: none is taken.
class XkbNoticeFilter : public QAbstractNativeEventFilter
{
public:
    explicit XkbNoticeFilter(int eventBase) : m_eventBase(eventBase) {}

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) override
    {
        if (eventType != "xcb_generic_event_t")
            return false;
        const auto* event = static_cast<const xcb_generic_event_t*>(message);
        if ((event->response_type & 0x7f) != m_eventBase)
            return false;
        // Every event of the extension carries its own kind in the second byte.
        const int kind = event->pad0;
        if (kind == XkbIndicatorStateNotify || kind == XkbIndicatorMapNotify ||
            kind == XkbNewKeyboardNotify || kind == XkbMapNotify)
            KTKeyboardIndicators::NotifyChanged();
        return false;
    }

private:
    int m_eventBase;
};

/// Asks the X server for the indicator notices (Qt asks for the others it needs itself) and
/// installs the filter that hears them; null where there is no keyboard extension.
std::unique_ptr<XkbNoticeFilter> WatchX11()
{
    Display* display = X11Display();
    if (!display)
        return nullptr;
    int opcode = 0;
    int eventBase = 0;
    int errorBase = 0;
    int major = XkbMajorVersion;
    int minor = XkbMinorVersion;
    if (!XkbQueryExtension(display, &opcode, &eventBase, &errorBase, &major, &minor))
        return nullptr;
    const unsigned long notices = XkbIndicatorStateNotifyMask | XkbIndicatorMapNotifyMask;
    if (!XkbSelectEvents(display, XkbUseCoreKbd, notices, notices))
        return nullptr;
    XFlush(display);
    auto filter = std::make_unique<XkbNoticeFilter>(eventBase);
    qGuiApp->installNativeEventFilter(filter.get());
    return filter;
}

std::unique_ptr<XkbNoticeFilter>& TheFilter()
{
    static std::unique_ptr<XkbNoticeFilter> filter;
    return filter;
}
#endif

} // namespace

KTKeyboardIndicators::KTKeyboardIndicators() : QObject(QCoreApplication::instance())
{
#ifdef KT_HAVE_X11
    TheFilter() = WatchX11();
#endif
}

KTKeyboardIndicators::~KTKeyboardIndicators()
{
#ifdef KT_HAVE_X11
    if (TheFilter() && qGuiApp)
        qGuiApp->removeNativeEventFilter(TheFilter().get());
    TheFilter().reset();
#endif
}

std::optional<KTKeyboardIndicators::State> KTKeyboardIndicators::Read()
{
    if (Hook())
        return Hook()();
#ifdef KT_HAVE_X11
    return ReadX11();
#else
    return std::nullopt;
#endif
}

KTKeyboardIndicators::Source KTKeyboardIndicators::SetSource(Source source)
{
    Source previous = std::move(Hook());
    Hook() = std::move(source);
    return previous;
}

KTKeyboardIndicators* KTKeyboardIndicators::Watcher()
{
    if (!TheWatcher())
        TheWatcher() = new KTKeyboardIndicators;
    return TheWatcher();
}

bool KTKeyboardIndicators::IsWatchingPlatform()
{
#ifdef KT_HAVE_X11
    return TheWatcher() && TheFilter() != nullptr;
#else
    return false;
#endif
}

void KTKeyboardIndicators::NotifyChanged()
{
    if (TheWatcher())
        emit TheWatcher()->changed();
}
