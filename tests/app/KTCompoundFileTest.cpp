#include "app/KTCompoundFile.h"

#include "support/KTTestSupport.h"

#include <QFile>
#include <QDir>
#include <QProcess>

#include <gtest/gtest.h>

#include <random>

namespace {

std::vector<std::uint8_t> Bytes(const std::string& text)
{
    return std::vector<std::uint8_t>(text.begin(), text.end());
}

std::vector<std::uint8_t> FileBytes(const std::filesystem::path& path)
{
    return Bytes(kttest::ReadFileBytes(path));
}

QString Q(const std::filesystem::path& path)
{
    return QString::fromStdString(path.string());
}

// How many mappings of this process name a file whose name holds `part`.
int Mapped(const char* part)
{
    QFile maps(QStringLiteral("/proc/self/maps"));
    return maps.open(QIODevice::ReadOnly) ? static_cast<int>(maps.readAll().count(part)) : -1;
}

} // namespace

// ctest runs each test in a process of its own, which sees the storage as the program's start does.
TEST(KTCompoundFile, TheStorageLibraryLoadsWithTheFirstCompoundFile)
{
    if (!KTCompoundFile::IsStorageLoaded()) {
        EXPECT_EQ(Mapped(KTCompoundFile::StorageModuleName), 0);
        EXPECT_EQ(Mapped("libgsf"), 0);
        // Flat files and files that cannot be opened need no storage.
        EXPECT_TRUE(KTCompoundFile::ParseContents(Bytes("flat")).ok);
        EXPECT_EQ(KTCompoundFile::ReadContents(QStringLiteral("/nonexistent/a.kt3")).failure,
                  KTCompoundFile::Failure::CannotOpen);
        EXPECT_FALSE(KTCompoundFile::IsStorageLoaded());
        EXPECT_EQ(Mapped("libgsf"), 0);
    }
    std::vector<std::uint8_t> file;
    const std::vector<std::uint8_t> ranges = Bytes("ranges");
    ASSERT_TRUE(KTCompoundFile::BuildCompoundFile(Bytes("graph"), file, &ranges));
    EXPECT_TRUE(KTCompoundFile::IsStorageLoaded());
    EXPECT_GT(Mapped(KTCompoundFile::StorageModuleName), 0);
    EXPECT_GT(Mapped("libgsf"), 0);
    const KTCompoundFile::ReadResult read = KTCompoundFile::ParseContents(file);
    ASSERT_TRUE(read.ok);
    EXPECT_EQ(read.kind, KTCompoundFile::Kind::Compound);
    EXPECT_EQ(read.contents, Bytes("graph"));
    EXPECT_TRUE(read.hasConstantRanges);
    EXPECT_EQ(read.constantRanges, ranges);
}

TEST(KTCompoundFile, RoundTripsContentsOfEverySize)
{
    kttest::TempDir dir;
    std::mt19937 random(7);
    // Sizes around the storage's small-stream cut-off (4096) and sector size (512).
    for (std::size_t size : {0u, 1u, 16u, 511u, 512u, 4095u, 4096u, 4097u, 70000u}) {
        std::vector<std::uint8_t> contents(size);
        for (auto& b : contents)
            b = static_cast<std::uint8_t>(random());
        const auto path = dir.File("doc.kt3");
        QString error;
        ASSERT_TRUE(KTCompoundFile::WriteContents(Q(path), contents, error)) << error.toStdString();
        const auto read = KTCompoundFile::ReadContents(Q(path));
        ASSERT_TRUE(read.ok) << size << " " << read.error.toStdString();
        EXPECT_EQ(read.kind, KTCompoundFile::Kind::Compound);
        EXPECT_EQ(read.contents, contents) << size;
    }
}

