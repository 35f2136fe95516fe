#pragma once
// The keyboard's lock indicators (Caps Lock, Num Lock, Scroll Lock) for the main window's status
// bar, read from the X11 display's keyboard extension by the indicators' names. Other platforms
// (Wayland, the offscreen platform) report no indicator state to a program.

#include <functional>
#include <optional>

class KTKeyboardIndicators
{
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
};
