#pragma once
// The private window messages by which the logger side reaches the document. The logger object
// sends them synchronously to its host window, the communication view; each returns 0.

#include "platform/msg/messages.h"

// wParam 0 after a basic logger's detection, 1 otherwise.
constexpr UINT UM_LOGGER_IDENTIFIED = 6001;
// wParam kNewExperimentTag, lParam the run kind: 1 live run, 2 stored data, 3 stored timing data,
// 4 live timing run. Any other wParam is ignored.
constexpr UINT UM_NEW_EXPERIMENT = 6003;
constexpr WPARAM kNewExperimentTag = 123456789;
// A run, a stop or a download ended.
constexpr UINT UM_RUN_ENDED = 6004;
// A basic status record came, or the last sensor description of a QK.
constexpr UINT UM_LOGGER_ANSWERED = 6009;
// The channel-enable mask changed.
constexpr UINT UM_SENSORS_CHANGED = 6014;
// A basic logger reported another rate code.
constexpr UINT UM_RATE_CHANGED = 6015;
// The status box: wParam 1 opens it, 2 shows the logger object's progress text, 0 closes it.
constexpr UINT UM_STATUS_MESSAGE = 6016;
// A download was given up: the document shows the run as it was.
constexpr UINT UM_REFRESH_RUN = 6017;
// After a one-millisecond basic run: the document downloads the stored run.
constexpr UINT UM_LOGGER_COMMAND = 6018;
// New live values for the meters.
constexpr UINT UM_UPDATE_METERS = 6019;
// Download progress: wParam 1 lParam = total, 2 lParam = position, 0 close.
constexpr UINT UM_FETCH_PROGRESS = 6020;
// The four stored-set headers were read: the user chooses a set.
constexpr UINT UM_SELECT_DOWNLOAD = 6021;
