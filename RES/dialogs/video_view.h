#pragma once
// Form 139: the video view, whose only item is the media player.

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_VIDEO_VIEW = 139;
constexpr UINT IDC_VIDEO_PLAYER = 1130;

const DialogTemplate& VideoViewTemplate();
