#pragma once
// The video capture devices, for the device choice and the encoder's inputs. A scan of
// /dev/video* in node order, capture nodes only (VIDIOC_QUERYCAP); the friendly name is the
// card's name, and a repeated name gets " (2)", " (3)"..., so that each entry names its own node.
// With VARNEL_MEDIA_TEST_SOURCES=1 two test cameras are listed instead: "Test Camera 1" (bars)
// and "Test Camera 2" (a ball), and the default sound is a 440 Hz tone.

#include <QString>
#include <vector>

#include <QStringList>

namespace media {

struct CaptureDevice {
    QString friendlyName;
    QString node;         // "/dev/videoN"; empty for a test camera
    QString testPattern;  // "smpte" or "ball" for a test camera
};

bool UseTestSources();
// The devices in enumeration order.
std::vector<CaptureDevice> ListVideoDevices();
// Tests give the capture nodes' card names in node order, in place of the /dev scan; empty
// restores it.
void SetCaptureCardsForTesting(std::vector<QString> cards, bool active);

// The answer of the enumerator for the video input category: 0 with devices, 1 when none.
int EnumerateVideoDevices(std::vector<QString>& friendlyNames);

}  // namespace media
