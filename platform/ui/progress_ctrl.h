#pragma once
// CProgressCtrl: the progress bar control ("msctls_progress32") on a Qt progress bar.

#include "platform/msg/wnd.h"

class QProgressBar;

constexpr const char* PROGRESS_CLASS = "msctls_progress32";
constexpr DWORD PBS_SMOOTH = 0x01;
constexpr DWORD PBS_VERTICAL = 0x04;

class CProgressCtrl : public CWnd {
public:
    BOOL Create(DWORD style, const RECT& rect, CWnd* parent, UINT id);
    // The range starts as 0 to 100, the position at 0; positions outside it are brought into it.
    void SetRange(short lower, short upper) { SetRange32(lower, upper); }
    void SetRange32(int lower, int upper);
    void GetRange(int& lower, int& upper) const;
    // Returns the position before.
    int SetPos(int pos);
    int GetPos() const;

protected:
    QWidget* MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) override;

private:
    QProgressBar* Bar() const;
};
