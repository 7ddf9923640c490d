// Downloads of the QK's stored sets and of the basic model's stored run.
//
// Not built yet: the headers and data that arrive are dropped, and the download states give the
// stream back to the answer machine at once.

#include "logger/dorvik.h"

void CDorvik::StartDownloadTimer() {}

void CDorvik::OnDownloadTimer() {}

void CDorvik::AbortSetDownload() {}

void CDorvik::ParseDataHeader(BYTE /*setIndex*/, const BYTE* /*body*/, DWORD /*length*/) {}

void CDorvik::PlanSetDownload(BYTE /*setIndex*/) {}

void CDorvik::StoreQKSetData(const BYTE* /*data*/, DWORD /*length*/) {}

bool CDorvik::OnBasicDownload() {
    ResetAnswerMachine();
    return true;
}

bool CDorvik::OnStartTimingDownload() {
    ResetAnswerMachine();
    return true;
}

bool CDorvik::OnTimingDownloadData() {
    ResetAnswerMachine();
    return true;
}
