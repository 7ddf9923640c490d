#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#include <clocale>
#include <cstdlib>
#include <string>

#include <QDir>
#include <QFile>
#include <QRegularExpression>

#include "platform/base/file.h"
#include "platform/base/numeric_locale.h"
#include "platform/base/paths.h"
#include "platform/base/registry.h"
#include "platform/win/frame.h"
#include "tests/support/harness.h"

namespace {

TEST(NumericLocale, PinnedToCUnderADecimalCommaLocale) {
    const std::string old = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8")) {
        // CI runs scripts/setup, which makes the locale: there a missing one is a fault.
        const char* ci = std::getenv("CI");
        if (ci && *ci && std::string(ci) != "false" && std::string(ci) != "0")
            FAIL() << "locale de_DE.UTF-8 is missing in CI (scripts/setup generates it)";
        GTEST_SKIP() << "locale de_DE.UTF-8 is not installed (scripts/setup generates it)";
    }
    char buf[16];
    std::snprintf(buf, sizeof buf, "%.1f", 1.5);
    EXPECT_STREQ(buf, "1,5");  // what Qt's start-up leaves without the pin
    platform::PinNumericLocale();
    EXPECT_EQ(std::atof("1.5"), 1.5);
    EXPECT_EQ(std::strtod("v.1.5" + 2, nullptr), 1.5);
    EXPECT_EQ(CString::Formatted("%.1f", 1.5), "1.5");
    std::setlocale(LC_ALL, old.c_str());
    platform::PinNumericLocale();
}

TEST(Paths, JoinAndSplit) {
    using platform::PathJoin;
    EXPECT_EQ(PathJoin("/data", "Varnel Data"), "/data/Varnel Data");
    EXPECT_EQ(PathJoin("/data/", "/Settings.vns"), "/data/Settings.vns");
    EXPECT_EQ(PathJoin("", "x"), "x");
    EXPECT_EQ(PathJoin("/", "x"), "/x");
    CString folder, name;
    platform::PathSplitLast("/a/b/Exp 1.vnp", folder, name);
    EXPECT_EQ(folder, "/a/b");
    EXPECT_EQ(name, "Exp 1.vnp");
    EXPECT_EQ(platform::PathStem("/a/b/Exp 1.vnp"), "Exp 1");
    EXPECT_EQ(platform::PathExtension("/a/b.c/x"), "");
    EXPECT_EQ(platform::PathFromWindows("Varnel Data\\Last Project.vnp"),
              "Varnel Data/Last Project.vnp");
}

class Registry : public testing_support::HarnessTest {};

TEST_F(Registry, ValuesSurviveReopeningTheFile) {
    const CString file = env.File("registry.ini");
    {
        CRegKey key;
        EXPECT_EQ(key.Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Mercant Systems\\Varnel"),
                  ERROR_FILE_NOT_FOUND);
        ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, "SOFTWARE\\Mercant Systems\\Varnel"),
                  ERROR_SUCCESS);
        EXPECT_EQ(key.SetStringValue("Path", "/home/u/Varnel °"), ERROR_SUCCESS);
        CRegKey user;
        user.Create(HKEY_CURRENT_USER, "Control Panel\\Desktop");
        user.SetDWORDValue("WheelScrollLines", 5);
    }
    platform::SetRegistryFile(file);  // drops the cache: the next read comes from the file
    CRegKey key;
    ASSERT_EQ(key.Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Mercant Systems\\Varnel"), ERROR_SUCCESS);
    CString path;
    EXPECT_EQ(key.QueryStringValue("Path", path), ERROR_SUCCESS);
    EXPECT_EQ(path, "/home/u/Varnel °");
    EXPECT_EQ(key.QueryStringValue("Missing", path), ERROR_FILE_NOT_FOUND);
    EXPECT_EQ(key.EnumValueNames(), std::vector<CString>{"Path"});
    CRegKey user;
    ASSERT_EQ(user.Open(HKEY_CURRENT_USER, "Control Panel\\Desktop"), ERROR_SUCCESS);
    DWORD lines = 0;
    EXPECT_EQ(user.QueryDWORDValue("WheelScrollLines", lines), ERROR_SUCCESS);
    EXPECT_EQ(lines, 5u);
}

