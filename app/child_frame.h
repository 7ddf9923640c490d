#pragma once
// CChildFrame: a standard window's frame. The document places its windows itself, so they have
// no caption and the user can neither move, size nor close them; they go with the main frame.

#include "platform/win/frame.h"

class CChildFrame : public CMDIChildWnd {
    DECLARE_DYNCREATE(CChildFrame)
    CChildFrame();
    ~CChildFrame() override;
    // The window menu: what is left of the standard one.
    CMenu* GetSystemMenu(BOOL revert);
    // A close request would destroy a view the document still points at: ignored.
    void OnClose() override {}

protected:
    int OnCreate(LPCREATESTRUCT cs) override;
    QWidget* MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) override;

private:
    CMenu m_systemMenu;
};

// CVarnelView: the view of the main template. It draws nothing.
class CVarnelView : public CView {
    DECLARE_DYNCREATE(CVarnelView)
    void OnDraw(CDC*) override {}
    void OnFilePrint() {}
    void OnFilePrintPreview() {}
    void OnNothing() {}

protected:
    DECLARE_MESSAGE_MAP()
};