TEST(KTCompoundFile, TheRangesStreamTravelsBesideTheContents)
{
    kttest::TempDir dir;
    std::mt19937 random(3);
    const std::vector<std::uint8_t> contents(4500, 'c');
    for (std::size_t size : {0u, 1u, 1655u, 5000u}) {
        std::vector<std::uint8_t> ranges(size);
        for (auto& b : ranges)
            b = static_cast<std::uint8_t>(random());
        const auto path = dir.File("ranges.kt3");
        QString error;
        ASSERT_TRUE(KTCompoundFile::WriteContents(Q(path), contents, error, &ranges)) << error.toStdString();
        const auto read = KTCompoundFile::ReadContents(Q(path));
        ASSERT_TRUE(read.ok) << size;
        EXPECT_EQ(read.contents, contents) << size;
        EXPECT_TRUE(read.hasConstantRanges) << size;
        EXPECT_EQ(read.constantRanges, ranges) << size;
    }
    // Without the stream, the file is as it always was: "Contents" alone.
    std::vector<std::uint8_t> alone;
    ASSERT_TRUE(KTCompoundFile::BuildCompoundFile(contents, alone));
    const auto read = KTCompoundFile::ParseContents(alone);
    ASSERT_TRUE(read.ok);
    EXPECT_FALSE(read.hasConstantRanges);
    EXPECT_TRUE(read.constantRanges.empty());
    // A flat file has no ranges either.
    EXPECT_FALSE(KTCompoundFile::ParseContents(contents).hasConstantRanges);

    // An independent reader lists both streams and reads each back.
    const std::vector<std::uint8_t> ranges(1655, 'r');
    const auto path = dir.File("both.kt3");
    QString error;
    ASSERT_TRUE(KTCompoundFile::WriteContents(Q(path), contents, error, &ranges));
    for (const auto& [stream, bytes] :
         {std::pair{"Contents", &contents}, std::pair{"ConstantRanges", &ranges}}) {
        QProcess cat;
        cat.start(QStringLiteral(KT_GSF_PROGRAM),
                  {QStringLiteral("cat"), Q(path), QString::fromLatin1(stream)});
        if (!cat.waitForStarted(5000))
            GTEST_SKIP() << "the gsf program (Debian libgsf-bin) is not installed";
        ASSERT_TRUE(cat.waitForFinished(10000));
        EXPECT_EQ(cat.readAllStandardOutput(),
                  QByteArray(reinterpret_cast<const char*>(bytes->data()), static_cast<int>(bytes->size())))
            << stream;
    }
}

TEST(KTCompoundFile, WrittenFileStartsWithTheSignature)
{
    std::vector<std::uint8_t> out;
    ASSERT_TRUE(KTCompoundFile::BuildCompoundFile(Bytes("abc"), out));
    ASSERT_GE(out.size(), 512u);
    EXPECT_TRUE(KTCompoundFile::HasSignature(out));
    EXPECT_EQ(out.size() % 512, 0u);
}

TEST(KTCompoundFile, AnIndependentReaderListsTheContentsStream)
{
    kttest::TempDir dir;
    const auto path = dir.File("listed.kt3");
    QString error;
    ASSERT_TRUE(KTCompoundFile::WriteContents(Q(path), Bytes(std::string(5000, 'x')), error));
    QProcess gsf;
    gsf.start(QStringLiteral(KT_GSF_PROGRAM), {QStringLiteral("list"), Q(path)});
    if (!gsf.waitForStarted(5000))
        GTEST_SKIP() << "the gsf program (Debian libgsf-bin) is not installed";
    ASSERT_TRUE(gsf.waitForFinished(10000));
    EXPECT_EQ(gsf.exitCode(), 0);
    const QString listing = QString::fromUtf8(gsf.readAllStandardOutput());
    EXPECT_TRUE(listing.contains(QStringLiteral("Contents"))) << listing.toStdString();
    EXPECT_TRUE(listing.contains(QStringLiteral("5000"))) << listing.toStdString();

    QProcess cat;
    cat.start(QStringLiteral(KT_GSF_PROGRAM), {QStringLiteral("cat"), Q(path), QStringLiteral("Contents")});
    ASSERT_TRUE(cat.waitForFinished(10000));
    EXPECT_EQ(cat.readAllStandardOutput(), QByteArray(5000, 'x'));
}

TEST(KTCompoundFile, FlatFilesAreTheirOwnContents)
{
    const struct
    {
        std::string bytes;
    } rows[] = {{""}, {"x"}, {std::string("\xD0\xCF\x11\xE0\xA1\xB1\x1A", 7)}, {std::string(100, '\0')}};
    for (const auto& row : rows) {
        const auto read = KTCompoundFile::ParseContents(Bytes(row.bytes));
        ASSERT_TRUE(read.ok);
        EXPECT_EQ(read.kind, KTCompoundFile::Kind::Flat);
        EXPECT_EQ(read.contents, Bytes(row.bytes));
    }
}

