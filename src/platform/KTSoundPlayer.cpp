#include "platform/KTSoundPlayer.h"

#include "platform/KTModule.h"

#include <QFileInfo>
#include <QLibrary>
#include <QStringList>

#include <unistd.h>

#include <algorithm>

namespace {

using HasOutputFunction = int (*)();
using PlayFunction = void (*)(const char*);

struct Module
{
    bool tried = false;
    HasOutputFunction hasOutput = nullptr;
    PlayFunction play = nullptr;
};

Module& TheModule()
{
    static Module module;
    return module;
}

// Sound reaches the speakers through the desktop's sound server. Without one (a console, a test,
// a build machine) the media library would only complain on every attempt, so the program looks
// for the server's socket before it loads the library.
bool SoundServerReachable()
{
    if (!qEnvironmentVariableIsEmpty("PULSE_SERVER"))
        return true;
    QStringList sockets{QStringLiteral("/var/run/pulse/native")};
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    sockets << (runtime.isEmpty() ? QStringLiteral("/run/user/%1").arg(getuid()) : runtime) +
                   QStringLiteral("/pulse/native");
    return std::any_of(sockets.begin(), sockets.end(),
                       [](const QString& path) { return QFileInfo::exists(path); });
}

} // namespace

bool KTSoundPlayer::LoadModule()
{
    Module& module = TheModule();
    if (module.tried)
        return module.play != nullptr;
    module.tried = true;
#ifdef KT_SOUND_MODULE_PATH
    const char* built = KT_SOUND_MODULE_PATH;
#else
    const char* built = nullptr;
#endif
    QLibrary* library = KTModule::Load(ModuleName, built);
    if (!library)
        return false;
    module.hasOutput = reinterpret_cast<HasOutputFunction>(library->resolve("KTSoundModuleHasOutput"));
    module.play = reinterpret_cast<PlayFunction>(library->resolve("KTSoundModulePlay"));
    if (!module.hasOutput)
        module.play = nullptr;
    return module.play != nullptr;
}

bool KTSoundPlayer::IsModuleLoaded()
{
    return TheModule().play != nullptr;
}

bool KTSoundPlayer::CanPlay()
{
    static const bool can = SoundServerReachable() && LoadModule() && TheModule().hasOutput() != 0;
    return can;
}

bool KTSoundPlayer::Play(const QUrl& sound)
{
    if (sound.isEmpty() || !CanPlay())
        return false;
    TheModule().play(sound.toString().toUtf8().constData());
    return true;
}
