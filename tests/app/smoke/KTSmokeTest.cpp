// Smoke test of the program in a real X server: starts ktgraph3 under xvfb-run with an example
// document, lets it save its main window as the screen shows it, and checks that the graph area
// is drawn. Exits 77 (skipped) where xvfb-run is missing.

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <cstdio>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s PROGRAM DOCUMENT\n", argv[0]);
        return 2;
    }
    const QString xvfb = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
    if (xvfb.isEmpty()) {
        std::fprintf(stderr, "xvfb-run is not installed\n");
        return 77;
    }
    QTemporaryDir home;
    const QString png = home.path() + QStringLiteral("/main.png");
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.insert(QStringLiteral("KTGRAPH3_GRAB"), png);
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/data"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    // Under the leak checker: the desktop's message bus library keeps a buffer for the process's
    // lifetime, which is not the program's to free.
    const QString suppressions = home.path() + QStringLiteral("/lsan.supp");
    QFile supp(suppressions);
    if (supp.open(QIODevice::WriteOnly))
        supp.write("leak:libdbus-1.so\nleak:libfontconfig.so\n");
    supp.close();
    environment.insert(QStringLiteral("LSAN_OPTIONS"), QStringLiteral("suppressions=") + suppressions);
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(xvfb, {QStringLiteral("-a"), QStringLiteral("-s"), QStringLiteral("-screen 0 1280x1024x24"),
                         QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2])});
    if (!program.waitForFinished(60000)) {
        program.kill();
        std::fprintf(stderr, "the program did not end\n");
        return 1;
    }
    if (program.exitCode() != 0) {
        std::fprintf(stderr, "the program ended with %d\n", program.exitCode());
        return 1;
    }
    const QImage image(png);
    if (image.isNull() || image.width() < 200 || image.height() < 200) {
        std::fprintf(stderr, "no picture of the main window\n");
        return 1;
    }
    // The middle of the window is the graph: axes and labels are dark, the curves coloured.
    const QRect graph(image.width() / 6, image.height() / 4, image.width() * 2 / 3, image.height() / 2);
    int dark = 0;
    int coloured = 0;
    for (int y = graph.top(); y <= graph.bottom(); ++y) {
        for (int x = graph.left(); x <= graph.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            dark += qGray(c.rgb()) < 100;
            coloured += c.saturation() > 120 && c.value() > 80;
        }
    }
    std::printf("graph area: %d dark and %d coloured pixels\n", dark, coloured);
    if (dark < 300 || coloured < 100) {
        std::fprintf(stderr, "the graph area is blank\n");
        return 1;
    }
    return 0;
}
