#include "platform/ui/date_time_ctrl.h"

#include <QDateTimeEdit>
#include <QPointer>

namespace {

QString DefaultFormat(DWORD style) {
    if ((style & DTS_TIMEFORMAT) == DTS_TIMEFORMAT) return "HH:mm:ss";
    if (style & DTS_LONGDATEFORMAT) return "dddd, d MMMM yyyy";
    return "yyyy-MM-dd";
}

// The system pickers' letters are Qt's, except the AM/PM marks.
QString QtFormat(const QString& format) {
    QString out;
    bool quoted = false;
    for (qsizetype i = 0; i < format.size(); ++i) {
        const QChar c = format[i];
        if (c == '\'') quoted = !quoted;
        if (!quoted && c == 't') {
            const bool two = i + 1 < format.size() && format[i + 1] == 't';
            out += two ? "AP" : "A";
            if (two) ++i;
            continue;
        }
        out += c;
    }
    return out;
}

// A format without date parts pins the date to the one shown: the picker keeps a whole date and
// time whatever it shows, so the range is put back after each format.
void WholeRange(QDateTimeEdit* edit) {
    edit->setDateTimeRange(QDateTime(QDate(1601, 1, 1), QTime(0, 0)),
                           QDateTime(QDate(9999, 12, 31), QTime(23, 59, 59, 999)));
}

QDateTime FromSystemTime(const SYSTEMTIME& t) {
    const QDate date(t.wYear, t.wMonth, t.wDay);
    const QTime time(t.wHour, t.wMinute, t.wSecond, t.wMilliseconds);
    if (!date.isValid() || !time.isValid()) return {};
    return QDateTime(date, time);
}

SYSTEMTIME ToSystemTime(const QDateTime& dt) {
    const QDate d = dt.date();
    const QTime t = dt.time();
    SYSTEMTIME s{};
    s.wYear = static_cast<WORD>(d.year());
    s.wMonth = static_cast<WORD>(d.month());
    s.wDayOfWeek = static_cast<WORD>(d.dayOfWeek() % 7);  // Qt counts Sunday as 7
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
    edit->setDisplayFormat(DefaultFormat(cs.style));
    WholeRange(edit);
    const bool arrows = (cs.style & DTS_UPDOWN) || (cs.style & DTS_TIMEFORMAT) == DTS_TIMEFORMAT;
    edit->setCalendarPopup(!arrows);
    edit->setProperty("varnelStyle", static_cast<uint>(cs.style));
    // Only a change the user makes reaches the parent: SetTime blocks the signal.
    QPointer<QDateTimeEdit> guard(edit);
    QObject::connect(
        edit, &QDateTimeEdit::dateTimeChanged, edit, [this, guard](const QDateTime& dt) {
            if (!guard) return;
            CWnd* parent = GetParent();
            if (!parent) return;
            NMDATETIMECHANGE change;
            change.nmhdr.hwndFrom = GetSafeHwnd();
            change.nmhdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID());
            change.nmhdr.code = DTN_DATETIMECHANGE;
            change.st = ToSystemTime(dt);
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
    const QDateTime dt = FromSystemTime(*time);
    if (!dt.isValid() || dt < edit->minimumDateTime() || dt > edit->maximumDateTime()) return FALSE;
    const QSignalBlocker quiet(edit);
    edit->setDateTime(dt);
    return TRUE;
}

DWORD CDateTimeCtrl::GetTime(SYSTEMTIME* time) const {
    QDateTimeEdit* edit = Edit();
    if (!edit || !time) return GDT_ERROR;
    *time = ToSystemTime(edit->dateTime());
    return GDT_VALID;
}

BOOL CDateTimeCtrl::SetFormat(LPCTSTR format) {
    QDateTimeEdit* edit = Edit();
    if (!edit) return FALSE;
    // Changing the format must keep the value, the parts it no longer shows too.
    const QDateTime keep = edit->dateTime();
    const QSignalBlocker quiet(edit);
    edit->setDisplayFormat(format ? QtFormat(QString::fromUtf8(format))
                                  : DefaultFormat(edit->property("varnelStyle").toUInt()));
    WholeRange(edit);
    edit->setDateTime(keep);
    return TRUE;
}
