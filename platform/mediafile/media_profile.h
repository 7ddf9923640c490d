#pragma once
// The recording profiles (".prx"): what a recording holds and at which size, frame rate and bit
// rates. Our own text format: the line "varnel-profile 1", then key=value lines; '#' starts a
// note. A file is read whole or not at all: an unknown key, a bad value or a missing one refuses
// it.

#include <QString>

namespace media {

struct MediaProfile {
    bool hasVideo = false;
    bool hasAudio = false;
    int width = 0, height = 0;
    int frameRate = 0;        // frames per second
    int videoBitRate = 0;     // bits per second
    int audioBitRate = 0;     // bits per second
    int audioSampleRate = 0;  // Hz
    int audioChannels = 0;
};

constexpr qsizetype kMaxProfileSize = 4096;

bool ParseMediaProfile(const QByteArray& text, MediaProfile& profile, QString* error = nullptr);
bool ReadMediaProfile(const QString& path, MediaProfile& profile, QString* error = nullptr);

}  // namespace media
