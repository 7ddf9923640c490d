#pragma once
// The column title dialog of the table: a data set's title, and for a free data set its unit.

#include "platform/ui/dialog.h"

class CInsertNewColumn : public CDialog {
public:
    static constexpr int kTitleLength = 20;
    static constexpr int kUnitLength = 4;

    explicit CInsertNewColumn(CWnd* parent = nullptr);

    // 0 insert a column, 1 title only, 2 title and unit.
    void SetMode(WORD mode) { m_mode = mode; }
    WORD GetMode() const { return m_mode; }
    void SetPreset(const CString& title, const CString& unit) {
        m_presetTitle = title;
        m_presetUnit = unit;
    }
    // After OK.
    const CString& GetTitle() const { return m_title; }
    const CString& GetUnit() const { return m_unit; }

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;

private:
    WORD m_mode = 0;
    CString m_presetTitle;
    CString m_presetUnit;
    CString m_title;
    CString m_unit;
};
