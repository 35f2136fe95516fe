// The module of KTCallHomeManager::Download: fetches a file with Qt Network. It is loaded when
// the update check first runs, so that the network library and the libraries it brings (the
// proxy, TLS and name-service ones) do not weigh on the program's start. Called on any thread.

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QTimer>
#include <QUrl>

#include <memory>

extern "C" Q_DECL_EXPORT bool KTDownloadModuleGet(const QString& address, const QString& path, int timeoutMs)
{
    QNetworkAccessManager network;
    QNetworkRequest request{QUrl(address)};
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    request.setTransferTimeout(timeoutMs);
    std::unique_ptr<QNetworkReply> reply(network.get(request));
    QEventLoop loop;
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec();
    if (!reply->isFinished()) {
        reply->abort();
        return false;
    }
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (reply->error() != QNetworkReply::NoError || (status.isValid() && status.toInt() != 200))
        return false;
    // Written whole or not at all, so that a broken transfer leaves the earlier file readable.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(reply->readAll());
    return file.commit();
}
