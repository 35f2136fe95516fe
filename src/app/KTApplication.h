#pragma once
// The Qt application object. It keeps an exception from unwinding through Qt's event loop,
// which Qt does not support, and gives every window the program's look on any desktop: dialog
// buttons carry captions only, whatever icons the desktop's theme would add to them.

#include <QApplication>

class KTApplication : public QApplication
{
public:
    KTApplication(int& argc, char** argv);

    /// Delivers the event; an exception escaping a handler is reported on the console and the
    /// event counts as not handled.
    bool notify(QObject* receiver, QEvent* event) override;
};
