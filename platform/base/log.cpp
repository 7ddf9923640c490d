#include "platform/base/log.h"

Q_LOGGING_CATEGORY(lcPlatform, "varnel.platform", QtInfoMsg)
Q_LOGGING_CATEGORY(lcBluetooth, "varnel.bluetooth", QtInfoMsg)
Q_LOGGING_CATEGORY(lcMedia, "varnel.media", QtInfoMsg)
Q_LOGGING_CATEGORY(lcBrowser, "varnel.browser", QtInfoMsg)
Q_LOGGING_CATEGORY(lcLogger, "varnel.logger", QtInfoMsg)
Q_LOGGING_CATEGORY(lcSettings, "varnel.settings", QtInfoMsg)
Q_LOGGING_CATEGORY(lcDoc, "varnel.doc", QtInfoMsg)
Q_LOGGING_CATEGORY(lcExperiment, "varnel.experiment", QtInfoMsg)
Q_LOGGING_CATEGORY(lcGraph, "varnel.graph", QtInfoMsg)
Q_LOGGING_CATEGORY(lcTable, "varnel.table", QtInfoMsg)
Q_LOGGING_CATEGORY(lcVideo, "varnel.video", QtInfoMsg)
Q_LOGGING_CATEGORY(lcControls, "varnel.controls", QtInfoMsg)
