#include "app/KTKeyboardIndicators.h"

#include <QGuiApplication>

#ifdef KT_HAVE_X11
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

#ifdef KT_HAVE_X11
std::optional<KTKeyboardIndicators::State> ReadX11()
{
    if (QGuiApplication::platformName() != QLatin1String("xcb"))
        return std::nullopt;
    auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
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
#endif

} // namespace

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
