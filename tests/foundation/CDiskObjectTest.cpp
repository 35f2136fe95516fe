#include "foundation/CDiskObject.h"

#include "support/KTTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

CString Cwd()
{
    CString cwd(std::filesystem::current_path().string());
    return cwd == "/" ? cwd : cwd + "/";
}

CString Parent(const CString& folder)
{
    const CString cut = folder.Left(folder.GetLength() - 1);
    return cut.Left(cut.ReverseFind('/') + 1);
}

/// root/{tip1.html, notes.txt, a/{tip2.html, tip10.html, c/tip3.html}, b/tip4.html, b/x.html}
void MakeTree(const std::filesystem::path& root)
{
    std::filesystem::create_directories(root / "a" / "c");
    std::filesystem::create_directories(root / "b");
    for (const char* f : {"tip1.html", "notes.txt", "a/tip2.html", "a/tip10.html", "a/c/tip3.html",
                          "b/tip4.html", "b/x.html"})
        kttest::WriteFileBytes(root / f, f);
}

} // namespace

TEST(CDiskObjectTest, QualifyPath)
{
    const CString cwd = Cwd();
    const struct
    {
        CString in;
        CString out;
    } rows[] = {
        {"/data/tips", "/data/tips/"},
        {"/data/tips/", "/data/tips/"},
        {"\\data\\tips", "/data/tips/"},
        {"//server/share", "//server/share/"},
        {"tips", cwd + "tips/"},
        {"../x", Parent(cwd) + "x/"},
        {"", cwd},
    };
    const auto before = std::filesystem::current_path();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.in.c_str());
        CDiskObject disk;
        CString path = row.in;
        EXPECT_TRUE(disk.QualifyPath(path));
        EXPECT_EQ(path, row.out);
    }
    EXPECT_EQ(std::filesystem::current_path(), before);

    CDiskObject disk;
    CString file = "/data/a*b.txt";
    EXPECT_FALSE(disk.QualifyFile(file));
    EXPECT_EQ(disk.GetErrorText(), "CDiskObject internal error - check call parameters");
    CString relative = "notes/a.txt";
    EXPECT_TRUE(disk.QualifyFile(relative));
    EXPECT_EQ(relative, cwd + "notes/a.txt");
}

TEST(CDiskObjectTest, DirectoryExists)
{
    kttest::TempDir dir;
    kttest::WriteFileBytes(dir.File("plain"), "x");
    CDiskObject disk;
    EXPECT_TRUE(disk.DirectoryExists(dir.Folder()));
    EXPECT_TRUE(disk.DirectoryExists(CString(dir.Path().string())));
    EXPECT_FALSE(disk.DirectoryExists(CString(dir.File("plain").string())));
    EXPECT_FALSE(disk.DirectoryExists(CString(dir.File("absent").string())));
    EXPECT_EQ(disk.GetErrorText(), "");
    EXPECT_FALSE(disk.DirectoryExists(""));
    EXPECT_EQ(disk.GetErrorText(), "CDiskObject internal error - check call parameters");
}

TEST(CDiskObjectTest, EnumerateFilesSortsByBytes)
{
    kttest::TempDir dir;
    for (const char* f : {"tip2.html", "tip10.html", "notes.txt", "TIP3.HTML"})
        kttest::WriteFileBytes(dir.File(f), "x");
    std::filesystem::create_directory(dir.File("tipdir.html"));

    CStringArray seen;
    CDiskObject disk([&](const CString& text) { seen.push_back(text); });
    CStringArray files;
    ASSERT_TRUE(disk.EnumerateFiles("tip*.html", dir.Folder(), files, 0));
    EXPECT_EQ(files, (CStringArray{"TIP3.HTML", "tip10.html", "tip2.html"}));
    EXPECT_EQ(seen.size(), 3u);

    // A second listing into the same array adds every name again.
    ASSERT_TRUE(disk.EnumerateFiles("tip*.html", dir.Folder(), files, 0));
    EXPECT_EQ(files,
              (CStringArray{"TIP3.HTML", "TIP3.HTML", "tip10.html", "tip10.html", "tip2.html", "tip2.html"}));

    CStringArray full;
    ASSERT_TRUE(disk.EnumerateFiles("*.txt", CString(dir.Path().string()), full, 1));
    EXPECT_EQ(full, CStringArray{dir.Folder() + "notes.txt"});

    CStringArray none;
    EXPECT_TRUE(disk.EnumerateFiles("*.*", CString(dir.File("absent").string()), none, 0));
    EXPECT_TRUE(none.empty());
}