TEST_F(Registry, ApplicationProfile) {
    CWinApp app("Varnel");
    app.SetRegistryKey("Mercant Systems");
    EXPECT_EQ(app.GetProfileString("Recent File List", "File1", "none"), "none");
    app.WriteProfileString("Recent File List", "File1", "/p/a.vnp");
    app.WriteProfileInt("Settings", "Count", 4);
    EXPECT_EQ(app.GetProfileString("Recent File List", "File1"), "/p/a.vnp");
    EXPECT_EQ(app.GetProfileInt("Settings", "Count", 0), 4u);
}

TEST(AtomicReplace, InterruptedSaveKeepsTheOldFile) {
    testing_support::TempEnvironment env;
    const CString path = env.File("record.bin");
    ASSERT_TRUE(platform::ReplaceFileAtomically(path, {1, 2, 3}));
    platform::SetAtomicReplaceHookForTests([] { return false; });
    EXPECT_FALSE(platform::ReplaceFileAtomically(path, {9, 9, 9, 9}));
    platform::SetAtomicReplaceHookForTests(nullptr);
    CFile f(path, CFile::modeRead);
    EXPECT_EQ(f.GetLength(), 3u);
    EXPECT_EQ(QDir(env.Path().ToQString()).entryList(QDir::Files | QDir::Hidden).size(),
              1);  // no temporary left
}

// A save writes a hidden ".part" temporary and first removes the ones killed saves of the same
// file left; a temporary that a live save holds, another file's, and look-alikes stay.
TEST(AtomicReplace, TheTemporaryIsAHiddenPartFileAndDeadOnesOfTheSameFileGo) {
    testing_support::TempEnvironment env;
    const QDir folder(env.Path().ToQString());
    const auto make = [&](const char* name) {
        QFile f(folder.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly)) << name;
        f.write("stale");
    };
    const char* gone[] = {".record.bin.a1B2c3.part", ".record.bin.ZZZZZZ.part"};
    const char* kept[] = {".record.bin.live01.part",   ".other.bin.a1B2c3.part",
                          ".record.bin.a1B2c.part",    ".record.bin.a1B2c!.part",
                          ".record.bin.part",          "record.bin.a1B2c3",
                          ".record - Video 1.wmv.part"};
    for (const char* name : gone)
        make(name);
    for (const char* name : kept)
        make(name);
    // A save in progress elsewhere holds its temporary locked.
    const int live = ::open(folder.filePath(kept[0]).toUtf8().constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(live, 0);
    ASSERT_EQ(::flock(live, LOCK_EX), 0);

    const CString path = env.File("record.bin");
    QStringList during;
    platform::SetAtomicReplaceHookForTests([&] {
        during = folder.entryList(QDir::Files | QDir::Hidden);
        return true;
    });
    EXPECT_TRUE(platform::ReplaceFileAtomically(path, {1, 2, 3}));
    platform::SetAtomicReplaceHookForTests(nullptr);
    ::close(live);

    const QStringList after = folder.entryList(QDir::Files | QDir::Hidden);
    for (const char* name : gone)
        EXPECT_FALSE(after.contains(name)) << name;
    for (const char* name : kept)
        EXPECT_TRUE(after.contains(name)) << name;
    EXPECT_EQ(after.size(), int(std::size(kept)) + 1);
    const QRegularExpression own(R"(^\.record\.bin\.[A-Za-z0-9]{6}\.part$)");
    const QStringList temporaries = during.filter(own);
    ASSERT_EQ(temporaries.size(), 2) << during.join(' ').toStdString();  // the live one and ours
    EXPECT_FALSE(after.contains(temporaries[0] == kept[0] ? temporaries[1] : temporaries[0]));
}

}  // namespace
