#include "app/KTApplication.h"

#include <QDebug>

#include <exception>

bool KTApplication::notify(QObject* receiver, QEvent* event)
{
    // Handlers guard their own work; reaching here means one missed a case. Losing one event is
    // better than ending the program with the user's unsaved documents.
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        qWarning("KT Graph 3: an event handler failed: %s", e.what());
    } catch (...) {
        qWarning("KT Graph 3: an event handler failed");
    }
    return false;
}
