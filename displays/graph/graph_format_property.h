#pragma once
// "Format graph": the Scale and Lines pages over the graph's X axis and plots. In this form the
// pages list the entries; their editing controls come with the format sheet's own code.

#include "platform/ui/property_sheet.h"

class CGraphView;
class CSettings;

class CGraphFormatScales : public CPropertyPage {
public:
    CGraphFormatScales();
    void SetGraphView(CGraphView* view, int entry) {
        m_view = view;
        m_entry = entry;
    }

protected:
    BOOL OnInitDialog() override;

private:
    CGraphView* m_view = nullptr;
    int m_entry = 0;
};

class CGraphFormatLines : public CPropertyPage {
public:
    CGraphFormatLines();
    void SetGraphView(CGraphView* view, CSettings* settings) {
        m_view = view;
        m_settings = settings;
    }

protected:
    BOOL OnInitDialog() override;

private:
    CGraphView* m_view = nullptr;
    CSettings* m_settings = nullptr;
};

class CGraphFormatProperty : public CPropertySheet {
public:
    CGraphFormatProperty(LPCTSTR caption, CWnd* parent = nullptr);
    CGraphFormatScales m_scales;
    CGraphFormatLines m_lines;

protected:
    BOOL OnInitDialog() override;
};
