#pragma once
// CDorvik: the program's one logger object. It owns the serial link, the received bytes, the
// detected model, the channel descriptions, the sampling regime, the run arrays and a queue of
// logger commands that timer 147 sends one at a time until each is answered.
//
// Everything runs on the GUI thread, driven by timers it starts on its host window (the
// communication view, which routes them back here) and by direct calls from the document. It
// reports only by window messages (logger/logger_messages.h) sent synchronously to the host.
//
// No modal box is ever shown from inside one of its timer handlers: a handler runs with its timer
// still firing, and a nested loop would run the answer machine and the command queue again
// underneath it. Messages for the user are posted to the message loop and shown once the handler
// has returned.
//
// Run arrays. BeginRun makes an X (sample number) and a Y (value) array for each channel of the
// run; the logger object owns them until the document takes them (TakeRunX/TakeRunY) into its
// data sets, and appends through weak references while the run goes on: a data set deleted
// during the run takes its arrays with it, and the run's later samples for it are dropped.

#include <array>
#include <deque>
#include <memory>
#include <vector>

#include "logger/calibration.h"
#include "logger/data_tree.h"
#include "logger/helpers.h"
#include "logger/precise_time.h"
#include "logger/qk_protocol.h"
#include "logger/receive_ring.h"
#include "platform/base/cstring.h"
#include "platform/base/systemtime.h"

class CSerialPort;
class CSettings;
class CWnd;

// One channel of the QK model, live or of a stored set.
struct ChannelInfoStruct {
    CString name;      // display name
    CString kindName;  // the sensor's own name
    CString unit;
    double minimum = 0;
    double maximum = 0;
    double rawMinimum = 0;
    double rawMaximum = 0;
    double gain = 0;
    double offset = 0;
    BYTE enabled = 0;
    BYTE read = 0;  // a stored channel whose data has arrived
    BYTE channelIndex = 0;
    BYTE sensorId = 255;  // 255: unknown
    BYTE fahrenheit = 0;  // the sensor reports degrees Fahrenheit
    BYTE absent = 0;      // described as "No Sensor", or with limits that convert nothing
};

// ---- decoding: what the document is told of a run's channels

// One channel of a run as the document makes a data set of it. The arrays stay the logger
// object's until the document takes them (TakeRunX/TakeRunY with the same index).
struct ChannelDescriptionStruct {
    CDataArray* x = nullptr;
    CDataArray* y = nullptr;
    CString name;
    CString kindName;
    CString unit;
    BYTE channel = 0;  // the logger's channel number: the data set's sensor index
    BYTE sensorId = 255;
    double minimum = 0;
    double maximum = 0;
};

// One present channel, for the lists of the set-up dialogs.
struct SensorListItemStruct {
    BYTE index = 0;
    CString name;
    CString unit;
    BYTE flag = 0;
};

// The header of one of the four data sets in the QK's memory.
struct DataSetHeaderStruct {
    CPreciseDateTime startTime;
    BYTE mode = 0;  // 3: absent, the header could not be read
    double periodSeconds = 0;
    BYTE rateCode = 0;
    BYTE mask = 0;
    BYTE channelCount = 0;  // channels to read
    DWORD sampleCount = 0;
    BYTE readOrder[7] = {};  // channel indexes in the order of their data requests
    BYTE kind = 0;           // 5: a timing data set
};

// One entry of the command queue. Fields that a code does not use are left as they happen to be.
struct CommandParametersStruct {
    BYTE code = 0;
    BYTE mask = 0;
    WORD rateCode = 0;
    WORD runLength = 0;
    BYTE setIndex = 0;  // 255: the live channels
    BYTE channel = 0;
    WORD firstSample = 0;
    WORD lastSample = 0;
    BYTE runFlag = 0;  // 1: the regime starts a run; 0: set-up only
};

// Queue codes, and the command ids the QK senders set.
enum LoggerCommand : BYTE {
    COMMAND_STATUS_QUERY = 0,
    COMMAND_RUN = 1,
    COMMAND_SETUP = 3,
    COMMAND_DOWNLOAD = 4,
    COMMAND_STOP = 5,
    COMMAND_SENSOR_QUERY = 6,
    QK_COMMAND_STATUS_REQUEST = 10,
    QK_COMMAND_SNAPSHOT = 11,
    QK_COMMAND_READ_SENSOR_INFO = 12,
    QK_COMMAND_READ_DATA_HEADER = 13,
    QK_COMMAND_READ_DATE_TIME = 14,
    QK_COMMAND_SET_DATE = 15,
    QK_COMMAND_SET_TIME = 16,
    QK_COMMAND_READ_DATA = 17,
    QK_COMMAND_PRE_WRITE_LOGGING_REGIME = 18,
    QK_COMMAND_WRITE_LOGGING_REGIME = 19,
    QK_COMMAND_READ_MEMORY = 20,
    QK_COMMAND_CLEAR_MEMORY = 22,
    QK_COMMAND_STOP = 23,
    QK_COMMAND_TIMING = 24,
    QK_COMMAND_TIMING_DOWNLOAD = 25,
    COMMAND_STOPPED = 99,  // a stop whose command timer was stopped
};

