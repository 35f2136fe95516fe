// KT Graph 3: the program's entry point.
//
// For the smoke test in a real X server: when KTGRAPH3_GRAB names a PNG file, the program saves
// its main window there shortly after starting, as the screen shows it, and ends. For the
// start-up benchmark: when KTGRAPH3_FIRST_PAINT is set, the program writes "painted" and the
// processor seconds it has used so far on its standard output once its main window has been
// painted, and ends. For the check of an installation: when KTGRAPH3_SELF_CHECK names a file, the
// program runs KTSelfCheck on the document of its command line, writing that file, and ends with
// the check's result.

#include "app/CMainFrame.h"
#include "app/KTApplication.h"
#include "app/KTG300App.h"
#include "app/KTSelfCheck.h"
#include "platform/KTLocale.h"
#include "platform/KTMemory.h"
#include "platform/KTMessageBox.h"

#include <QApplication>
#include <QEvent>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWidget>

#include <cstdio>

#include <sys/resource.h>

namespace {

/// Ends the program after the first paint of a widget of the main window.
class FirstPaintReporter : public QObject
{
public:
    explicit FirstPaintReporter(KTG300App& app) : m_app(app) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!m_reported && event->type() == QEvent::Paint && widget && m_app.GetMainWnd() &&
            widget->window() == m_app.GetMainWnd()) {
            m_reported = true;
            // After the paint has reached the window, not from inside it.
            QTimer::singleShot(0, [] {
                rusage usage{};
                getrusage(RUSAGE_SELF, &usage);
                std::printf("painted %.6f\n",
                            static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                                static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6);
                std::fflush(stdout);
                QApplication::exit(0);
            });
        }
        return false;
    }

private:
    KTG300App& m_app;
    bool m_reported = false;
};

} // namespace

int main(int argc, char* argv[])
{
    KTTuneAllocator();
    KTApplication application(argc, argv);
    KTLocale::UseCNumericLocale();
    QApplication::setApplicationName(QStringLiteral("KT Graph 3"));
    QApplication::setOrganizationName(QString::fromLatin1(KTG300App::RegistryKey));
    QApplication::setQuitOnLastWindowClosed(true);

    KTG300App app;
    KTSetMessageBoxHandler([&app](const CString& caption, const CString& text, unsigned type) {
        return app.ShowMessageBox(caption, text, type);
    });
    FirstPaintReporter reporter(app);
    if (qEnvironmentVariableIsSet("KTGRAPH3_FIRST_PAINT"))
        application.installEventFilter(&reporter);
    QStringList arguments = QApplication::arguments();
    arguments.removeFirst();
    const QString grab = qEnvironmentVariable("KTGRAPH3_GRAB");
    const QString selfCheck = qEnvironmentVariable("KTGRAPH3_SELF_CHECK");
    KTG300App::StartOptions options;
    // A picture of the main window alone: no welcome page or tip over it. A check runs on its
    // own, handing nothing to a program already running.
    options.startupServices = grab.isEmpty() && selfCheck.isEmpty();
    if (!selfCheck.isEmpty())
        options.singleInstance = false;
    if (!app.InitInstance(arguments, options))
        return 0;
    if (!grab.isEmpty()) {
        QTimer::singleShot(2500, [&app, grab] {
            CMainFrame* frame = app.GetMainWnd();
            QScreen* screen = frame ? frame->screen() : nullptr;
            const bool saved = screen && screen->grabWindow(frame->winId()).save(grab, "PNG");
            QApplication::exit(saved ? 0 : 3);
        });
    }
    if (!selfCheck.isEmpty())
        QTimer::singleShot(0, [&app, selfCheck] { QApplication::exit(KTSelfCheck::Run(app, selfCheck)); });
    return QApplication::exec();
}
