#include "foundation/KTFileVersion.h"

#include "support/KTTestSupport.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

TEST(KTFileVersionTest, TheProgramCarriesItsOwnVersion)
{
    KTFileVersion version;
    EXPECT_FALSE(version.IsValid());
    ASSERT_TRUE(version.ReadModule(KTFileVersion::ProgramModule()));
    const VS_FIXEDFILEINFO& info = version.GetFixedInfo();
    EXPECT_TRUE(version.IsValid());
    EXPECT_EQ(info.dwSignature, 0xFEEF04BDu);
    EXPECT_EQ(info.dwProductVersionMS, (3u << 16) | 209u);
    EXPECT_EQ(info.dwProductVersionLS, 2u << 16);
    EXPECT_EQ(info.dwFileVersionMS, info.dwProductVersionMS);
    EXPECT_EQ(info.dwFileVersionLS, info.dwProductVersionLS);
    EXPECT_EQ(version.ProductMajor(), 3);
    EXPECT_EQ(version.ProductMinor(), 209);
    EXPECT_EQ(version.ProductBuild(), 2);
    EXPECT_EQ(version.ProductRevision(), 0);
    ASSERT_EQ(version.GetTranslationCount(), 1);
    EXPECT_EQ(version.GetTranslation(0), 0x0409u | (1252u << 16));
    EXPECT_EQ(version.GetTranslation(1), 0u);

    // Reading again with the same object gives the same answer.
    ASSERT_TRUE(version.Read("/proc/self/exe"));
    EXPECT_EQ(version.ProductMinor(), 209);
}

TEST(KTFileVersionTest, OtherFilesHaveNoVersion)
{
    kttest::TempDir dir;
    kttest::WriteFileBytes(dir.File("other"), "\x7F"
                                              "ELF not really");
    KTFileVersion version;
    ASSERT_TRUE(version.ReadModule(KTFileVersion::ProgramModule()));

    const struct
    {
        const char* name;
        std::function<bool()> read;
    } rows[] = {
        {"null path", [&] { return version.Read(nullptr); }},
        {"other file", [&] { return version.Read(dir.File("other").c_str()); }},
        {"missing file", [&] { return version.Read(dir.File("absent").c_str()); }},
        {"null module", [&] { return version.ReadModule(nullptr); }},
        {"unknown module", [&] { return version.ReadModule(&dir); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(version.ReadModule(KTFileVersion::ProgramModule()));
        EXPECT_FALSE(row.read());
        EXPECT_FALSE(version.IsValid());
        EXPECT_EQ(version.GetTranslationCount(), 0);
        EXPECT_EQ(version.GetFixedInfo().dwProductVersionMS, 0u);
    }
    version.Clear();
    EXPECT_FALSE(version.IsValid());
    EXPECT_EQ(version.GetFixedInfo().dwSignature, 0u);
}