// The states of the answer machine: 2 to 7 take the basic model's records, 8 to 15 the QK's.
enum AnswerState : WORD {
    WAIT_FOR_ANSWER = 1,
    BASIC_PREFIX = 2,
    BASIC_STATUS = 3,
    BASIC_DOWNLOAD = 4,
    BASIC_RUN_RECORD = 5,
    BASIC_FAST_RECORD = 6,
    BASIC_LIVE_ANSWER = 7,
    WAIT_FOR_QK_ANSWER = 8,
    WAIT_FOR_QK_ANSWER_LENGTH = 9,
    QK_STRING_TYPE_SENSOR_CHANGE = 10,
    QK_RUN_RECORD = 11,
    QK_TIMING_RECORD = 12,
    QK_TIMING_STREAM = 13,
    WAIT_FOR_START_TIMING_DOWNLOAD_DATA = 14,
    WAIT_FOR_TIMING_DOWNLOAD_DATA = 15,
};

class CDorvik {
public:
    // Timers, all on the host window.
    static constexpr UINT_PTR kCommandTimer = 147;
    static constexpr UINT_PTR kLivePollTimer = 1999;  // the document's
    static constexpr UINT_PTR kDownloadTimer = 2002;
    static constexpr UINT_PTR kDetectionTimer = 2003;
    static constexpr UINT_PTR kDocumentCommandTimer = 4857;  // the document's
    static constexpr UINT_PTR kReceiveTimer = 6024;
    static constexpr UINT kReceivePeriodMs = 10;

    static constexpr int kChannels = 7;    // of the QK model
    static constexpr int kRunPairs = 8;    // run arrays: one pair per channel of a run
    static constexpr int kStoredSets = 4;  // in the QK's memory
    static constexpr BYTE kLiveChannels = 255;
    static constexpr BYTE kCommandTryLimit = 10;  // ticks of timer 147 before a command is given up
    // How long the logger may take to answer the regime frame before its silence counts as yes.
    static constexpr ULONGLONG kRegimeReplyWaitMs = 200;
    static constexpr DWORD kWakeBlockSize = 100;

    // Run kinds.
    static constexpr BYTE kLiveRun = 1;
    static constexpr BYTE kStoredRun = 2;
    static constexpr BYTE kStoredTimingRun = 3;
    static constexpr BYTE kLiveTimingRun = 4;

    // Texts of ours: without them these failures would pass in silence.
    static constexpr const char* kRegimeRefusedText =
        "The Logger did not accept the settings.\nPlease try again.";
    static constexpr const char* kLinkLostText =
        "The connection to the Logger was lost.\nMake sure that the Logger is connected and "
        "turned on.";

    // `settings` is not owned and must outlive the object. `port` stands in for the serial link
    // (tests); by default the object makes its own.
    explicit CDorvik(CSettings* settings, std::unique_ptr<CSerialPort> port = nullptr);
    virtual ~CDorvik();
    CDorvik(const CDorvik&) = delete;
    CDorvik& operator=(const CDorvik&) = delete;

    // Keeps the host window and initialises; the communication view's first update, and the
    // document's reconnect.
    void Create(CWnd* host);
    // Empties the ring, resets the answer machine and connects.
    void Initialize();

    // ---- the command queue: each appends one entry; the caller then starts the command timer
    void QueueStatusQuery();
    void QueueRun();
    // A run length the wire cannot carry is refused with a message: false, nothing queued.
    bool QueueSetup(BYTE mask, WORD rateCode, DWORD runLength);
    void QueueDownload();
    void QueueStop();
    void QueueSensorQuery();
    void QueueReadSensorInfo(BYTE setIndex, BYTE channel);
    // The plugged-in sensors' descriptions, in the parts that reach channel 6, whose answer
    // tells the document (UM_LOGGER_ANSWERED).
    void QueueReadLiveSensorInfo();
    void QueueReadDataHeader(BYTE setIndex);
    void QueueQKSetDate();
    void QueueQKSetTime();
    void QueueQKReadData(BYTE setIndex, BYTE channel, WORD firstSample, WORD lastSample);
    bool QueueWriteLoggingRegime(WORD rateCode, BYTE mask, DWORD runLength, BYTE runFlag);
    // Four header reads, sets 0 to 3.
    void QueueReadMemory();
    void QueueQKClearMemory();
    void QueueQKStop();
    void QueueQKTiming();
    void QueueQKTimingDownload(BYTE setIndex, WORD firstSample, WORD lastSample);

