// The basic model's commands and the answer states that take its records apart.
//
// Not built yet: its senders send nothing, and its records are taken whole and dropped so that
// the machine stays in step.

#include "logger/dorvik.h"

void CDorvik::SendRun() {}

void CDorvik::SendSetup() {}

void CDorvik::SendDownload() {}

void CDorvik::SendStop() {}

void CDorvik::SendSensorQuery() {}

void CDorvik::SendLivePoll() {}

namespace {

// Drops a record of `length` bytes once it is all there.
bool DropRecord(CDorvik& dorvik, short length) {
    if (!dorvik.SkipBytes(DWORD(length > 0 ? length : 1))) return false;
    dorvik.ResetAnswerMachine();
    return true;
}

}  // namespace

bool CDorvik::OnBasicStatus() {
    return DropRecord(*this, m_expectedBasicLength);
}

bool CDorvik::OnBasicRunRecord() {
    return DropRecord(*this, m_expectedBasicLength);
}

bool CDorvik::OnBasicFastRecord() {
    return DropRecord(*this, m_expectedBasicLength);
}

bool CDorvik::OnBasicLiveAnswer() {
    return DropRecord(*this, m_expectedBasicLength);
}
