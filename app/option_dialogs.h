#pragma once
// The small settings dialogs of the File menu. Each edits a value its caller gives it and hands it
// back after OK; the caller stores and applies it.

#include "platform/ui/dialog.h"

// File > Export file settings: whether exported files ignore the regional separators.
class CCSVsettingDialog : public CDialog {
public:
    explicit CCSVsettingDialog(CWnd* parent = nullptr);
    void SetIgnoreRegional(BOOL flag) { m_ignoreRegional = flag ? TRUE : FALSE; }
    BOOL GetIgnoreRegional() const { return m_ignoreRegional; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnIgnoreRegional();
    DECLARE_MESSAGE_MAP()

private:
    BOOL m_ignoreRegional = FALSE;
    CButton m_ok;
    CButton m_cancel;
    CButton m_check;
};

// File > Unit settings. The item index of each list is the unit's stored code.
class CUnitSettingsDialog : public CDialog {
public:
    static constexpr const char* kTemperatureUnits[] = {"°C", "°F", "°K"};
    static constexpr const char* kPressureUnits[] = {"Kilo pascals", "Pounds per square inch",
                                                     "mm Mercury",   "Inches Mercury",
                                                     "Atmospheres",  "Millibars"};

    explicit CUnitSettingsDialog(CWnd* parent = nullptr);
    void SetUnits(BYTE temperature, BYTE pressure) {
        m_temperatureUnit = temperature;
        m_pressureUnit = pressure;
    }
    void GetUnits(BYTE& temperature, BYTE& pressure) const {
        temperature = m_temperatureUnit;
        pressure = m_pressureUnit;
    }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnTemperatureChange();
    void OnPressureChange();
    DECLARE_MESSAGE_MAP()

private:
    CButton m_ok;
    CButton m_cancel;
    CStatic m_temperatureLabel;
    CComboBox m_temperature;
    CStatic m_pressureLabel;
    CComboBox m_pressure;
    BYTE m_pressureUnit = 0;
    BYTE m_temperatureUnit = 0;
};

// File > User interface settings: 0 Basic, 1 Simple, 2 Advanced.
class CUserInterfaceDialog : public CDialog {
public:
    explicit CUserInterfaceDialog(CWnd* parent = nullptr);
    void SetLevel(BYTE level) { m_level = level; }
    BYTE GetLevel() const { return m_level; }

protected:
    BOOL OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnOK() override;

private:
    CButton m_ok;
    CButton m_cancel;
    CButton m_basic;
    CButton m_simple;
    CButton m_advanced;
    BYTE m_level = 2;
};