    // Sends the head at once and then every `periodMs` until the queue is empty. A start while
    // the timer runs changes nothing: the command under way keeps its tries and its answer.
    void StartCommandTimer(UINT periodMs);
    // Empties the queue and stops timer 147.
    void StopCommandTimer();
    // Timer 147.
    void OnCommandTimer();

    // ---- receiving
    // Starts timer 6024, once for the program's life.
    void StartReceiveTimer();
    // Timer 6024: takes from the link what fits in the ring, then runs the answer machine; also
    // notices a lost link.
    void OnOnCommCommPort();
    // Puts bytes in the ring as the receive timer does (as many as are free) and runs the
    // answer machine; returns the count taken.
    DWORD AcceptReceivedBytes(const BYTE* bytes, DWORD count);
    // Runs the answer machine over the ring unless it is already running.
    void SomethingInSerialBufferFunction();
    // State 1, both expected lengths 1.
    void ResetAnswerMachine();

    // ---- ring operations; each works only when enough bytes are buffered
    DWORD GetBufferedCount() const { return m_ring.Count(); }
    bool SkipBytes(DWORD count, DWORD* sum = nullptr);
    bool SumBytes(DWORD count, DWORD& sum) { return SkipBytes(count, &sum); }
    bool TakeBytes(DWORD count, std::vector<BYTE>& bytes, DWORD& sum);
    // Copies the buffered bytes, at most up to `total`, to `buffer` at `fill`; advances the fill
    // and returns their sum.
    DWORD CopyBytes(BYTE* buffer, DWORD& fill, DWORD total);
    const CReceiveRing& GetRing() const { return m_ring; }

    // ---- sending
    void SendToDorvik(const CString& text);
    void SendToDorvik(const BYTE* bytes, DWORD count);
    void SendToDorvik(const std::vector<BYTE>& bytes) {
        SendToDorvik(bytes.data(), DWORD(bytes.size()));
    }

    // Queue code 0: the "AA" frame once the QK is known, else the basic status request.
    void SendStatusQuery();
    // QK senders. All but the identification request do nothing while no logger is connected.
    void SendQKStatusRequest();
    void SendQKSnapshot();
    void SendQKReadSensorInfo();
    void SendQKReadDataHeader();
    void SendQKSetDate();
    void SendQKSetTime();
    void SendQKReadData();
    void SendQKPreWriteLoggingRegime();
    void SendQKWriteLoggingRegime();
    void SendQKClearMemory();
    void SendQKStop();
    void SendQKTiming();
    void SendQKTimingDownload();

    // ---- the run
    // New arrays for the first `channelCount` run pairs, none for the others; sample counter 0;
    // the rate of the run; UM_NEW_EXPERIMENT.
    void BeginRun(BYTE channelCount, BYTE runKind);
    CDataArray* GetRunX(int pair) const;
    CDataArray* GetRunY(int pair) const;
    // Hands the arrays over; the logger object keeps appending while they live.
    CDataArrayPtr TakeRunX(int pair);
    CDataArrayPtr TakeRunY(int pair);
    // Nothing is appended to the run's arrays any more; those not taken are let go.
    void ForgetRunArrays();

