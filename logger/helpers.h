#pragma once
// Program-wide helpers: the Bluetooth port flags, the message box call, number and time texts,
// the sampling-rate table, unit conversions, and the data and program folders.

#include <vector>

#include "logger/precise_time.h"
#include "platform/base/cstring.h"

class CDataTreeBrench;

// ---- ports and messages ----

// Sets flags[n] for every COM number n that the serial port list marks as a Bluetooth port (a
// value name with "btport" or "porte" and without "VCP", in any case); clears the others.
void EnumerateBluetoothComPorts(BYTE flags[256], const CString& sysRoot = "/sys");

// The program's message box. Button sets: 0 OK, 3 Yes/No/Cancel, 4 Yes/No, 6 Save/Delete/Cancel.
// Returns the pressed button: 1 OK, 2 Cancel, 3 Delete, 4 Save, 6 Yes, 7 No.
BYTE ShowMessage(const CString& text, UINT buttonSet);
// The same, handing back the box's show-again flag.
BYTE ShowMessageEx(const CString& text, UINT buttonSet, BOOL& showAgain);

// A save that failed, logged in the document's category as "Error (Class::Method): " and the
// reason, which for a file names the path and the system's error text.
void LogSaveError(const char* where, const CString& reason);

// ---- texts ----

// x with at most `decimals` decimals, trailing zeros dropped; tiny values in exponent form.
CString FormatValue(double x, int decimals, bool sign);
// x with as many decimals as it has leading zeros after the point (at most 5) plus `extraDecimals`;
// a whole number as an integer.
CString FormatNumber(double x, int extraDecimals);
// The time text of sample `index` for tables: t = index x interval x unitFactor. Modes 1 to 3: t
// as a number; 4: minute and second of the start's time of day plus t, through `format`; 5: that
// time of day as hh:mm:ss; 6: the start's date with that time, in the date style that `format`
// holds as a number; 7: t (the sample number at the samples' interval of 1) through `format`.
// `format` is never taken as a printf format: only its numeric conversions (%d, %05d, %.2f...) are
// filled, and anything else is copied as text.
CString FormatTimeValue(int index, const CPreciseDateTime& start, double interval,
                        double unitFactor, int mode, const CString& format);
// The slot of a basic logger's sensor bit: 1, 2, 8, 16, 32, 64, 128 give 0, 1, 3, 4, 5, 6, 7;
// anything else 2.
int BitMaskToIndex(int bit);
bool IsSingleChar(const CString& text, char ch);
// The graph control's axis format for time-display modes 4, 5 and 6 (minutes, hours, date and
// time), scaled from sample numbers to days and offset by the start time; "" for other modes.
CString GraphTimeFormat(int mode, WORD rateCode, const CPreciseDateTime& start);
// For each i: j = the integer part of first[i] (stopping at the first j outside `second`); the
// outputs get second[j], third[i] and j, sorted together by the first output. Returns the count.
int PairByIndex(const std::vector<double>& first, const std::vector<double>& second,
                const std::vector<double>& third, std::vector<double>& out1,
                std::vector<double>& out2, std::vector<double>& out3);

// ---- rates and units ----

// Time-unit codes of the rate table.
constexpr WORD kTimeUnitUnknown = 0;
constexpr WORD kTimeUnitMilliseconds = 2;
constexpr WORD kTimeUnitSeconds = 3;
constexpr WORD kTimeUnitHours = 5;
constexpr WORD kTimeUnitSamples = 7;

struct RateInfoStruct {
    double intervalSeconds = 0;  // the sampling interval
    double unitInterval = 0;     // the interval in the display time unit
    WORD timeUnit = kTimeUnitUnknown;
};

// The basic logger's single-bit codes 1 to 128, the QK model's characters "!" (3600 s) to "3"
// (0.02 s), 255 for 1 ms timing and 0 for no time base; other codes give zeros.
RateInfoStruct RateInfo(WORD rateCode);
// The factor from one time unit to milliseconds (2) or seconds (3); 0 otherwise.
double RateUnitFactor(int fromUnit, int toUnit);

bool IsTemperatureSensor(const CDataTreeBrench* dataSet);
bool IsPressureSensor(const CDataTreeBrench* dataSet);
// A value of a data set in the temperature or pressure unit chosen for showing it, and a value
// given in that unit back in the unit the data set holds (Celsius, kPa). Other series, and a null
// data set, keep their values.
double ToShownValue(const CDataTreeBrench* dataSet, double value, int temperatureUnit,
                    int pressureUnit);
double FromShownValue(const CDataTreeBrench* dataSet, double shown, int temperatureUnit,
                      int pressureUnit);

// Temperature units: 0 Celsius, 1 Fahrenheit, 2 Kelvin. Pressure units: 0 kPa, 1 psi, 2 mm Hg,
// 3 inches Hg, 4 atm, 5 mBar. The expression is the conversion as the graph shows it ("*1.8+32");
// an unknown unit leaves the value and both texts unchanged.
double ConvertTemperature(double celsius, int unit, CString& expression, CString& unitText);
double ConvertTemperatureValue(double celsius, int unit);
double ConvertTemperatureToCelsius(double value, int unit);
double ConvertPressure(double kPa, int unit, CString& expression, CString& unitText);
double ConvertPressureValue(double kPa, int unit);
double ConvertPressureToKPa(double value, int unit);

// ---- folders and registry ----

// The "Path" value under HKEY_LOCAL_MACHINE "SOFTWARE\Mercant Systems\Varnel".
void SetInstallPath(const CString& path);
// That value without one trailing separator; empty when it is missing.
CString GetInstallPath();
// The folder of "Settings.vns", "Varnel Data", "Workbook" and "Temp Data", with a trailing '/':
// the stored path, or the user's own application data folder when none is stored.
CString GetDataRoot();
// The folder of the running program, with a trailing '/'.
CString GetExeFolder();
// The launch file beside a worksheet: the file name's own suffix becomes "hdr" (basic logger,
// model 0) or "qdr" (QK); a name without one gets it added. Dots in folder names are left alone.
CString LaunchFilePath(const CString& worksheetPath, int model);
// The data files stay where they are when the data path changes.
void MoveDataFiles(const CString& oldRoot, const CString& newRoot);
