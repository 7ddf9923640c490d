#include <gtest/gtest.h>

#include <QCoreApplication>

#include "platform/mediafile/media_profile.h"

// The nine shipped profiles: each read whole, with the content its name says and the rates of
// its caption (or the lowest the sound encoder takes, as its note says).
TEST(MediaProfile, ShippedFilesRead) {
    const struct {
        const char* name;
        bool video, audio;
        int totalBits;
    } files[] = {
        {"AVHighQuality", true, true, 96000},       {"AVMediumQuality", true, true, 40000},
        {"AVLowQuality", true, true, 32000},        {"AudioHighQuality", false, true, 24000},
        {"AudioMediumQuality", false, true, 24000}, {"AudioLowQuality", false, true, 24000},
        {"VideoHighQuality", true, false, 96000},   {"VideoMediumQuality", true, false, 48000},
        {"VideoLowQuality", true, false, 32000},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.name);
        media::MediaProfile p;
        QString error;
        ASSERT_TRUE(media::ReadMediaProfile(
            QCoreApplication::applicationDirPath() + QString("/Video Profiles/%1.prx").arg(f.name),
            p, &error))
            << error.toStdString();
        EXPECT_EQ(p.hasVideo, f.video);
        EXPECT_EQ(p.hasAudio, f.audio);
        EXPECT_EQ(p.videoBitRate + p.audioBitRate, f.totalBits);
    }
}

TEST(MediaProfile, AllOrNothing) {
    const QByteArray good =
        "varnel-profile 1\n# note\ncontent=av\nwidth=320\nheight=240\nframerate=15\n"
        "videobitrate=72000\naudiobitrate=24000\nsamplerate=22050\nchannels=1\n";
    media::MediaProfile p;
    ASSERT_TRUE(media::ParseMediaProfile(good, p));
    EXPECT_EQ(p.width, 320);
    EXPECT_EQ(p.audioSampleRate, 22050);

    const struct {
        const char* name;
        QByteArray text;
    } bad[] = {
        {"empty", ""},
        {"other version", QByteArray(good).replace("profile 1", "profile 2")},
        {"cut", good.left(good.indexOf("samplerate"))},
        {"cut in a value", good.left(good.indexOf("framerate=") + 10)},
        {"unknown key", good + "colour=red\n"},
        {"repeated key", good + "width=640\n"},
        {"not a number", QByteArray(good).replace("width=320", "width=3x0")},
        {"out of range", QByteArray(good).replace("channels=1", "channels=9")},
        {"sound keys in video only", QByteArray(good).replace("content=av", "content=video")},
        {"over 4 KiB", good + "#" + QByteArray(4096, 'x') + "\n"},
    };
    for (const auto& b : bad) {
        media::MediaProfile out;
        out.width = 7;
        QString error;
        EXPECT_FALSE(media::ParseMediaProfile(b.text, out, &error)) << b.name;
        EXPECT_FALSE(error.isEmpty()) << b.name;
        EXPECT_EQ(out.width, 7) << b.name;
    }
}