    // ---- for the document
    // For the QK model's stored runs (kinds 2 and 3) the chosen stored set's, else the regime's.
    WORD GetRateCode(BYTE runKind) const;
    BYTE GetChannelCount(BYTE runKind) const;
    const CPreciseDateTime& GetStartTime() const { return m_startTime; }
    const CString& GetProgressText() const { return m_progressText; }
    // The last text for the main window's status bar.
    const CString& GetStatusBarText() const { return m_statusBarText; }
    BYTE GetReportedRateCode() const { return m_reportedRateCode; }
    void SetReportedRateCode(BYTE code) { m_reportedRateCode = code; }
    bool IsQKModel() const { return m_qkModel != 0; }
    bool IsTimerVariant() const { return m_timerVariant != 0; }
    bool IsConnected() const { return m_connected != 0; }
    bool IsSensorReadUnderWay() const { return m_sensorReadUnderWay != 0; }
    bool IsSensorReadQueued() const { return m_sensorReadQueued != 0; }
    bool IsCommandQueueEmpty() const { return m_commandQueue.empty(); }
    size_t GetQueuedCommandCount() const { return m_commandQueue.size(); }
    const CommandParametersStruct& GetCurrentCommand() const { return m_currentCommand; }
    bool IsCommandAnswered() const { return m_answered != 0; }
    bool IsCommandFailed() const { return m_commandFailed != 0; }
    BYTE GetCommandTries() const { return m_commandTries; }
    bool IsCommandTimerOn() const { return m_commandTimerOn != 0; }
    bool IsReceiveTimerOn() const { return m_receiveTimerOn != 0; }
    bool IsWaitingForRegimeReply() const { return m_regimeReplyPending != 0; }
    WORD GetAnswerState() const { return m_answerState; }
    DWORD GetExpectedQKLength() const { return m_expectedQKLength; }
    BYTE GetLastQKStatus() const { return m_lastQKStatus; }
    short GetDetectionState() const { return m_detectionState; }
    BYTE GetMask() const { return m_mask; }
    WORD GetRegimeRateCode() const { return m_rateCode; }
    DWORD GetRunLength() const { return m_runLength; }
    DWORD GetSampleCounter() const { return m_sampleCounter; }
    const BYTE* GetChannelList() const { return m_channelList; }
    BYTE GetRegimeChannelCount() const { return m_channelCount; }
    const RateInfoStruct& GetRateInformation() const { return m_rateInfo; }
    bool HasChannel3() const { return m_hasChannel3 != 0; }
    bool HasChannel4() const { return m_hasChannel4 != 0; }
    const ChannelInfoStruct& GetLiveChannel(int channel) const { return m_liveChannels[channel]; }
    const ChannelInfoStruct& GetStoredChannel(int channel) const {
        return m_storedChannels[channel];
    }
    const DataSetHeaderStruct& GetDataSetHeader(int set) const { return m_dataSetHeaders[set]; }
    CSerialPort& GetSerialPort() { return *m_serialPort; }
    CSettings* GetSettings() const { return m_settings; }
    bool IsSetDownloadFinished() const { return m_setDownloadFinished != 0; }

    // ---- connection and model detection
    // Virtual so that tests can stand in for the ports and the search, or keep their own link.
    virtual BOOL Connect();
    virtual BOOL IsComPortAvailable(int port);
    virtual void ConnectToNextPort();
    void ConnectToComm(short port);
    // Timer 2003.
    void DetectLogger();
    // For the communication set-up dialog: the ports its next search tries, in order.
    void AppendCandidatePort(short port) { m_candidatePorts.push_back(port); }
    void ClearCandidatePorts() { m_candidatePorts.clear(); }
    const std::vector<short>& GetCandidatePorts() const { return m_candidatePorts; }
    void SetDetectionState(short state) { m_detectionState = state; }
    BYTE GetVersion() const { return m_version; }
    short GetPortNumber() const { return m_portNumber; }
    // The set-up dialog drops the connection and searches again, or works without a logger.
    void SetConnected(bool connected) { m_connected = connected ? 1 : 0; }
    void SetQKModel(bool qkModel) { m_qkModel = qkModel ? 1 : 0; }
    // The set-up's channel choice: whether a QK live channel (0..6) takes part.
    void SetLiveChannelEnabled(int channel, bool on) {
        if (channel >= 0 && channel < kChannels) m_liveChannels[channel].enabled = on ? 1 : 0;
    }
    // The set-up window's choice for the QK's next regime frame.
    void SetMask(BYTE mask) { m_mask = mask; }
    void SetRegimeRateCode(WORD code) { m_rateCode = code; }
    void SetRunLength(DWORD length) { m_runLength = length; }
    // A gate input of the timing run: its bit in the channel mask, and its live channel on.
    void EnableGateChannel(int channel) {
        if (channel < 0 || channel >= kChannels) return;
        m_mask = static_cast<BYTE>(m_mask | (1u << channel));
        m_liveChannels[channel].enabled = 1;
    }
    // The set-up dialog lets the logger go: a search under way stops, a run or download on the
    // link ends with one UM_RUN_ENDED, the link closes and no logger is known.
    void Disconnect();
    HWND GetHostWindow() const { return m_hostWindow; }

    // ---- the basic model's senders
    void SendRun();
    void SendSetup();
    void SendDownload();
    void SendStop();
    void SendSensorQuery();
    void SendLivePoll();

