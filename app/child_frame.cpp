#include "app/child_frame.h"

#include <QMdiSubWindow>

#include "platform/msg/standard_ids.h"

namespace {

constexpr UINT SC_SIZE = 0xF000, SC_MOVE = 0xF010, SC_MINIMIZE = 0xF020, SC_MAXIMIZE = 0xF030,
               SC_CLOSE = 0xF060, SC_RESTORE = 0xF120;

}  // namespace

IMPLEMENT_DYNCREATE(CChildFrame, CMDIChildWnd)
IMPLEMENT_DYNCREATE(CVarnelView, CView)

CChildFrame::CChildFrame() = default;
CChildFrame::~CChildFrame() = default;

QWidget* CChildFrame::MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) {
    QWidget* w = CMDIChildWnd::MakeWidget(parentWidget, cs);
    w->setWindowFlags(Qt::SubWindow | Qt::FramelessWindowHint);
    return w;
}

int CChildFrame::OnCreate(LPCREATESTRUCT cs) {
    if (CMDIChildWnd::OnCreate(cs) == -1) return -1;
    GetSystemMenu(TRUE);
    // Maximize, Size, Move and Minimize go; Restore and Close stay.
    for (UINT position : {4u, 2u, 1u, 1u})
        m_systemMenu.RemoveMenu(position, MF_BYPOSITION);
    return 0;
}

CMenu* CChildFrame::GetSystemMenu(BOOL revert) {
    if (revert || !m_systemMenu.IsCreated()) {
        m_systemMenu.DestroyMenu();
        m_systemMenu.CreatePopupMenu();
        m_systemMenu.AppendMenu(MF_STRING, SC_RESTORE, "&Restore");
        m_systemMenu.AppendMenu(MF_STRING, SC_MOVE, "&Move");
        m_systemMenu.AppendMenu(MF_STRING, SC_SIZE, "&Size");
        m_systemMenu.AppendMenu(MF_STRING, SC_MINIMIZE, "Mi&nimize");
        m_systemMenu.AppendMenu(MF_STRING, SC_MAXIMIZE, "Ma&ximize");
        m_systemMenu.AppendMenu(MF_SEPARATOR);
        m_systemMenu.AppendMenu(MF_STRING, SC_CLOSE, "&Close\tCtrl+F4");
    }
    return &m_systemMenu;
}

BEGIN_MESSAGE_MAP(CVarnelView, CView)
ON_COMMAND(ID_FILE_PRINT, OnFilePrint)
ON_COMMAND(ID_FILE_PRINT_DIRECT, OnFilePrint)
ON_COMMAND(ID_FILE_PRINT_PREVIEW, OnFilePrintPreview)
ON_COMMAND(4780, OnNothing)
END_MESSAGE_MAP()
