// The yardstick of the start-up benchmark: an empty Qt main window, nothing of the program's. It
// writes "painted" and the processor seconds used so far on its standard output once the window
// has been painted, and ends, as the program does with KTGRAPH3_FIRST_PAINT set.

#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QTimer>

#include <sys/resource.h>

#include <cstdio>

namespace {

class FirstPaintReporter : public QObject
{
public:
    explicit FirstPaintReporter(const QWidget& window) : m_window(window) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* widget = qobject_cast<QWidget*>(watched);
        if (!m_reported && event->type() == QEvent::Paint && widget && widget->window() == &m_window) {
            m_reported = true;
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
    const QWidget& m_window;
    bool m_reported = false;
};

} // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QMainWindow window;
    FirstPaintReporter reporter(window);
    application.installEventFilter(&reporter);
    // The size the program's main window opens with.
    window.resize(800, 600);
    window.show();
    return QApplication::exec();
}
