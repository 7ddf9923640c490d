#include "platform/mediafile/media_profile.h"

#include <QFile>
#include <QList>

namespace media {
namespace {

bool Fail(QString* error, const QString& why) {
    if (error) *error = why;
    return false;
}

bool ReadInt(const QByteArray& value, int low, int high, int& out) {
    bool ok = false;
    const int v = value.toInt(&ok);
    if (!ok || v < low || v > high) return false;
    out = v;
    return true;
}

}  // namespace

bool ParseMediaProfile(const QByteArray& text, MediaProfile& result, QString* error) {
    if (text.size() > kMaxProfileSize) return Fail(error, "the profile is larger than 4 KiB");
    const QList<QByteArray> lines = text.split('\n');
    if (lines.isEmpty() || lines[0].trimmed() != "varnel-profile 1")
        return Fail(error, "not a profile of version 1");
    MediaProfile p;
    QByteArray content;
    bool seen[8] = {};
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines[i].trimmed();
        if (line.isEmpty() || line.startsWith('#')) continue;
        const qsizetype eq = line.indexOf('=');
        if (eq <= 0) return Fail(error, QString("line %1 is not key=value").arg(i + 1));
        const QByteArray key = line.left(eq).trimmed();
        const QByteArray value = line.mid(eq + 1).trimmed();
        struct Field {
            const char* name;
            int* target;
            int low, high;
        };
        const Field fields[] = {
            {"width", &p.width, 16, 4096},
            {"height", &p.height, 16, 4096},
            {"framerate", &p.frameRate, 1, 120},
            {"videobitrate", &p.videoBitRate, 1000, 100000000},
            {"audiobitrate", &p.audioBitRate, 1000, 1000000},
            {"samplerate", &p.audioSampleRate, 8000, 48000},
            {"channels", &p.audioChannels, 1, 2},
        };
        int index = -1;
        if (key == "content") {
            if (seen[7]) return Fail(error, "content given twice");
            seen[7] = true;
            content = value;
            continue;
        }
        for (int f = 0; f < 7; ++f)
            if (key == fields[f].name) index = f;
        if (index < 0)
            return Fail(error, QString("unknown key \"%1\"").arg(QString::fromUtf8(key)));
        if (seen[index])
            return Fail(error, QString("\"%1\" given twice").arg(QString::fromUtf8(key)));
        seen[index] = true;
        if (!ReadInt(value, fields[index].low, fields[index].high, *fields[index].target))
            return Fail(error, QString("bad value for \"%1\"").arg(QString::fromUtf8(key)));
    }
    if (content == "av")
        p.hasVideo = p.hasAudio = true;
    else if (content == "audio")
        p.hasAudio = true;
    else if (content == "video")
        p.hasVideo = true;
    else
        return Fail(error, "content must be av, audio or video");
    const bool videoKeys = seen[0] && seen[1] && seen[2] && seen[3];
    const bool audioKeys = seen[4] && seen[5] && seen[6];
    if (p.hasVideo != videoKeys || (!p.hasVideo && (seen[0] || seen[1] || seen[2] || seen[3])))
        return Fail(error, "the video keys do not match the content");
    if (p.hasAudio != audioKeys || (!p.hasAudio && (seen[4] || seen[5] || seen[6])))
        return Fail(error, "the sound keys do not match the content");
    result = p;
    return true;
}

bool ReadMediaProfile(const QString& path, MediaProfile& profile, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return Fail(error, file.errorString());
    const QByteArray text = file.read(kMaxProfileSize + 1);
    return ParseMediaProfile(text, profile, error);
}

}  // namespace media
