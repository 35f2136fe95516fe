// Where the program looks for its modules and its data: the installed folders first, found from
// the program file's own place, then the program's folder.

#include "platform/KTProgramFolders.h"

#include <QDir>
#include <QFileInfo>

#include <gtest/gtest.h>

TEST(KTProgramFolders, TheInstalledModuleFolderComesBeforeTheProgramsOwn)
{
    const QString program = KTProgramFolders::ProgramFolder();
    EXPECT_TRUE(QFileInfo(program + QStringLiteral("/platform_tests")).exists()) << program.toStdString();
    // The layout of the install rules: bin/ beside lib.../ktgraph3 and share/ktgraph3.
    EXPECT_TRUE(KTProgramFolders::InstalledModuleFolder().startsWith(QStringLiteral("../")));
    EXPECT_TRUE(KTProgramFolders::InstalledModuleFolder().endsWith(QStringLiteral("/ktgraph3")));
    EXPECT_EQ(KTProgramFolders::InstalledDataFolder(), QStringLiteral("../share/ktgraph3"));
    const QStringList folders = KTProgramFolders::ModuleFolders();
    ASSERT_EQ(folders.size(), 2);
    EXPECT_EQ(folders[0],
              QDir::cleanPath(program + QLatin1Char('/') + KTProgramFolders::InstalledModuleFolder()));
    EXPECT_EQ(folders[1], program);
    // A program of the build tree has no installed data folder: its data lies beside it.
    EXPECT_EQ(KTProgramFolders::DataFolder(), program + QLatin1Char('/'));
}
