// The logger object's answer machine on any bytes, in any chunks, with the command timer ticking
// in between: it must never crash, never show a modal box from inside its handlers, always end up
// in a known state, and never wait for more bytes than its ring can hold.
//
// The first byte chooses the command under way, the second whether a QK is known first; then
// each chunk is one byte of length (1 to 64) followed by that many received bytes; a length byte
// with its top bit set also lets the command timer tick once.

#include <cstdint>
#include <cstdlib>
#include <memory>

#include "logger/dorvik.h"
#include "logger/serial_port.h"
#include "logger/settings.h"
#include "platform/msg/message_loop.h"
#include "platform/msg/wnd.h"
#include "platform/ui/modal_host.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

// Any modal shown while the fuzzer drives the logger object is shown from inside its handlers:
// the posted ones would run only once the loop runs its tasks, which it never does here.
class NoModals : public platform::ModalHost {
public:
    int RunMessageBox(CWnd*, const CString&, const CString&, UINT) override { std::abort(); }
    void RunDialog(CDialog&) override { std::abort(); }
};

class OpenLink : public CSerialPort {
public:
    BOOL IsOpen() const override { return TRUE; }
    DWORD Send(const void*, WORD length) override { return length; }
};

// Searches no port: the fuzzer's bytes are the only logger.
class UnconnectedDorvik : public CDorvik {
public:
    using CDorvik::CDorvik;
    BOOL Connect() override { return TRUE; }
};

void StartCommand(CDorvik& d, BYTE choice) {
    switch (choice % 14) {
        case 0:
            d.QueueStatusQuery();
            break;
        case 1:
            d.QueueReadSensorInfo(BYTE(choice & 1 ? 255 : 1), BYTE(choice % 7));
            break;
        case 2:
            d.QueueReadDataHeader(BYTE(choice % 4));
            break;
        case 3:
            d.QueueQKSetDate();
            break;
        case 4:
            d.QueueQKSetTime();
            break;
        case 5:
            d.QueueQKReadData(0, BYTE(choice % 7), 0, WORD(choice * 17));
            break;
        case 6:
            d.QueueWriteLoggingRegime(51, choice, 100, choice & 1);
            break;
        case 7:
            d.QueueReadMemory();
            break;
        case 8:
            d.QueueQKClearMemory();
            break;
        case 9:
            d.QueueQKStop();
            break;
        case 10:
            d.QueueQKTiming();
            break;
        case 11:
            d.QueueQKTimingDownload(1, 0, 20);
            break;
        case 12:
            d.SendQKSnapshot();
            return;
        default:
            d.SendQKStatusRequest();
            return;
    }
    d.StartCommandTimer(50);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static NoModals noModals;
    platform::ModalHost::Install(&noModals);
    platform::VirtualClock clock;
    platform::MessageLoop::Install(&clock);
    {
        static CSettings settings("/nonexistent/varnel-fuzz/Settings.vns");
        CWnd host;
        host.CreateMessageTarget();
        UnconnectedDorvik dorvik(&settings, std::make_unique<OpenLink>());
        dorvik.Create(&host);

        size_t at = 0;
        if (size >= 2) {
            if (data[1] & 1) {
                dorvik.SendQKStatusRequest();
                const BYTE identification[] = {'S', 'V', 0x80, 0, BYTE('S' + 'V' + 0x80)};
                dorvik.AcceptReceivedBytes(identification, sizeof identification);
                Check(dorvik.IsQKModel());
            }
            StartCommand(dorvik, data[0]);
            at = 2;
        }
        while (at < size) {
            const BYTE control = data[at++];
            const size_t length = std::min<size_t>((control & 0x3F) + 1, size - at);
            dorvik.AcceptReceivedBytes(data + at, DWORD(length));
            at += length;
            if (control & 0x80) dorvik.OnCommandTimer();
            Check(dorvik.GetAnswerState() >= WAIT_FOR_ANSWER &&
                  dorvik.GetAnswerState() <= WAIT_FOR_TIMING_DOWNLOAD_DATA);
            Check(dorvik.GetBufferedCount() < CReceiveRing::kCapacity);
            Check(dorvik.GetExpectedQKLength() <= CReceiveRing::kCapacity);
        }
        host.DestroyWindow();
    }
    platform::MessageLoop::Install(nullptr);
    return 0;
}
