// The yardstick of the start-up benchmark: an empty Qt main window, nothing of the program's. It
// writes "painted" on its standard output once the window has been painted, and ends, as the
// program does with KTGRAPH3_FIRST_PAINT set.

#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QTimer>

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
                std::fputs("painted\n", stdout);
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
