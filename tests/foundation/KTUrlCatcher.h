#pragma once
// Stands in for the desktop's URL handlers so that a test can see what would have been opened.

#include <QList>
#include <QObject>
#include <QUrl>

class KTUrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl& url) { urls.append(url); }
};
