// Finding a port on which a logger answers and telling which model it is.
//
// Not built yet: the port search and the detection ticks come with the basic model. Until then
// the link is opened by whoever needs it (the tests open it themselves) and nothing is probed.

#include "logger/dorvik.h"

BOOL CDorvik::Connect() {
    return TRUE;
}

BOOL CDorvik::IsComPortAvailable(int /*port*/) {
    return FALSE;
}

void CDorvik::ConnectToNextPort() {}

void CDorvik::ConnectToComm(short /*port*/) {}

void CDorvik::DetectLogger() {}
