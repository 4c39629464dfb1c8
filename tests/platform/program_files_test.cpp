#include "platform/program_files.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace {

// A program in <root>/bin finds its files beside itself first, then in the
// installed library folder; a file in neither place is reported beside it.
TEST(ProgramFilePath, BesideTheProgramFirstThenTheInstalledLibraryFolder) {
    const struct {
        bool beside;
        bool installed;
        bool expect_installed;
    } cases[] = {
        {true, false, false},
        {false, true, true},
        {true, true, false},
        {false, false, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << "beside " << c.beside << ", installed " << c.installed);
        QTemporaryDir root;
        const QString program_folder = root.filePath("bin");
        const QString library_folder =
            QDir::cleanPath(program_folder + "/" + OMTRIX_LIBRARY_FOLDER_FROM_PROGRAM);
        ASSERT_TRUE(QDir().mkpath(program_folder));
        ASSERT_TRUE(QDir().mkpath(library_folder));
        const QString beside = program_folder + "/MELKOTAR.DLL";
        const QString installed = library_folder + "/MELKOTAR.DLL";
        if (c.beside) {
            QFile(beside).open(QIODevice::WriteOnly);
        }
        if (c.installed) {
            QFile(installed).open(QIODevice::WriteOnly);
        }
        EXPECT_EQ(ProgramFilePath(program_folder, "MELKOTAR.DLL"),
                  c.expect_installed ? installed : beside);
    }
}

}  // namespace