TEST(KTCompoundFile, DamagedCompoundFilesFailWithAReason)
{
    std::vector<std::uint8_t> good;
    ASSERT_TRUE(KTCompoundFile::BuildCompoundFile(Bytes(std::string(3000, 'k')), good));
    // The signature alone, and every truncation of a good file: never a crash, never success
    // with other contents.
    for (std::size_t cut = 8; cut < good.size(); cut += 97) {
        std::vector<std::uint8_t> bytes(good.begin(), good.begin() + static_cast<std::ptrdiff_t>(cut));
        const auto read = KTCompoundFile::ParseContents(bytes);
        EXPECT_EQ(read.kind, KTCompoundFile::Kind::Compound);
        if (read.ok) {
            EXPECT_EQ(read.contents, Bytes(std::string(3000, 'k'))) << cut;
        } else {
            // The program's own words; the library's, if any, only as the detail.
            EXPECT_EQ(read.failure, KTCompoundFile::Failure::Damaged) << cut;
            EXPECT_TRUE(read.error.startsWith(QStringLiteral("Its "))) << read.error.toStdString();
            EXPECT_FALSE(read.error.contains(QStringLiteral("allocation"))) << read.error.toStdString();
        }
    }
    // The file of the report: cut inside its block allocation table, the library's words
    // ("Inconsistent block allocation table", or the like) are kept for the detail only.
    const auto cut =
        KTCompoundFile::ParseContents(std::vector<std::uint8_t>(good.begin(), good.begin() + 700));
    ASSERT_FALSE(cut.ok);
    EXPECT_EQ(cut.failure, KTCompoundFile::Failure::Damaged);
    EXPECT_EQ(cut.error, QStringLiteral("Its storage is damaged."));
    EXPECT_FALSE(cut.detail.isEmpty());
    // Random damage after the signature.
    std::mt19937 random(11);
    for (int round = 0; round < 200; ++round) {
        auto bytes = good;
        for (int i = 0; i < 8; ++i)
            bytes[8 + random() % (bytes.size() - 8)] = static_cast<std::uint8_t>(random());
        const auto read = KTCompoundFile::ParseContents(bytes);
        EXPECT_EQ(read.kind, KTCompoundFile::Kind::Compound);
    }
}

TEST(KTCompoundFile, ACompoundFileWithoutContentsFails)
{
    std::vector<std::uint8_t> good;
    ASSERT_TRUE(KTCompoundFile::BuildCompoundFile(Bytes("abc"), good));
    // Rename the stream in the directory entry (names are UTF-16 there).
    auto bytes = good;
    bool renamed = false;
    for (std::size_t i = 0; i + 16 < bytes.size(); ++i) {
        if (bytes[i] == 'C' && bytes[i + 1] == 0 && bytes[i + 2] == 'o' && bytes[i + 4] == 'n') {
            bytes[i] = 'X';
            renamed = true;
            break;
        }
    }
    ASSERT_TRUE(renamed);
    const auto read = KTCompoundFile::ParseContents(bytes);
    EXPECT_FALSE(read.ok);
    EXPECT_EQ(read.failure, KTCompoundFile::Failure::Damaged);
    EXPECT_EQ(read.error, QStringLiteral("It holds no graph."));
}

TEST(KTCompoundFile, AFailedWriteKeepsThePreviousFile)
{
    kttest::TempDir dir;
    const auto path = dir.File("keep.kt3");
    QString error;
    ASSERT_TRUE(KTCompoundFile::WriteContents(Q(path), Bytes("first"), error));
    const auto before = FileBytes(path);

    // A read-only folder: the temporary file cannot be made, the old file stays.
    QFile::setPermissions(Q(dir.Path()), QFile::ReadOwner | QFile::ExeOwner);
    const bool refused = !KTCompoundFile::WriteContents(Q(path), Bytes("second"), error);
    QFile::setPermissions(Q(dir.Path()), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (refused) {
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(FileBytes(path), before);
    }
    // A missing folder fails too.
    EXPECT_FALSE(KTCompoundFile::WriteContents(Q(dir.File("no/such/folder.kt3")), Bytes("x"), error));

    // A successful write replaces the file and leaves no temporary file behind.
    ASSERT_TRUE(KTCompoundFile::WriteContents(Q(path), Bytes("third"), error));
    EXPECT_EQ(KTCompoundFile::ReadContents(Q(path)).contents, Bytes("third"));
    EXPECT_EQ(QDir(Q(dir.Path())).entryList(QDir::Files).size(), 1);
}

TEST(KTCompoundFile, MissingFilesFail)
{
    kttest::TempDir dir;
    const auto read = KTCompoundFile::ReadContents(Q(dir.File("missing.kt3")));
    EXPECT_FALSE(read.ok);
    EXPECT_EQ(read.failure, KTCompoundFile::Failure::CannotOpen);
    EXPECT_FALSE(read.error.isEmpty());
    EXPECT_FALSE(read.detail.isEmpty()); // the system's words: no such file
}