    // ---- the basic model's records (one raw byte per channel 0..7)
    // A run record: appends the channel list's values to the run arrays.
    void StoreBasicRunRecord(const BYTE* record);
    // A live record: the eight live values, then UM_UPDATE_METERS.
    void StoreLiveValues(const BYTE* record);
    // Basic channel `channel`'s raw byte as a value. A pulse sensor's heart rate takes the sample
    // counter for the sample number: convert a run's samples in order.
    double RawToValue(int channel, BYTE raw);

    // ---- decoding: records, snapshots, sensor descriptions and timing events into values
    // What the wire carries: a QK's run records number their samples in 10 bits (from 1), the
    // set-up frames carry 16.
    static constexpr DWORD kMaxQKLiveRunLength = 1023;
    static constexpr DWORD kMaxRunLength = 0xFFFF;
    // A text of ours; %u is the largest run length.
    static constexpr const char* kRunTooLongText =
        "The run is too long for the Logger.\nIt can record at most %u samples in a run.";

    // The settings slot of QK channel 0..6; -1 for any other.
    static int ChannelToSlot(int channel);
    static double RateCodeToSeconds(WORD rateCode);
    // The code whose interval is exactly `seconds`, else 0.
    static BYTE SecondsToRateCode(double seconds);
    // A stored set's period field, in seconds.
    static double DecodeQKPeriod(BYTE first, BYTE second);
    // The heart rate at `sample` of the current run from a 10-bit reading of external input
    // `input` (0 or 1): give the samples in order from 0.
    double HeartRateFromRaw(int input, double raw, DWORD sample);
    // The `index`-th channel of the run of `runKind` that BeginRun announced; false when there is
    // no such channel.
    bool GetChannelDescription(int index, BYTE runKind,
                               ChannelDescriptionStruct& description) const;
    // The name of a set of external input `input` (0 or 1, "Input A" or "B"); other inputs keep
    // `name`.
    static CString ExternalInputName(int input, const CString& name);
    // The present channels, at most `capacity` of them; returns the count.
    int GetSensorList(SensorListItemStruct* items, int capacity) const;
    // The latest live value of a settings slot (0..7).
    double GetLiveValue(int slot) const;
    // BeginRun made arrays that the records still fill; UM_RUN_ENDED ends that.
    bool IsRunActive() const { return m_runActive != 0; }
    const std::vector<double>& GetTimingTimes() const { return m_timingTimes; }
    const std::vector<double>& GetTimingInputA() const { return m_timingInputA; }
    const std::vector<double>& GetTimingInputB() const { return m_timingInputB; }

    // ---- downloads
    static constexpr const char* kDownloadFailedText = "Download Failed";
    // A text of ours: the stored set holds no samples, or none of its channels can be read.
    static constexpr const char* kDataSetEmptyText = "The data set is empty";
    static constexpr UINT kDownloadPeriodMs = 150;
    // A block or timing download that hears nothing for this long has failed.
    static constexpr ULONGLONG kDownloadSilenceMs = 2000;
    // What a data read's answer may take beyond its time on the wire, and the longest pause
    // within it, before the read goes out again.
    static constexpr ULONGLONG kSetDataAnswerMarginMs = 200;
    static constexpr DWORD kBasicBlockLength = 258;  // block number, 256 data bytes, checksum

    // Starts timer 2002 (once) and a fresh download: flags cleared, the silence counted from now.
    void StartDownloadTimer();
    // Timer 2002: ends a cancelled, failed or silent download.
    void OnDownloadTimer();
    // Gives a stored-set download up: "Download Failed" unless the user cancelled it.
    virtual void AbortSetDownload();
    // The byte the progress dialog's Cancel sets: the download stops at its next step.
    BYTE* GetDownloadCancelFlag() { return &m_downloadStop; }
    bool IsDownloadFailed() const { return m_downloadFailed != 0; }
    bool IsDownloadTimerOn() const { return m_downloadTimerOn != 0; }
    // Samples of the data read's answer under way handed on so far.
    DWORD GetSetDataTaken() const { return m_setDataTaken; }

