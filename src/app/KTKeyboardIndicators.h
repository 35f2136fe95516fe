#pragma once
// The keyboard's lock indicators (Caps Lock, Num Lock, Scroll Lock) for the main window's status
// bar, read from the X11 display's keyboard extension by the indicators' names. The extension
// also tells when an indicator changes, whichever program has the keyboard, so the status bar
// reads them only then and the program sleeps while idle. Other platforms (Wayland, the offscreen
// platform) report no indicator state to a program.

#include <QObject>

#include <functional>
#include <optional>

class KTKeyboardIndicators : public QObject
{
    Q_OBJECT

public:
    struct State
    {
        bool caps = false;
        bool num = false;
        bool scroll = false;
        bool operator==(const State&) const = default;
    };

    /// The indicators now, or nothing where the platform does not report them.
    static std::optional<State> Read();

    /// Replaces the platform as the source of Read (tests); an empty source restores it.
    /// Returns the previous source.
    using Source = std::function<std::optional<State>()>;
    static Source SetSource(Source source);

    /// The one watcher of the indicators, made on first use and owned by the application: it
    /// emits changed() when the platform reports that an indicator may have changed (X11: the
    /// keyboard extension's indicator-state and keyboard-map notifications).
    static KTKeyboardIndicators* Watcher();
    /// Whether the platform's change notices reach the watcher.
    static bool IsWatchingPlatform();
    /// The watcher emits changed() (the platform's notices come here; tests call it directly).
    static void NotifyChanged();

signals:
    void changed();

private:
    KTKeyboardIndicators();
    ~KTKeyboardIndicators() override;
};
