#pragma once
// The Qt application object. Its one addition is the last line of defence that keeps an
// exception from unwinding through Qt's event loop, which Qt does not support.

#include <QApplication>

class KTApplication : public QApplication
{
public:
    KTApplication(int& argc, char** argv) : QApplication(argc, argv) {}

    /// Delivers the event; an exception escaping a handler is reported on the console and the
    /// event counts as not handled.
    bool notify(QObject* receiver, QEvent* event) override;
};
