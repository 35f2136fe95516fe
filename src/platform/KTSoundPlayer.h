#pragma once
// Short sounds (the icon buttons' hover and click) played through the desktop's sound server.
// The media library that plays them, with the sound server's own libraries, is a module loaded at
// the first sound to be played: a start of the program, which plays none, does not load it.
// Without a sound server, an output or the module, every sound is skipped silently.

#include <QString>
#include <QUrl>

class KTSoundPlayer
{
public:
    /// Plays the sound (a file or "qrc:" address of a WAV file) at half volume and returns at once;
    /// false when nothing could be played.
    static bool Play(const QUrl& sound);
    /// Whether this computer can play sounds: a sound server is there and has an output. Asked
    /// once; the first call loads the module when a server is there.
    static bool CanPlay();

    /// Loads the module (once); false when it cannot be found or loaded.
    static bool LoadModule();
    /// Whether the module is loaded in this process.
    static bool IsModuleLoaded();
    /// The file name of the module, beside the program.
    static constexpr const char* ModuleName = "libktgraph3-sound.so";
};
