#pragma once
// The sensor type plugged into external input 1 or 2 of the basic logger, chosen from the
// settings' sensor-type table.

#include <vector>

#include "platform/ui/dialog.h"

struct SensorInfoStruct;

class CExternalSensorSelectionDialog : public CDialog {
public:
    static constexpr int kTypes = 20;

    explicit CExternalSensorSelectionDialog(CWnd* parent = nullptr);
    // `table` holds kTypes entries and is not owned; null shows an empty list.
    void SetSensorTable(const SensorInfoStruct* table, BYTE currentType);
    BYTE GetSelection() const { return m_type; }

    struct EntryStruct {
        CString name;
        BYTE type = 0;
    };
    const std::vector<EntryStruct>& GetEntries() const { return m_entries; }

protected:
    BOOL OnInitDialog() override;
    void OnCancel() override;
    void OnTypeChange();
    DECLARE_MESSAGE_MAP()

private:
    const SensorInfoStruct* m_table = nullptr;
    BYTE m_type = 0;
    BYTE m_givenType = 0;
    std::vector<EntryStruct> m_entries;
};
