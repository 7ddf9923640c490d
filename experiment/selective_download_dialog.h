#pragma once
// Logger > Download: the choice of one of the four data sets stored in a QK logger, newest first,
// from the headers the logger object read before.

#include "platform/ui/dialog.h"

class CDorvik;

class CSelectiveDownloadDialog : public CDialog {
public:
    static constexpr int kRows = 4;

    explicit CSelectiveDownloadDialog(CWnd* parent = nullptr);
    void SetLogger(const CDorvik* logger) { m_logger = logger; }
    // The stored set chosen, 0..3.
    BYTE GetSelectedSet() const { return m_selectedSet; }
    // The sets in date order, newest first.
    const BYTE* GetDateOrder() const { return m_dateOrder; }

protected:
    BOOL OnInitDialog() override;
    void OnRowChosen(UINT id);
    void OnCellClicked(UINT id);
    DECLARE_MESSAGE_MAP()

private:
    void SortByDate();
    void FillRows();
    void SelectRow(int row);

    const CDorvik* m_logger = nullptr;
    BYTE m_selectedSet = 0;
    BYTE m_rowSet[kRows] = {};
    BYTE m_dateOrder[kRows] = {0, 1, 2, 3};
};
