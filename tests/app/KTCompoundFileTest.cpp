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

} // namespace

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
        if (read.ok)
            EXPECT_EQ(read.contents, Bytes(std::string(3000, 'k'))) << cut;
        else
            EXPECT_FALSE(read.error.isEmpty());
    }
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
    EXPECT_FALSE(read.error.isEmpty());
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
    EXPECT_FALSE(read.error.isEmpty());
}
