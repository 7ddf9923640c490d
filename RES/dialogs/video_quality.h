#pragma once
// Dialog 179: Video > Video properties.

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_VIDEO_QUALITY = 179;
constexpr UINT IDC_QUALITY_GROUP = 4844;
constexpr UINT IDC_OPTIONS_GROUP = 3856;
constexpr UINT IDC_QUALITY_HIGH = 4838;
constexpr UINT IDC_QUALITY_NORMAL = 4840;
constexpr UINT IDC_QUALITY_LOW = 4842;
constexpr UINT IDC_CONTENT_AUDIO_VIDEO = 4851;
constexpr UINT IDC_CONTENT_AUDIO = 4852;
constexpr UINT IDC_CONTENT_VIDEO = 4853;

const DialogTemplate& VideoQualityTemplate();
