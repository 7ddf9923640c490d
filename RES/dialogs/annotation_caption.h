#pragma once
// Dialog 289: the caption of a graph annotation.

#include "platform/ui/dialog_template.h"

constexpr UINT IDD_ANNOTATION_CAPTION = 289;
constexpr UINT IDC_ANNOTATION_CAPTION_EDIT = 1088;

const DialogTemplate& AnnotationCaptionTemplate();
