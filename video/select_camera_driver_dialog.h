#pragma once
// The choice of camera, by the friendly names the device enumeration lists. Ends with 1 (OK),
// 2 (Cancel), 8 (no device listed) or 99 (OK with one device: the default input is used).

#include <vector>

#include "platform/ui/dialog.h"

class CSelectCameraDriverDialog : public CDialog {
public:
    static constexpr const char* kNoHardwareText =
        "Sorry, you have no video capture hardware.\r\n\r\nVideo capture will not function "
        "properly.";

    CSelectCameraDriverDialog(bool listVideoInputs, bool secondMode, CWnd* parent = nullptr);
    CString GetSelectedName() const;

protected:
    BOOL OnInitDialog() override;
    void OnOK() override;
    void OnCancel() override;

private:
    std::vector<CString> m_deviceNames;
    BYTE m_selectedIndex = 0;
    [[maybe_unused]] bool m_listVideoInputs;  // always true here: only video inputs are listed
    [[maybe_unused]] bool m_secondMode;
};
