#pragma once
// CDateTimeCtrl: the date and time picker ("SysDateTimePick32") on a Qt date-time edit. A change
// the user makes reaches the parent as DTN_DATETIMECHANGE (WM_NOTIFY with an NMDATETIMECHANGE);
// SetTime sends nothing.

#include "platform/base/systemtime.h"
#include "platform/win/messages.h"
#include "platform/win/wnd.h"

class QDateTimeEdit;

constexpr const char* DATETIMEPICK_CLASS = "SysDateTimePick32";
constexpr DWORD DTS_UPDOWN = 0x0001;
constexpr DWORD DTS_SHORTDATEFORMAT = 0x0000;
constexpr DWORD DTS_TIMEFORMAT = 0x0009;
constexpr DWORD GDT_ERROR = static_cast<DWORD>(-1);
constexpr DWORD GDT_VALID = 0;
constexpr int DTN_DATETIMECHANGE = -759;

struct NMDATETIMECHANGE {
    NMHDR nmhdr;
    DWORD dwFlags = GDT_VALID;
    SYSTEMTIME st{};
};

class CDateTimeCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    // FALSE for a null or impossible time, which leaves the shown one.
    BOOL SetTime(const SYSTEMTIME* time);
    // GDT_VALID with the time shown; GDT_ERROR without a control.
    DWORD GetTime(SYSTEMTIME* time) const;

protected:
    QWidget* MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) override;

private:
    QDateTimeEdit* Edit() const;
};
