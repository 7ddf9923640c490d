#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <string>

#include <QDir>

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
    EXPECT_EQ(QDir(env.Path().ToQString()).entryList(QDir::Files).size(), 1);  // no temporary left
}

}  // namespace
