#include "platform/KTSaveFile.h"

#include "support/KTTestSupport.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sched.h>
#include <string>
#include <sys/mount.h>
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

// The report: on a full disk the message said "Unknown error": a write that stops short reports
// nothing of its own, and a small one waits in a buffer for a commit that then put the file in
// place empty and said it had saved. On a disk with no room left, for a write larger than a page
// and for one that fits in one, the write fails and says why. (A write stopped by a size limit,
// and the previous file it keeps, are tried where the settings file and the document are saved.)
TEST(KTSaveFile, AWriteToAFullDiskFailsAndSaysWhy)
{
    kttest::TempDir dir;
    std::filesystem::create_directories(dir.File("disk"));
    for (std::size_t size : {std::size_t{64 * 1024}, std::size_t{100}}) {
        const std::string answer = WriteOnAFullDisk(dir.File("disk"), size);
        if (answer == "skip")
            GTEST_SKIP() << "no small file system can be mounted here";
        EXPECT_EQ(answer, std::to_string(static_cast<int>(KTSaveResult::Stage::Write)) + " No space left on device")
            << size;
    }
}
