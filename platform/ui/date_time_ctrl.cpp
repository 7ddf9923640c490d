#include "platform/ui/date_time_ctrl.h"

#include <QDateTimeEdit>
#include <QPointer>

namespace {

QDateTime ToQt(const SYSTEMTIME& t) {
    const QDate date(t.wYear, t.wMonth, t.wDay);
    const QTime time(t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    return date.isValid() && time.isValid() ? QDateTime(date, time) : QDateTime();
}

SYSTEMTIME FromQt(const QDateTime& dt) {
    SYSTEMTIME s{};
    const QDate d = dt.date();
    const QTime t = dt.time();
    s.wYear = static_cast<WORD>(d.year());
    s.wMonth = static_cast<WORD>(d.month());
    s.wDayOfWeek = static_cast<WORD>(d.dayOfWeek() % 7);  // Sunday is 7 to Qt, 0 to Windows
    s.wDay = static_cast<WORD>(d.day());
    s.wHour = static_cast<WORD>(t.hour());
    s.wMinute = static_cast<WORD>(t.minute());
    s.wSecond = static_cast<WORD>(t.second());
    s.wMilliseconds = static_cast<WORD>(t.msec());
    return s;
}

}  // namespace

BOOL CDateTimeCtrl::Create(DWORD style, const RECT& rect, CWnd* parent, UINT id) {
    return CWnd::Create(DATETIMEPICK_CLASS, "", style, rect, parent, id);
}

QWidget* CDateTimeCtrl::MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) {
    auto* edit = new QDateTimeEdit(QDateTime(QDate(2000, 1, 1), QTime(0, 0)), parentWidget);
    edit->setDateTimeRange(QDateTime(QDate(1601, 1, 1), QTime(0, 0)),
                           QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59, 999)));
    const bool time = (cs.style & DTS_TIMEFORMAT) == DTS_TIMEFORMAT;
    edit->setDisplayFormat(time ? "HH:mm:ss" : "yyyy-MM-dd");
    edit->setCalendarPopup(!time && !(cs.style & DTS_UPDOWN));
    QPointer<QDateTimeEdit> alive(edit);
    QObject::connect(
        edit, &QDateTimeEdit::dateTimeChanged, edit, [this, alive](const QDateTime& dt) {
            CWnd* parent = alive ? GetParent() : nullptr;
            if (!parent) return;
            NMDATETIMECHANGE change;
            change.nmhdr.hwndFrom = GetSafeHwnd();
            change.nmhdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
            change.nmhdr.code = DTN_DATETIMECHANGE;
            change.st = FromQt(dt);
            parent->SendMessage(WM_NOTIFY, change.nmhdr.idFrom, reinterpret_cast<LPARAM>(&change));
        });
    return edit;
}

QDateTimeEdit* CDateTimeCtrl::Edit() const {
    return qobject_cast<QDateTimeEdit*>(GetWidget());
}

BOOL CDateTimeCtrl::SetTime(const SYSTEMTIME* time) {
    QDateTimeEdit* edit = Edit();
    if (!edit || !time) return FALSE;
    const QDateTime dt = ToQt(*time);
    if (!dt.isValid() || dt < edit->minimumDateTime() || dt > edit->maximumDateTime()) return FALSE;
    const QSignalBlocker quiet(edit);
    edit->setDateTime(dt);
    return TRUE;
}

DWORD CDateTimeCtrl::GetTime(SYSTEMTIME* time) const {
    QDateTimeEdit* edit = Edit();
    if (!edit || !time) return GDT_ERROR;
    *time = FromQt(edit->dateTime());
    return GDT_VALID;
}
