#pragma once
// CDateTimeCtrl: the date and time picker ("SysDateTimePick32") on a Qt date-time edit. A date
// picker drops a calendar; DTS_UPDOWN and the time format step with arrows instead. A change the
// user makes is DTN_DATETIMECHANGE to the parent (WM_NOTIFY with an NMDATETIMECHANGE); the
// program's own SetTime sends nothing.

#include "platform/base/systemtime.h"
#include "platform/msg/messages.h"
#include "platform/msg/wnd.h"

class QDateTimeEdit;

constexpr const char* DATETIMEPICK_CLASS = "SysDateTimePick32";
constexpr DWORD DTS_UPDOWN = 0x0001;
constexpr DWORD DTS_SHOWNONE = 0x0002;
constexpr DWORD DTS_SHORTDATEFORMAT = 0x0000;
constexpr DWORD DTS_LONGDATEFORMAT = 0x0004;
constexpr DWORD DTS_TIMEFORMAT = 0x0009;
constexpr DWORD DTS_FORMATMASK = 0x000C | DTS_UPDOWN;
constexpr DWORD GDT_ERROR = static_cast<DWORD>(-1);
constexpr DWORD GDT_VALID = 0;
constexpr DWORD GDT_NONE = 1;
constexpr int DTN_DATETIMECHANGE = -759;

struct NMDATETIMECHANGE {
    NMHDR nmhdr;
    DWORD dwFlags = GDT_VALID;
    SYSTEMTIME st{};
};

class CDateTimeCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    // FALSE for a null or impossible time (month 13, 30 February...), which leaves the shown one.
    BOOL SetTime(const SYSTEMTIME* time);
    // GDT_VALID with the time shown, the day of the week filled in; GDT_ERROR without a control.
    DWORD GetTime(SYSTEMTIME* time) const;
    // The display in the picture letters of the system's pickers: d, dd, ddd, dddd, M..MMMM, y,
    // yy, yyyy, h, hh (12-hour), H, HH, m, mm, s, ss, t, tt, and 'quoted' text. Null returns to the
    // style's own format.
    BOOL SetFormat(LPCTSTR format);

protected:
    QWidget* MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) override;

private:
    QDateTimeEdit* Edit() const;
};
