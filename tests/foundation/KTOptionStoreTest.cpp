#include "foundation/KTConfigFile.h"
#include "foundation/KTOptionStore.h"

#include "support/KTTestSupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace {

/// Sets (or, with nullptr, removes) an environment variable for the life of the object.
class ScopedEnv
{
public:
    ScopedEnv(const char* name, const char* value) : m_name(name)
    {
        if (const char* old = std::getenv(name))
            m_old = old;
        if (value)
            setenv(name, value, 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (m_old)
            setenv(m_name.c_str(), m_old->c_str(), 1);
        else
            unsetenv(m_name.c_str());
    }

private:
    std::string m_name;
    std::optional<std::string> m_old;
};

CString ProgramFolderOfThisTest()
{
    const std::string exe = std::filesystem::read_symlink("/proc/self/exe").string();
    return CString(exe.substr(0, exe.rfind('/') + 1));
}

std::string Str(const std::filesystem::path& p)
{
    return p.string();
}

} // namespace

TEST(KTOptionStoreTest, FolderOfEachLocationMode)
{
    kttest::TempDir dir;
    const std::string cfg = Str(dir.File("cfg"));
    const std::string home = Str(dir.File("home"));
    const std::string sys = Str(dir.File("sys"));
    std::filesystem::create_directories(cfg);
    std::filesystem::create_directories(sys);
    ScopedEnv xdgHome("XDG_CONFIG_HOME", cfg.c_str());
    ScopedEnv xdgDirs("XDG_CONFIG_DIRS", ("relative/skipped::" + sys + ":/etc/xdg").c_str());
    ScopedEnv homeEnv("HOME", home.c_str());

    const CString program = ProgramFolderOfThisTest();
    const CString parent = program.Left(program.Left(program.GetLength() - 1).ReverseFind('/') + 1);
    const struct
    {
        int mode;
        CString getPath;
        CString loadPath;
    } rows[] = {
        {0, CString(cfg) + "/Norwyn/KTG300.ini", CString(cfg) + "/Norwyn/KTG300.ini"},
        {1, program + "KTG300.ini", program + "KTG300.ini"},
        {2, "/etc/KTG300.ini", "/etc/KTG300.ini"},
        {3, CString(sys) + "/Norwyn/KTG300.ini", CString(sys) + "/Norwyn/KTG300.ini"},
        {5, "", parent + "KTG300.ini"},
        {4, "", "/kept/by/SetPath.ini"},
        {17, "", "/kept/by/SetPath.ini"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.mode);
        KTOptionStore store;
        store.SetCompanyName("Norwyn");
        store.SetFileBaseName("KTG300");
        store.m_location = row.mode;
        store.SetPath("/kept/by/SetPath.ini");
        EXPECT_EQ(store.GetPath(), row.getPath);
        store.Load();
        EXPECT_EQ(store.GetFilePath(), row.loadPath);
    }
    EXPECT_TRUE(std::filesystem::is_directory(cfg + "/Norwyn"));
    EXPECT_TRUE(std::filesystem::is_directory(sys + "/Norwyn"));
    EXPECT_EQ(KTOptionStore::ProgramFolder(), program);
    EXPECT_EQ(KTOptionStore::ProgramParentFolder(), parent);
}

TEST(KTOptionStoreTest, PerUserFolderDefaultsAndFallbacks)
{
    kttest::TempDir dir;
    const std::string home = Str(dir.File("home"));
    std::filesystem::create_directories(home);
    kttest::WriteFileBytes(dir.File("plain"), "x");
    {
        // No XDG_CONFIG_HOME: ~/.config, created on a fresh account.
        ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
        ScopedEnv h("HOME", home.c_str());
        EXPECT_EQ(KTOptionStore::DataFolder("Norwyn", false), CString(home) + "/.config/Norwyn/");
        EXPECT_TRUE(std::filesystem::is_directory(home + "/.config/Norwyn"));
    }
    {
        // A relative XDG_CONFIG_HOME is ignored, as the XDG rules say.
        ScopedEnv xdg("XDG_CONFIG_HOME", "relative/cfg");
        ScopedEnv h("HOME", home.c_str());
        EXPECT_EQ(KTOptionStore::DataFolder("Co", false), CString(home) + "/.config/Co/");
    }
    {
        // A root that cannot be made falls back to the system folder.
        const std::string impossible = Str(dir.File("plain")) + "/cfg";
        ScopedEnv xdg("XDG_CONFIG_HOME", impossible.c_str());
        EXPECT_EQ(KTOptionStore::DataFolder("Norwyn", false), "/etc/");
        EXPECT_EQ(KTOptionStore::UserIniPath("Norwyn", "KTG300"), "/etc/KTG300.ini");
    }
    {
        ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
        ScopedEnv h("HOME", nullptr);
        EXPECT_EQ(KTOptionStore::DataFolder("Norwyn", false), "/etc/");
    }
    {
        // A company folder that cannot be made (a file holds its name) falls back as well.
        ScopedEnv xdg("XDG_CONFIG_HOME", Str(dir.Path()).c_str());
        EXPECT_EQ(KTOptionStore::DataFolder("plain", false), "/etc/");
    }
}

