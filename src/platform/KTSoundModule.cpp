// The module of KTSoundPlayer: plays sounds with Qt Multimedia. It is loaded at the first sound,
// so that neither the media library nor the sound server's libraries weigh on the program's
// start. Its two functions are called on the user-interface thread.

#include <QAudioDevice>
#include <QCoreApplication>
#include <QMediaDevices>
#include <QPointer>
#include <QSoundEffect>
#include <QUrl>

#include <map>

namespace {

// One player for each sound, kept for the next time it is played. The application owns them:
// they end with it, before the sound server's libraries end.
std::map<QString, QPointer<QSoundEffect>>& Players()
{
    static std::map<QString, QPointer<QSoundEffect>> players;
    return players;
}

} // namespace

extern "C" Q_DECL_EXPORT int KTSoundModuleHasOutput()
{
    return QMediaDevices::audioOutputs().isEmpty() ? 0 : 1;
}

extern "C" Q_DECL_EXPORT void KTSoundModulePlay(const char* address)
{
    const QString key = QString::fromUtf8(address);
    QPointer<QSoundEffect>& player = Players()[key];
    if (!player) {
        player = new QSoundEffect(QCoreApplication::instance());
        player->setSource(QUrl(key));
        player->setVolume(0.5f);
    }
    player->play();
}
