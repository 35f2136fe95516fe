// Start-up of the program to its first painted main window: the program is started with
// KTGRAPH3_FIRST_PAINT set, which makes it write "painted" once its window has been painted and
// end; the time from starting the process to that line is taken, best of several starts,
// against the goal of 0.2 s. The platform is the environment's (offscreen when none is set).

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kStarts = 10;
constexpr double kGoal = 0.2;

/// Seconds to the first paint, or a negative value when the program did not report one.
double TimeOneStart(const QProcessEnvironment& environment)
{
    QProcess program;
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    program.start(QStringLiteral(KT_PROGRAM_PATH), {});
    if (!program.waitForStarted(5000))
        return -1.0;
    QByteArray output;
    while (!output.contains("painted") && program.state() != QProcess::NotRunning) {
        program.waitForReadyRead(5000);
        output += program.readAllStandardOutput();
        if (timer.elapsed() > 10000)
            break;
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    // A first start of a new user shows its welcome dialogs after the window: not waited for.
    if (!program.waitForFinished(2000)) {
        program.kill();
        program.waitForFinished(2000);
    }
    return output.contains("painted") ? seconds : -1.0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    // A settings folder of its own, written by a first start, so that every timed start is an
    // ordinary one of a known user.
    QTemporaryDir home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.path() + QStringLiteral("/config"));
    environment.insert(QStringLiteral("XDG_DATA_HOME"), home.path() + QStringLiteral("/data"));
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), home.path());
    if (!environment.contains(QStringLiteral("QT_QPA_PLATFORM")) &&
        !environment.contains(QStringLiteral("DISPLAY")))
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    environment.insert(QStringLiteral("KTGRAPH3_FIRST_PAINT"), QStringLiteral("1"));
    TimeOneStart(environment);

    double best = 1e300;
    int failed = 0;
    for (int start = 0; start < kStarts; ++start) {
        const double seconds = TimeOneStart(environment);
        if (seconds < 0)
            ++failed;
        else
            best = std::min(best, seconds);
    }
    double load = 0;
    getloadavg(&load, 1);
    std::printf("load average %.2f; best of %d starts (%d without a paint); platform %s\n", load, kStarts,
                failed,
                qPrintable(environment.value(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"))));
    if (best > 1e299) {
        std::printf("start-up to a painted window: no start painted   goal <= %.1f s: MISSED\n", kGoal);
        return 1;
    }
    std::printf("start-up to a painted window: %.3f s   goal <= %.1f s: %s\n", best, kGoal,
                best <= kGoal ? "met" : "MISSED");
    return 0;
}