TEST(KTOptionStoreTest, ConfigFileDataFolderUsesTheHomeFolder)
{
    kttest::TempDir dir;
    const std::string home = Str(dir.File("home"));
    std::filesystem::create_directories(home);
    ScopedEnv xdg("XDG_CONFIG_HOME", Str(dir.File("elsewhere")).c_str());
    ScopedEnv h("HOME", home.c_str());
    EXPECT_EQ(KTConfigFile::DataFolder("Norwyn", false), CString(home) + "/.config/Norwyn/");
    EXPECT_TRUE(std::filesystem::is_directory(home + "/.config/Norwyn"));
    EXPECT_FALSE(std::filesystem::exists(dir.File("elsewhere")));
}

TEST(KTOptionStoreTest, SaveLoadAndDeleteRoundTrip)
{
    kttest::MessageBoxRecorder boxes;
    kttest::TempDir dir;
    ScopedEnv xdg("XDG_CONFIG_HOME", Str(dir.Path()).c_str());

    KTOptionStore store;
    store.SetCompanyName("Norwyn");
    store.SetFileBaseName("KTG300");
    store.SetInt("Graph", "Width", 12, true);
    store.SetValue("Graph", "Title", "My graph", true);
    store.Save();
    const auto file = dir.File("Norwyn/KTG300.ini");
    EXPECT_EQ(kttest::ReadFileBytes(file), "[Graph]\r\nWidth=12\r\nTitle=My graph\r\n\r\n");

    KTOptionStore reread;
    reread.SetCompanyName("Norwyn");
    reread.SetFileBaseName("KTG300");
    ASSERT_TRUE(reread.Load());
    EXPECT_EQ(reread.GetInt("Graph", "Width"), 12);
    EXPECT_EQ(reread.ToText(), store.ToText());

    reread.DeleteFile();
    EXPECT_FALSE(std::filesystem::exists(file));
    reread.DeleteFile(); // nothing left to delete: no effect, no error
    EXPECT_FALSE(reread.Load());
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST(KTOptionStoreTest, SaveNeedsBothNames)
{
    kttest::TempDir dir;
    const auto path = dir.File("kept.ini");
    for (auto names : {std::pair<const char*, const char*>{"", "Base"}, {"Co", ""}}) {
        KTOptionStore store;
        store.SetCompanyName(names.first);
        store.SetFileBaseName(names.second);
        store.m_location = 4;
        store.SetPath(CString(Str(path)));
        store.SetValue("S", "k", "v", true);
        store.Save();
        EXPECT_FALSE(std::filesystem::exists(path));
    }
    KTOptionStore unnamed;
    unnamed.m_location = 4;
    EXPECT_FALSE(unnamed.Load());
}

TEST(KTOptionStoreTest, DirectoryExistsLeavesTheCurrentFolder)
{
    kttest::TempDir dir;
    kttest::WriteFileBytes(dir.File("plain"), "x");
    const auto before = std::filesystem::current_path();
    const struct
    {
        CString path;
        bool exists;
    } rows[] = {
        {dir.Folder(), true},
        {CString(Str(dir.Path())), true},
        {CString(Str(dir.File("plain"))), false},
        {CString(Str(dir.File("absent"))), false},
        {"", false},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path.c_str());
        EXPECT_EQ(DirectoryExists(row.path), row.exists);
    }
    EXPECT_EQ(std::filesystem::current_path(), before);
}
