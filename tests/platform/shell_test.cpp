#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <QUrl>
#include <vector>

#include "platform/ui/shell.h"

namespace {

int Code(HINSTANCE result) {
    return static_cast<int>(reinterpret_cast<std::intptr_t>(result));
}

TEST(ShellExecute, HandsAddressesAndFilesToTheDesktop) {
    QTemporaryDir dir;
    const QString file = dir.filePath("manual.chm");
    QFile(file).open(QIODevice::WriteOnly);
    std::vector<QUrl> opened;
    bool taken = true;
    platform::SetShellOpener([&](const QUrl& url) {
        opened.push_back(url);
        return taken;
    });
    struct Case {
        QString target;
        bool taken;
        int code;
        QUrl handed;  // empty when nothing reaches the desktop
    };
    const Case cases[] = {
        {"https://example.org/a b?x=1", true, 33, QUrl("https://example.org/a b?x=1")},
        {"mailto:lab@example.org", true, 33, QUrl("mailto:lab@example.org")},
        {file, true, 33, QUrl::fromLocalFile(file)},
        {file, false, 31, QUrl::fromLocalFile(file)},
        {"https://example.org/", false, 31, QUrl("https://example.org/")},
        {dir.filePath("missing.chm"), true, 2, QUrl()},
        {"", true, 2, QUrl()},
    };
    for (const Case& c : cases) {
        opened.clear();
        taken = c.taken;
        const QByteArray target = c.target.toUtf8();
        EXPECT_EQ(Code(ShellExecute(nullptr, "open", target.constData(), nullptr, nullptr, 1)),
                  c.code)
            << target.constData();
        if (c.handed.isEmpty()) {
            EXPECT_TRUE(opened.empty()) << target.constData();
        } else {
            ASSERT_EQ(opened.size(), 1u) << target.constData();
            EXPECT_EQ(opened[0], c.handed);
        }
    }
    platform::SetShellOpener({});
}

}  // namespace