    // ---- the basic model's protocol and the port search: texts, rates and what tests look at
    // What the user is told when no port answered, or none was chosen.
    static constexpr const char* kConnectFailedText =
        "Unable to connect to the Logger.\nMake sure that the Logger is:\n\t1) Connected\n\t2) "
        "Turned on\n\t3) Not running";
    static constexpr const char* kAllPortsBusyText = "All ports are busy.";
    static constexpr UINT kDetectionPeriodMs = 100;
    static constexpr DWORD kBasicBaudRate = 2400;
    static constexpr DWORD kQKBaudRate = 19200;
    static constexpr BYTE kBasicStatusLength = 12;
    static constexpr BYTE kBasicRecordLength = 8;
    // The logger states of a basic status record.
    static constexpr BYTE kBasicRunning = 0;
    static constexpr BYTE kBasicBlockFollows = 1;
    static constexpr BYTE kBasicIdle = 2;
    static constexpr BYTE kBasicAcknowledged = 5;
    // A status record a basic logger can send: a known state, version 1 to 4, a rate code it
    // knows (one bit, or 255) and a run of at least one sample.
    static bool IsValidBasicStatus(const BYTE* status);
    bool IsBasicFastMode() const { return m_basicFastMode != 0; }
    bool IsLivePollPending() const { return m_livePollPending != 0; }
    bool IsOneMillisecondRun() const { return m_oneMillisecondRun != 0; }
    bool IsDetectionTimerOn() const { return m_detectionTimerOn != 0; }
    BYTE GetDetectionTick() const { return m_detectionTick; }
    const BYTE* GetLastBasicStatus() const { return m_lastBasicStatus; }

protected:
    // ---- where the answer machine hands on what it took apart. Virtual so that tests can
    // watch what it hands on.
    // A run record: the 12 bytes after AA 01, checksum good.
    virtual void StoreQKSample(const BYTE* record);
    // A sensor description to "AJ": the body after the length field, without the checksum.
    virtual void DecodeSensorInfo(const BYTE* body, DWORD length, BYTE channel, BYTE setIndex);
    // A snapshot to "AS": the body from its "C" on, without the checksum.
    virtual void DecodeQKSnapshot(const BYTE* body, DWORD length);
    // A timing record: state, then a 32-bit big-endian count of 2-microsecond ticks.
    virtual void StoreTimingEvent(const BYTE* record);
    // A stored-set header: its 24 bytes.
    virtual void ParseDataHeader(BYTE setIndex, const BYTE* body, DWORD length);
    // The chosen stored set's header was read again: queue its data reads.
    virtual void PlanSetDownload(BYTE setIndex);
    // Part of the answer to the current data read, as it arrives: two bytes per sample, the
    // samples after the GetSetDataTaken() already handed on.
    virtual void StoreQKSetData(const BYTE* data, DWORD length);
    // The computer's local time now.
    virtual SYSTEMTIME LocalTimeNow() const;

    // ---- downloads, taken apart
    // One basic block: block number, 256 data bytes, checksum.
    void FetchData(const BYTE* block);
    // A data read's answer after its "S": the samples go into the run arrays as they arrive.
    bool OnQKSetDataAnswer();
    // The data read went out: when its answer is due, and nothing left of an earlier one.
    void NoteSetDataRequest();
    // The data read's answer may still come, or is still arriving.
    bool IsSetDataAnswerAwaited() const;
    // The answer's last byte came: its samples stay (good checksum) or go.
    void EndQKSetData(bool good);
    void DiscardPartialSetData();
    // The chosen set is a timing set: one timing read, watched by the download timer.
    void StartTimingSetDownload(BYTE setIndex);
    void ConvertTimingDownload(const BYTE* records, DWORD length);
    // Ends a download that built nothing; the caller has decided whether the user is told.
    void EndDownloadWithoutData(bool tellUser);
    void StopDownloadTimer();
    void EndEmptyDownload();
    void NoteDownloadBytes();
    // A stored set's sample, converted by the set's own description of its channel.
    double StoredValue(int channel, WORD raw, DWORD sample);
    bool IsStoredChannelAbsent(int channel) const;
    // The basic model's downloaded block into the run arrays.
    void ConvertBlock();

    // ---- states of the answer machine; each returns false when it needs more bytes (having
    // taken none)
    bool HandleAnswer();
    bool OnWaitForAnswer();
    bool OnBasicPrefix();
    bool OnBasicStatus();
    bool OnBasicDownload();
    bool OnBasicRunRecord();
    bool OnBasicFastRecord();
    bool OnBasicLiveAnswer();
    bool OnQKAnswer();
    bool OnQKAnswerLength();
    bool OnQKRecordType();
    bool OnQKRunRecord();
    bool OnQKTimingRecord();
    bool OnQKTimingStream();
    bool OnStartTimingDownload();
    bool OnTimingDownloadData();

