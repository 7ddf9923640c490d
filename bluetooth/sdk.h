#pragma once
// Start and stop of the Bluetooth stack interface, counted: every port and channel object starts it
// when made and stops it when destroyed, and the interface is up while the count is above zero.

#include "platform/base/types.h"

// Adds one to the count and returns the new count.
DWORD sdk_init();
// Takes one from the count; a stop without a start changes nothing.
void sdk_close();

// The number of starts not yet matched by a stop.
DWORD BtSdkStartCount();
