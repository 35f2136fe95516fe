// Start-up of the program to its first painted main window, against an empty Qt main window
// started the same way in the same run (kt_bench_bare_window). Each program is started with
// KTGRAPH3_FIRST_PAINT set and writes "painted" once its window has been painted, then ends; the
// time from starting the process to that line is taken. The two programs start in turn, so that
// the machine's load falls on both alike; the best start of each counts. Goals: the program
// within 1.5 times the empty window, and within 0.2 s. The processor time each has used when it
// reports its paint (user and system, all threads) is printed beside: it suffers less from a busy
// machine than the time on the clock.
//
// The platform is the environment's. With neither a display nor a platform set, the benchmark
// runs itself again under xvfb-run (an X server of its own), so that a plain start measures X11.
// A program given as the argument is measured in place of the one built here (another build, to
// compare two versions under one and the same load).

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kRounds = 20;
constexpr double kRatioGoal = 1.5;
constexpr double kGoal = 0.2;

double LoadAverage()
{
    double load = 0;
    return getloadavg(&load, 1) == 1 ? load : -1.0;
}

struct Start
{
    double seconds = -1.0; ///< to the first paint; negative when none was reported
    double cpu = -1.0;     ///< processor seconds the program had used by then
};

Start TimeOneStart(const QString& program, const QProcessEnvironment& environment)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    process.start(program, {});
    if (!process.waitForStarted(5000))
        return {};
    QByteArray output;
    while (!output.contains("painted") && process.state() != QProcess::NotRunning) {
        process.waitForReadyRead(5000);
        output += process.readAllStandardOutput();
        if (timer.elapsed() > 10000)
            break;
    }
    const double seconds = timer.nsecsElapsed() / 1e9;
    // A first start of a new user shows its welcome dialogs after the window: not waited for.
    if (!process.waitForFinished(2000)) {
        process.kill();
        process.waitForFinished(2000);
    }
    const qsizetype at = output.indexOf("painted");
    if (at < 0)
        return {};
    const QList<QByteArray> words = output.mid(at).split('\n').front().split(' ');
    return {seconds, words.size() > 1 ? words.at(1).toDouble() : -1.0};
}

/// Runs this benchmark again in an X server of its own; returns only when that cannot be done.
void RerunUnderXvfb(char** argv)
{
    const QString xvfbRun = QStandardPaths::findExecutable(QStringLiteral("xvfb-run"));
    if (xvfbRun.isEmpty())
        return;
    const QByteArray path = xvfbRun.toLocal8Bit();
    std::vector<char*> arguments{const_cast<char*>(path.constData()),
                                 const_cast<char*>("-a"),
                                 const_cast<char*>("-s"),
                                 const_cast<char*>("-screen 0 1600x1200x24"),
                                 argv[0],
                                 argv[1], // the program to measure, or the end of the list
                                 nullptr};
    std::fflush(stdout);
    execv(path.constData(), arguments.data());
}

struct Figures
{
    double best = 1e300;
    double bestCpu = 1e300;
    int failed = 0;
    void Add(const Start& start)
    {
        if (start.seconds < 0) {
            ++failed;
            return;
        }
        best = std::min(best, start.seconds);
        if (start.cpu >= 0) // an older program reports no processor time
            bestCpu = std::min(bestCpu, start.cpu);
    }
    bool Any() const { return best < 1e299; }
};

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        RerunUnderXvfb(argv);
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
    const QString program = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(KT_PROGRAM_PATH);
    const QString bare = QStringLiteral(KT_BARE_WINDOW_PATH);
    TimeOneStart(program, environment);
    TimeOneStart(bare, environment);

    const double loadBefore = LoadAverage();
    Figures ours;
    Figures empty;
    for (int round = 0; round < kRounds; ++round) {
        empty.Add(TimeOneStart(bare, environment));
        ours.Add(TimeOneStart(program, environment));
    }
    std::printf("%s\n", qPrintable(program));
    std::printf("load average %.2f before, %.2f after; best of %d starts each; platform %s\n", loadBefore,
                LoadAverage(), kRounds,
                qPrintable(environment.value(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"))));
    if (ours.failed || empty.failed)
        std::printf("starts without a paint: KT Graph 3 %d, empty main window %d\n", ours.failed,
                    empty.failed);
    if (!ours.Any() || !empty.Any()) {
        std::printf("start-up to a painted window: no start painted   MISSED\n");
        return 1;
    }
    const double ratio = ours.best / empty.best;
    std::printf("start-up to a painted window: KT Graph 3 %.3f s, empty Qt main window %.3f s\n", ours.best,
                empty.best);
    if (ours.bestCpu < 1e299 && empty.bestCpu < 1e299)
        std::printf("processor time to the painted window: KT Graph 3 %.3f s, empty Qt main window %.3f s "
                    "(ratio %.2f)\n",
                    ours.bestCpu, empty.bestCpu, ours.bestCpu / empty.bestCpu);
    std::printf("ratio %.2f   goal <= %.1f: %s\n", ratio, kRatioGoal, ratio <= kRatioGoal ? "met" : "MISSED");
    std::printf("KT Graph 3 %.3f s   goal <= %.1f s: %s\n", ours.best, kGoal,
                ours.best <= kGoal ? "met" : "MISSED");
    return 0;
}