    // A status token `offset` bytes past the read index: Token takes the offset and the token and
    // keeps the code as the last status; NoToken keeps 0 as the last status and takes nothing;
    // NeedMore changes nothing.
    qk::StatusMatch ReadQKStatus(DWORD offset, BYTE& code);
    void OnQKStatus(BYTE code);
    void OnQKData(const std::vector<BYTE>& bytes, DWORD checksumStart);
    void OnQKIdentification(BYTE variant);
    // Ends the live run on the port, if one was begun or asked for: its length, its end record
    // and an acknowledged stop may each come, and the run ends at the first of them only.
    void EndRunOnPort();
    // The regime frame was answered, or its time to answer ran out.
    void OnRegimeReply(BYTE code);
    void CheckRegimeReplyTime();

    // Writes one command frame: the current command id, the bytes its answer needs, and a fresh
    // start of the answer machine when it was inside an answer to the last command.
    void SendQKFrame(BYTE commandId, DWORD expectedLength, const qk::Frame& frame);
    // The data read asks for nothing: it is given up at once.
    void RefuseCurrentCommand();
    void SetChannelsFromMask(BYTE mask);
    void ShowFirstTryProgress(const CommandParametersStruct& command);

    void SetQKModelFlagsOfMainWindow();
    void ShowStatusBarText(const CString& text);
    LRESULT SendToHost(UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
    CWnd* Host() const;
    // The user is told once the current handler has returned.
    static void PostUserMessage(const CString& text);
    static void PostTimerFailure(bool errorIcon);
    // Tells the user once per run that the events do not fit the timing measurement.
    void ReportTimingMismatch();
    void OnLinkLost();
    // ---- decoding
    // A QK run record's raw value of channel 0..6 (channel 3: 8 bits, the others 10).
    static WORD QKRawValue(const BYTE* record, int channel);
    // A QK reading by its channel record: gain and offset, Fahrenheit.
    static double QKLinearValue(const ChannelInfoStruct& record, int channel, WORD raw);
    // A basic channel's reading; `pulses` are the detectors of the two external inputs.
    double BasicValue(int channel, BYTE raw, CHeartRateDetector* pulses, DWORD sample,
                      double secondsPerSample);
    void AppendToRun(int pair, double x, double y);
    // The measurement code of the timing settings: method x 10 + measurement.
    int TimingMeasurementCode() const;
    void AppendCommand(const CommandParametersStruct& command) {
        m_commandQueue.push_back(command);
    }

    // ---- fields
    std::unique_ptr<CSerialPort> m_serialPort;
    BYTE m_bluetoothPorts[256] = {};
    std::vector<double> m_timingTimes;
    std::vector<double> m_timingInputA;
    std::vector<double> m_timingInputB;
    DataSetHeaderStruct m_dataSetHeaders[kStoredSets];
    ChannelInfoStruct m_liveChannels[kChannels];
    ChannelInfoStruct m_storedChannels[kChannels];
    BYTE m_qkModel = 0;
    DWORD m_expectedQKLength = 1;
    BYTE m_lastQKStatus = 0;
    double m_liveValues[8] = {};
    BYTE m_livePollPending = 0;
    BYTE m_lastBasicStatus[12] = {};
    BYTE m_basicFastMode = 0;
    CSettings* m_settings = nullptr;
    BYTE m_reportedRateCode = 255;
    CString m_progressText;
    CommandParametersStruct m_currentCommand;
    std::deque<CommandParametersStruct> m_commandQueue;
    WORD m_rateCode = 41;
    DWORD m_runLength = 10;
    BYTE m_channelCount = 0;
    BYTE m_channelList[8] = {};
    BYTE m_mask = 127;
    CPreciseDateTime m_startTime{0, CPreciseDateTime::null};
    BYTE m_version = 1;
    BYTE m_hasChannel3 = 0;
    BYTE m_hasChannel4 = 0;
    BYTE m_connected = 0;
    short m_portNumber = 0;
    // Why the last IsComPortAvailable said no (ERROR_FILE_NOT_FOUND: no such port).
    DWORD m_portOpenError = 0;
    DWORD m_sampleCounter = 0;
    std::array<CDataArrayPtr, kRunPairs> m_ownedRunX;
    std::array<CDataArrayPtr, kRunPairs> m_ownedRunY;
    std::array<std::weak_ptr<CDataArray>, kRunPairs> m_runX;
    std::array<std::weak_ptr<CDataArray>, kRunPairs> m_runY;
    CReceiveRing m_ring;
    BYTE m_receiveTimerOn = 0;
    BYTE m_detectionTick = 0;
    BYTE m_downloadStop = 0;
    BYTE m_downloadFailed = 0;
    std::vector<BYTE> m_downloadBuffer;
    DWORD m_downloadFill = 0;
    BYTE m_busy = 0;
    short m_expectedBasicLength = 1;
    WORD m_answerState = WAIT_FOR_ANSWER;
    short m_detectionState = 0;
    BYTE m_setDownloadFinished = 1;
    HWND m_hostWindow = nullptr;
    RateInfoStruct m_rateInfo;
    std::vector<short> m_candidatePorts;
    BYTE m_detectionTimerOn = 0;
    BYTE m_downloadTimerOn = 0;
    BYTE m_commandTimerOn = 0;
    BYTE m_commandTries = 0;
    BYTE m_answered = 0;
    BYTE m_commandFailed = 0;
    BYTE m_oneMillisecondRun = 0;
    BYTE m_sensorReadQueued = 0;
    BYTE m_sensorReadUnderWay = 0;
    BYTE m_timerVariant = 0;
    // The QK wake-up block, sent before the first identification request at 19200 baud.
    std::vector<BYTE> m_wakeBlock = std::vector<BYTE>(kWakeBlockSize, 0);
    BYTE m_chosenSet = 0;  // the stored set being downloaded
    // What the answer to the command under way needs after its "S": the expected QK length is
    // set from it when the answer starts, so that records arriving before it do not undo it.
    DWORD m_commandAnswerLength = 1;
    // The length field of a sensor description (its checksum counts it); 0 when none was read.
    DWORD m_answerLengthField = 0;
    BYTE m_regimeReplyPending = 0;
    ULONGLONG m_regimeReplyDeadline = 0;
    BYTE m_linkLossHandled = 0;
    CString m_statusBarText;

    // ---- decoding
    BYTE m_runActive = 0;
    // A regime that starts a run went out: its first record begins the run, even when the
    // sample-0 record was lost.
    BYTE m_runRequested = 0;
    // A timing run was asked for and waits for its first gate event: a stop still ends it.
    BYTE m_timingRequested = 0;
    // The channels of the run's pairs, fixed at its start.
    BYTE m_runChannelCount = 0;
    BYTE m_runChannels[kRunPairs] = {};
    bool m_timingMismatchReported = false;  // once per run
    CHeartRateDetector m_heartRate[2];      // per external input, over a run's samples
    CHeartRateDetector m_liveHeartRate[2];  // over the basic model's live answers
    DWORD m_liveAnswerCount = 0;

    // ---- the basic model's protocol and the port search
    // A status record: takes the version, rate code, mask, channels, run length and start time.
    void ParseStatus(const BYTE* status);
    // The extra-channel flags from the version; the channel list and count from the mask.
    void UpdateChannelList();
    // The buffered bytes begin as the kept status record does (state at most 4, then n - 1 bytes
    // equal): the status that ends a stream, not a record.
    bool IsRepeatedStatus(int n) const;
    // A fast-mode record; false until its 8 bytes are buffered.
    bool TakeBasicRunRecord();
    // EB 92 F0, also while no logger is connected: the probe and wake-up of a port.
    void SendBasicStatusRequest();
    void StartDetectionTimer();
    void KillDetectionTimer();
    // Closes the link and forgets what was connected on it; a live run started on it ends.
    void LeavePort();
    // The search ended without a logger: the link closed, the user told once.
    void EndSearch(const CString& text);
    void SetBasicModelFlagsOfMainWindow();
    // A live run was begun on the open port and has not ended.
    BYTE m_runOnPort = 0;
    // A stop went out: what the logger still sends of its run starts and adds nothing until it
    // is idle.
    BYTE m_basicStopSent = 0;

    // ---- downloads
    DWORD m_downloadSize = 0;  // bytes the download buffer is to hold
    DWORD m_downloadSum = 0;   // the timing download's running checksum
    DWORD m_downloadPercent = 0;
    DWORD m_blockCount = 0;  // of the basic download
    DWORD m_blocksTaken = 0;
    ULONGLONG m_lastByteTime = 0;  // of the block or timing download
    DWORD m_downloadWriteSeen = 0;
    // The data read's answer under way.
    static constexpr int kSetDataNotBegun = -1;
    static constexpr int kSetDataIgnored = -2;
    BYTE m_setDataStarted = 0;  // its "S" and first byte came
    BYTE m_setDataDiscard = 0;  // the download was given up: the rest is only swallowed
    int m_setDataPosition = kSetDataNotBegun;  // its run pair
    DWORD m_setDataTaken = 0;
    DWORD m_setDataTotal = 0;
    DWORD m_setDataSum = 0;
    ULONGLONG m_setDataRequestTime = 0;
    ULONGLONG m_setDataLastByteTime = 0;
    ULONGLONG m_setDataWireMs = 0;
};