TEST(CDiskObjectTest, EnumerateTreesDepthFirst)
{
    kttest::TempDir dir;
    MakeTree(dir.Path());
    const CString root = dir.Folder();
    CDiskObject disk;

    CStringArray folders;
    ASSERT_TRUE(disk.EnumerateDirectories(root, folders));
    EXPECT_EQ(folders, (CStringArray{root + "a/", root + "a/c/", root + "b/"}));
    CStringArray relativeFolders;
    ASSERT_TRUE(disk.EnumerateDirectoriesRelative(root, relativeFolders, 0));
    EXPECT_EQ(relativeFolders, (CStringArray{"a", "a/c", "b"}));

    CStringArray files;
    ASSERT_TRUE(disk.EnumerateAllFiles("tip*.html", root, files));
    EXPECT_EQ(files, (CStringArray{root + "tip1.html", root + "a/tip10.html", root + "a/tip2.html",
                                   root + "a/c/tip3.html", root + "b/tip4.html"}));

    CStringArray relative{"earlier"};
    ASSERT_TRUE(disk.EnumerateAllFilesRelative("tip*.html", root, relative, 0));
    EXPECT_EQ(relative, (CStringArray{"earlier", "tip1.html", "a/tip10.html", "a/tip2.html", "a/c/tip3.html",
                                      "b/tip4.html"}));
    CStringArray kept;
    ASSERT_TRUE(disk.EnumerateAllFilesRelative("*.txt", root, kept, 1));
    EXPECT_EQ(kept, CStringArray{root + "notes.txt"});

    CStringArray missing;
    EXPECT_TRUE(disk.EnumerateAllFilesRelative("tip*.html", root + "absent/", missing, 0));
    EXPECT_TRUE(missing.empty());
    EXPECT_FALSE(disk.EnumerateDirectories(root + "absent/", missing));
    EXPECT_FALSE(disk.GetErrorText().IsEmpty());
    EXPECT_NE(disk.GetErrorText().Find(root + "absent/"), -1);
}

TEST(CDiskObjectTest, LinkedFoldersAreNotEntered)
{
    kttest::TempDir dir;
    MakeTree(dir.Path());
    std::filesystem::create_directory_symlink(dir.Path(), dir.Path() / "a" / "loop");
    CDiskObject disk;
    CStringArray folders;
    ASSERT_TRUE(disk.EnumerateDirectoriesRelative(dir.Folder(), folders, 0));
    EXPECT_EQ(folders, (CStringArray{"a", "a/c", "b"}));
}

TEST(CDiskObjectTest, WildcardMatch)
{
    const struct
    {
        const char* pattern;
        const char* name;
        bool match;
    } rows[] = {
        {"tip*.html", "tip1.html", true},
        {"tip*.html", "tip.html", true},
        {"tip*.html", "Tip1.HTML", true},
        {"tip*.html", "tip1.htm", false},
        {"tip*.html", "atip1.html", false},
        {"*.*", "README", true},
        {"*", "anything", true},
        {"?.txt", "a.txt", true},
        {"?.txt", "ab.txt", false},
        {"a*b*c", "aXbYbZc", true},
        {"a*b*c", "aXbYbZ", false},
        {"", "", true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.pattern) + " / " + row.name);
        EXPECT_EQ(KTWildcardMatch(row.pattern, row.name), row.match);
    }
}
