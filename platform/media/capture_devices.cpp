#include "platform/media/capture_devices.h"

#include <fcntl.h>
#include <linux/videodev2.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <QDir>
#include <QHash>
#include <QRegularExpression>
#include <algorithm>

namespace media {

namespace {
bool s_fakeCards = false;
std::vector<QString> s_cards;
}  // namespace

void SetCaptureCardsForTesting(std::vector<QString> cards, bool active) {
    s_cards = std::move(cards);
    s_fakeCards = active;
}

bool UseTestSources() {
    return qgetenv("VARNEL_MEDIA_TEST_SOURCES") == "1";
}

std::vector<CaptureDevice> ListVideoDevices() {
    if (UseTestSources()) return {{"Test Camera 1", {}, "smpte"}, {"Test Camera 2", {}, "ball"}};
    const QDir dev("/dev");
    QStringList nodes = dev.entryList({"video*"}, QDir::System | QDir::Files);
    static const QRegularExpression number("^video(\\d+)$");
    nodes.erase(std::remove_if(nodes.begin(), nodes.end(),
                               [](const QString& n) { return !number.match(n).hasMatch(); }),
                nodes.end());
    std::sort(nodes.begin(), nodes.end(), [](const QString& a, const QString& b) {
        return a.mid(5).toInt() < b.mid(5).toInt();
    });
    std::vector<CaptureDevice> out;
    QHash<QString, int> seen;
    if (s_fakeCards) {
        for (size_t i = 0; i < s_cards.size(); ++i) {
            QString name = s_cards[i];
            const int count = ++seen[name];
            if (count > 1) name += QString(" (%1)").arg(count);
            out.push_back({name, QString("/dev/video%1").arg(i), {}});
        }
        return out;
    }
    for (const QString& n : nodes) {
        const QString path = dev.filePath(n);
        const int fd = ::open(path.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        v4l2_capability cap{};
        const bool ok = ::ioctl(fd, VIDIOC_QUERYCAP, &cap) == 0;
        ::close(fd);
        if (!ok) continue;
        const uint32_t caps =
            (cap.capabilities & V4L2_CAP_DEVICE_CAPS) ? cap.device_caps : cap.capabilities;
        if (!(caps & V4L2_CAP_VIDEO_CAPTURE)) continue;
        QString name = QString::fromUtf8(
            reinterpret_cast<const char*>(cap.card),
            int(strnlen(reinterpret_cast<const char*>(cap.card), sizeof cap.card)));
        const int count = ++seen[name];
        if (count > 1) name += QString(" (%1)").arg(count);
        out.push_back({name, path, {}});
    }
    return out;
}

int EnumerateVideoDevices(std::vector<QString>& friendlyNames) {
    friendlyNames.clear();
    for (const auto& d : ListVideoDevices())
        friendlyNames.push_back(d.friendlyName);
    return friendlyNames.empty() ? 1 : 0;
}

}  // namespace media
