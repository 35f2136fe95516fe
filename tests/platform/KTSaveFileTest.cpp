#include "platform/KTSaveFile.h"

#include "support/KTTestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <sched.h>
#include <string>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QString Q(const std::filesystem::path& path)
{
    return QString::fromStdString(path.string());
}

/// What the write of `size` bytes to `file` in a folder of its own gives, with the folder on a
/// file system of 16 kB that is already full, as a disk is: run in a child that mounts one in a
/// namespace of its own. "skip" when the system lets no such file system be made.
std::string WriteOnAFullDisk(const std::filesystem::path& folder, std::size_t size)
{
    int channel[2];
    if (pipe(channel) != 0)
        return "skip";
    const pid_t child = fork();
    if (child == 0) {
        close(channel[0]);
        const auto answer = [&](const std::string& text) {
            (void)!write(channel[1], text.data(), text.size());
            _exit(0);
        };
        const uid_t uid = getuid();
        const gid_t gid = getgid();
        if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0)
            answer("skip");
        const auto put = [](const char* file, const std::string& text) {
            const int fd = open(file, O_WRONLY);
            const bool ok =
                fd >= 0 && write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
            if (fd >= 0)
                close(fd);
            return ok;
        };
        put("/proc/self/setgroups", "deny");
        if (!put("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1") ||
            !put("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1") ||
            mount("none", folder.c_str(), "tmpfs", 0, "size=16k") != 0)
            answer("skip");
        const std::string filler(4096, 'f');
        const int fd = open((folder / "filler").c_str(), O_WRONLY | O_CREAT, 0600);
        // Pages, then single bytes: not one is left.
        for (std::size_t chunk : {filler.size(), std::size_t{1}})
            while (fd >= 0 && write(fd, filler.data(), chunk) > 0) {
            }
        const std::string bytes(size, 'k');
        const KTSaveResult saved = KTWriteWholeFile(Q(folder / "s.ini"), bytes.data(), bytes.size());
        answer(std::to_string(static_cast<int>(saved.stage)) + " " + saved.cause.toStdString());
    }
    close(channel[1]);
    std::string text;
    char buffer[256];
    for (ssize_t n; (n = read(channel[0], buffer, sizeof buffer)) > 0;)
        text.append(buffer, static_cast<std::size_t>(n));
    close(channel[0]);
    int status = 0;
    waitpid(child, &status, 0);
    return text.empty() ? "skip" : text;
}

} // namespace

// How a write ends, in the system's words: the report was a full disk told as "Unknown error",
// from a write that stopped short without an error of its own. The previous file stays whole.
TEST(KTSaveFile, AFailedWriteSaysWhyAndKeepsThePreviousFile)
{
    kttest::TempDir dir;
    const std::string old = "old";
    kttest::WriteFileBytes(dir.File("s.ini"), old);
    const std::string small(100, 's'), big(64 * 1024, 'b');

    // Written whole, it replaces the old file.
    EXPECT_TRUE(KTWriteWholeFile(Q(dir.File("new.ini")), small.data(), small.size()).Ok());
    EXPECT_EQ(kttest::ReadFileBytes(dir.File("new.ini")), small);

    // No folder to write in.
    const KTSaveResult missing = KTWriteWholeFile(Q(dir.File("no/such/s.ini")), small.data(), small.size());
    EXPECT_EQ(missing.stage, KTSaveResult::Stage::Open);
    EXPECT_FALSE(missing.cause.isEmpty());

    // A file-size limit stops the write part-way, as a full disk does.
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit = saved;
    limit.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
    const KTSaveResult tooLarge = KTWriteWholeFile(Q(dir.File("s.ini")), big.data(), big.size());
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);
    EXPECT_EQ(tooLarge.stage, KTSaveResult::Stage::Write);
    EXPECT_EQ(tooLarge.cause, QStringLiteral("File too large"));
    EXPECT_EQ(kttest::ReadFileBytes(dir.File("s.ini")), old);

    // A disk with no room left, for a write larger than a page and for one that fits in one.
    std::filesystem::create_directories(dir.File("disk"));
    for (std::size_t size : {big.size(), std::size_t{100}}) {
        const std::string answer = WriteOnAFullDisk(dir.File("disk"), size);
        if (answer == "skip")
            GTEST_SKIP() << "no small file system can be mounted here";
        EXPECT_EQ(answer,
                  std::to_string(static_cast<int>(KTSaveResult::Stage::Write)) + " No space left on device")
            << size;
    }
}
