#include "platform/win/frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QMainWindow>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <algorithm>

#include "platform/base/log.h"
#include "platform/base/numeric_locale.h"
#include "platform/base/registry.h"
#include "platform/gdi/dc.h"
#include "platform/msg/message_loop.h"
#include "platform/ui/bars.h"
#include "platform/ui/menu_view.h"
#include "platform/win/placement.h"
#include "platform/win/widget_bridge.h"

namespace {

CWinApp*& TheApp() {
    static CWinApp* app = nullptr;
    return app;
}

void SendClose(QWidget* w) {
    if (CWnd* wnd = CWnd::FromHandlePermanent(platform::HandleOfWidget(w)))
        wnd->SendMessage(WM_CLOSE);
}

QMargins FrameMargins(const QWidget* w) {
    const QRect f = w->frameGeometry(), g = w->geometry();
    return QMargins(g.left() - f.left(), g.top() - f.top(), f.right() - g.right(),
                    f.bottom() - g.bottom());
}

// Closing asks the window: its OnClose decides whether it is destroyed.
class FrameWidget : public QMainWindow {
public:
    using QMainWindow::QMainWindow;
    // The frame as the window manager draws it around a window neither maximised nor minimised.
    QMargins normalMargins;

protected:
    void closeEvent(QCloseEvent* e) override {
        e->ignore();
        SendClose(this);
    }
    void moveEvent(QMoveEvent* e) override {
        RememberMargins();
        QMainWindow::moveEvent(e);
    }
    void resizeEvent(QResizeEvent* e) override {
        RememberMargins();
        QMainWindow::resizeEvent(e);
    }
    bool event(QEvent* e) override {
        // A child that draws through the GPU (the worksheet browser) makes Qt create the native
        // window again, and the window manager maps the new one as it would a new window,
        // forgetting that it was maximised: the state is asked for again.
        if (e->type() == QEvent::WinIdChange && isVisible() &&
            (windowState() & Qt::WindowMaximized))
            QMetaObject::invokeMethod(
                this,
                [this] {
                    if (!(windowState() & Qt::WindowMaximized)) return;
                    setProperty(platform::kReassertingState, true);
                    setWindowState(windowState() & ~Qt::WindowMaximized);
                    setWindowState(windowState() | Qt::WindowMaximized);
                    setProperty(platform::kReassertingState, QVariant());
                },
                Qt::QueuedConnection);
        return QMainWindow::event(e);
    }

private:
    void RememberMargins() {
        if (windowState() == Qt::WindowNoState && frameGeometry() != geometry())
            normalMargins = FrameMargins(this);
    }
};

class ChildFrameWidget : public QMdiSubWindow {
public:
    using QMdiSubWindow::QMdiSubWindow;

protected:
    void closeEvent(QCloseEvent* e) override {
        e->ignore();
        SendClose(this);
    }
};

// A command-UI item for one entry of a pop-up, by position.
class MenuCmdUI : public CCmdUI {
public:
    explicit MenuCmdUI(CMenu* menu) : m_menu(menu) {}
    void Enable(BOOL on) override {
        CCmdUI::Enable(on);
        m_menu->EnableMenuItem(m_nIndex, MF_BYPOSITION | (on ? MF_ENABLED : MF_GRAYED));
    }
    void SetCheck(int check) override {
        CCmdUI::SetCheck(check);
        m_menu->CheckMenuItem(m_nIndex, MF_BYPOSITION | (check ? MF_CHECKED : MF_UNCHECKED));
    }
    void SetText(const char* text) override {
        CCmdUI::SetText(text);
        const UINT state = m_menu->GetMenuState(m_nIndex, MF_BYPOSITION);
        m_menu->ModifyMenu(m_nIndex, MF_BYPOSITION | (state & (MF_GRAYED | MF_CHECKED)), m_nID,
                           text);
    }

private:
    CMenu* m_menu;
};

void UpdatePopupOf(CWnd* target, CMenu* popup) {
    if (auto* frame = dynamic_cast<CFrameWnd*>(target)) frame->UpdateMenuPopup(popup);
}

}  // namespace

IMPLEMENT_DYNAMIC(CDocument, CCmdTarget)
IMPLEMENT_DYNAMIC(CView, CWnd)
IMPLEMENT_DYNCREATE(CFrameWnd, CWnd)
IMPLEMENT_DYNAMIC(CMDIFrameWnd, CFrameWnd)
IMPLEMENT_DYNCREATE(CMDIChildWnd, CFrameWnd)

// ---- CDocument ----

CDocument::CDocument() = default;

CDocument::~CDocument() {
    for (CView* v : m_views)
        v->SetDocument(nullptr);
}

void CDocument::AddView(CView* view) {
    if (view && std::find(m_views.begin(), m_views.end(), view) == m_views.end())
        m_views.push_back(view);
}

void CDocument::RemoveView(CView* view) {
    m_views.erase(std::remove(m_views.begin(), m_views.end(), view), m_views.end());
}

void CDocument::UpdateAllViews(CView* sender, LPARAM hint, CObject* hintObject) {
    for (CView* v : std::vector<CView*>(m_views))
        if (v != sender) v->OnUpdate(sender, hint, hintObject);
}

void CDocument::SetPathName(LPCTSTR path, BOOL) {
    m_pathName = path ? path : "";
}

BOOL CDocument::OnNewDocument() {
    DeleteContents();
    m_pathName.Empty();
    SetModifiedFlag(FALSE);
    return TRUE;
}

BOOL CDocument::OnOpenDocument(LPCTSTR) {
    return FALSE;
}
BOOL CDocument::OnSaveDocument(LPCTSTR) {
    return FALSE;
}
void CDocument::OnCloseDocument() {
    DeleteContents();
}

// ---- CView ----

CView::~CView() {
    if (m_pDocument) m_pDocument->RemoveView(this);
}

BOOL CView::Create(LPCTSTR className, LPCTSTR windowName, DWORD style, const RECT& rect,
                   CWnd* parent, UINT id, CCreateContext* context) {
    if (context && context->m_pCurrentDoc && !m_hWnd) SetDocument(context->m_pCurrentDoc);
    return CWnd::Create(className, windowName, style, rect, parent, id);
}

BOOL CView::Create(CWnd* parent, CDocument* document) {
    CCreateContext context;
    context.m_pCurrentDoc = document;
    return Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, CRect(0, 0, 0, 0), parent,
                  AFX_IDW_PANE_FIRST, &context);
}

void CView::SetDocument(CDocument* document) {
    if (m_pDocument == document) return;
    CDocument* old = m_pDocument;
    m_pDocument = document;
    if (old) old->RemoveView(this);
    if (document) document->AddView(this);
}

CFrameWnd* CView::GetParentFrame() const {
    for (CWnd* p = GetParent(); p; p = p->GetParent())
        if (auto* f = dynamic_cast<CFrameWnd*>(p)) return f;
    return nullptr;
}

void CView::OnInitialUpdate() {
    OnUpdate(nullptr, 0, nullptr);
}
void CView::OnUpdate(CView*, LPARAM, CObject*) {
    Invalidate();
}
void CView::OnDraw(CDC*) {}

void CView::OnPaint() {
    CPaintDC dc(this);
    OnDraw(&dc);
}
void CView::OnActivateView(BOOL, CView*, CView*) {}

BOOL CView::OnCmdMsg(UINT id, int code, void* extra, CmdHandlerInfo* info) {
    if (CWnd::OnCmdMsg(id, code, extra, info)) return TRUE;
    return m_pDocument && m_pDocument->OnCmdMsg(id, code, extra, info);
}

// ---- CFrameWnd ----

CFrameWnd::~CFrameWnd() {
    // The views go first, while their frame is still whole enough to be their parent.
    while (!m_createdViews.empty())
        m_createdViews.pop_back();
}

BOOL CFrameWnd::LoadFrame(UINT idResource, DWORD style, CWnd* parent, CCreateContext* context) {
    m_nIDHelp = idResource;
    CWinApp* app = AfxGetApp();
    m_loadContext = context;
    const BOOL created = Create(nullptr, app ? app->m_pszAppName.GetString() : "", style,
                                CRect(0, 0, 300, 200), parent);
    m_loadContext = nullptr;
    return created;
}

int CFrameWnd::OnCreate(LPCREATESTRUCT cs) {
    if (CWnd::OnCreate(cs) == -1) return -1;
    return OnCreateClient(cs, m_loadContext) ? 0 : -1;
}

BOOL CFrameWnd::OnCreateClient(LPCREATESTRUCT, CCreateContext* context) {
    if (!context || !context->m_pNewViewClass) return TRUE;
    return CreateView(context) != nullptr;
}

CWnd* CFrameWnd::CreateView(CCreateContext* context, UINT id) {
    if (!context || !context->m_pNewViewClass) return nullptr;
    const CRuntimeClass* viewClass = context->m_pNewViewClass;
    if (!viewClass->IsDerivedFrom(RUNTIME_CLASS(CView))) {
        qCWarning(lcPlatform, "%s is not a view class", viewClass->m_lpszClassName);
        return nullptr;
    }
    std::unique_ptr<CView> view(static_cast<CView*>(viewClass->CreateObject()));
    if (!view) {
        qCWarning(lcPlatform, "%s cannot be made by class", viewClass->m_lpszClassName);
        return nullptr;
    }
    CRect client;
    GetClientRect(&client);
    if (!view->Create(nullptr, nullptr, WS_CHILD | WS_VISIBLE, client, this, id, context)) {
        qCWarning(lcPlatform, "the %s could not be created", viewClass->m_lpszClassName);
        return nullptr;
    }
    CView* made = view.get();
    m_createdViews.push_back(std::move(view));
    if (id == AFX_IDW_PANE_FIRST) PlacePane(made);
    return made;
}

QWidget* CFrameWnd::MakeWidget(QWidget* parentWidget, const CREATESTRUCT&) {
    auto* w = new FrameWidget(parentWidget);
    w->setMenuBar(new QMenuBar(w));
    return w;
}

QMainWindow* CFrameWnd::MainWindow() const {
    return qobject_cast<QMainWindow*>(GetWidget());
}

BOOL CFrameWnd::Create(LPCTSTR className, LPCTSTR title, DWORD style, const RECT& rect,
                       CWnd* parent, const MenuTemplate* menu) {
    if (!CWnd::Create(className, title, style, rect, parent, 0)) return FALSE;
    if (menu) {
        m_ownMenu = std::make_unique<CMenu>();
        m_ownMenu->LoadMenu(*menu);
        SetMenu(m_ownMenu.get());
    }
    return TRUE;
}

BOOL CFrameWnd::DestroyWindow() {
    CWinApp* app = AfxGetApp();
    const bool isMain = app && app->m_pMainWnd == this;
    const BOOL r = CWnd::DestroyWindow();
    if (isMain) {
        app->m_pMainWnd = nullptr;
        QCoreApplication::quit();
    }
    return r;
}

void CFrameWnd::OnClose() {
    DestroyWindow();
}

BOOL CFrameWnd::GetWindowPlacement(WINDOWPLACEMENT* placement) const {
    const QWidget* w = GetWidget();
    if (!w || !placement) return FALSE;
    placement->showCmd = w->isMinimized()   ? SW_SHOWMINIMIZED
                         : w->isMaximized() ? SW_SHOWMAXIMIZED
                                            : SW_SHOWNORMAL;
    // The frame's rectangle, title bar included, as the window has it when neither minimised
    // nor maximised.
    const QRect g = w->normalGeometry().isValid() ? w->normalGeometry() : w->geometry();
    const auto* frame = dynamic_cast<const FrameWidget*>(w);
    const QMargins m =
        frame && w->windowState() != Qt::WindowNoState ? frame->normalMargins : FrameMargins(w);
    const QRect outer = g.marginsAdded(m);
    placement->rcNormalPosition =
        CRect(outer.left(), outer.top(), outer.right() + 1, outer.bottom() + 1);
    return TRUE;
}

void CFrameWnd::InitialUpdateFrame(CDocument*, BOOL makeVisible) {
    if (!GetActiveView())
        if (auto* pane = dynamic_cast<CView*>(GetDlgItem(static_cast<int>(AFX_IDW_PANE_FIRST))))
            SetActiveView(pane, FALSE);
    if (CView* view = GetActiveView()) view->OnInitialUpdate();
    if (makeVisible) ShowWindow(SW_SHOW);
}

CView* CFrameWnd::GetActiveView() const {
    return dynamic_cast<CView*>(FromHandlePermanent(m_activeView));
}

void CFrameWnd::SetActiveView(CView* view, BOOL notify) {
    CView* old = GetActiveView();
    m_activeView = view ? view->m_hWnd : nullptr;
    if (view && view->GetDlgCtrlID() == static_cast<int>(AFX_IDW_PANE_FIRST)) PlacePane(view);
    if (notify && old != view) {
        if (old) old->OnActivateView(FALSE, view, old);
        if (view) view->OnActivateView(TRUE, view, old);
    }
}

void CFrameWnd::DockBar(QWidget* bar, bool bottom) {
    auto* toolbar = qobject_cast<QToolBar*>(bar);
    QMainWindow* mw = MainWindow();
    if (!toolbar || !mw) return;
    mw->addToolBar(bottom ? Qt::BottomToolBarArea : Qt::TopToolBarArea, toolbar);
    StartIdleUpdates();
}

void CFrameWnd::StartIdleUpdates() {
    if (m_idleUpdates || !GetWidget()) return;
    m_idleUpdates = true;
    auto* idle = new QTimer(GetWidget());
    idle->setInterval(100);
    const HWND self = m_hWnd;
    QObject::connect(idle, &QTimer::timeout, idle, [self] {
        if (auto* f = dynamic_cast<CFrameWnd*>(FromHandlePermanent(self))) f->OnIdleUpdateCmdUI();
    });
    idle->start();
}

void CFrameWnd::OnIdleUpdateCmdUI() {
    for (CWnd* child : GetChildren())
        if (auto* bar = dynamic_cast<CToolBar*>(child);
            bar && bar->Bar() && !bar->Bar()->isHidden())
            bar->OnUpdateCmdUI(this, TRUE);
}

void CFrameWnd::PlacePane(CView* view) {
    if (QMainWindow* mw = MainWindow();
        mw && view->GetWidget() && mw->centralWidget() != view->GetWidget())
        mw->setCentralWidget(view->GetWidget());
}

CFrameWnd* CFrameWnd::GetParentFrame() const {
    for (CWnd* p = GetParent(); p; p = p->GetParent())
        if (auto* f = dynamic_cast<CFrameWnd*>(p)) return f;
    return nullptr;
}

BOOL CFrameWnd::SetMenu(CMenu* menu) {
    m_menu = menu;
    DrawMenuBar();
    return TRUE;
}

void CFrameWnd::DrawMenuBar() {
    if (QMainWindow* mw = MainWindow())
        platform::MenuView::FillBar(mw->menuBar(), m_menu, m_hWnd, &UpdatePopupOf);
}

void CFrameWnd::UpdateMenuPopup(CMenu* popup) {
    if (!popup) return;
    MenuCmdUI ui(popup);
    for (int i = 0; i < popup->GetMenuItemCount(); ++i) {
        const UINT id = popup->GetMenuItemID(i);
        if (id == 0 || id == kMenuError) continue;  // separators and pop-ups
        ui.m_nID = id;
        ui.m_nIndex = static_cast<UINT>(i);
        ui.DoUpdate(this, TRUE);
    }
}

BOOL CFrameWnd::OnCmdMsg(UINT id, int code, void* extra, CmdHandlerInfo* info) {
    if (CView* view = GetActiveView(); view && view->OnCmdMsg(id, code, extra, info)) return TRUE;
    if (CWnd::OnCmdMsg(id, code, extra, info)) return TRUE;
    if (!GetParentFrame())
        if (CWinApp* app = AfxGetApp()) return app->OnCmdMsg(id, code, extra, info);
    return FALSE;
}

// ---- MDI ----

QWidget* CMDIFrameWnd::MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) {
    auto* w = static_cast<QMainWindow*>(CFrameWnd::MakeWidget(parentWidget, cs));
    auto* area = new QMdiArea(w);
    area->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    w->setCentralWidget(area);
    return w;
}

QMdiArea* CMDIFrameWnd::MdiArea() const {
    QMainWindow* mw = MainWindow();
    return mw ? qobject_cast<QMdiArea*>(mw->centralWidget()) : nullptr;
}

CMDIChildWnd* CMDIFrameWnd::MDIGetActive() const {
    QMdiArea* area = MdiArea();
    if (!area) return nullptr;
    // Qt reports no active sub-window while the main window is inactive; the current one stays.
    QMdiSubWindow* sub = area->currentSubWindow();
    return dynamic_cast<CMDIChildWnd*>(FromHandlePermanent(platform::HandleOfWidget(sub)));
}

void CMDIFrameWnd::MDIActivate(CWnd* child) {
    if (QMdiArea* area = MdiArea())
        if (auto* sub = qobject_cast<QMdiSubWindow*>(child ? child->GetWidget() : nullptr))
            area->setActiveSubWindow(sub);
}

CFrameWnd* CMDIFrameWnd::GetActiveFrame() {
    CMDIChildWnd* child = MDIGetActive();
    return child ? static_cast<CFrameWnd*>(child) : this;
}

BOOL CMDIFrameWnd::OnCmdMsg(UINT id, int code, void* extra, CmdHandlerInfo* info) {
    if (CMDIChildWnd* child = MDIGetActive(); child && child->OnCmdMsg(id, code, extra, info))
        return TRUE;
    return CFrameWnd::OnCmdMsg(id, code, extra, info);
}

QWidget* CMDIChildWnd::MakeWidget(QWidget*, const CREATESTRUCT& cs) {
    auto* sub = new ChildFrameWidget();
    sub->setAttribute(Qt::WA_DeleteOnClose, false);
    if (auto* frame = dynamic_cast<CMDIFrameWnd*>(FromHandlePermanent(cs.hwndParent)))
        if (QMdiArea* area = frame->MdiArea()) area->addSubWindow(sub);
    return sub;
}

BOOL CMDIChildWnd::Create(LPCTSTR className, LPCTSTR title, DWORD style, const RECT& rect,
                          CMDIFrameWnd* parent) {
    return CFrameWnd::Create(className, title, style, rect, parent);
}

CMDIFrameWnd* CMDIChildWnd::GetMDIFrame() const {
    return dynamic_cast<CMDIFrameWnd*>(GetParent());
}

void CMDIChildWnd::MDIActivate() {
    if (CMDIFrameWnd* f = GetMDIFrame()) f->MDIActivate(this);
}

void CMDIChildWnd::PlacePane(CView* view) {
    auto* sub = qobject_cast<QMdiSubWindow*>(GetWidget());
    QWidget* pane = view->GetWidget();
    if (!sub || !pane) return;
    if (QVBoxLayout* column = m_barBody ? BarColumn() : nullptr) {
        if (column->indexOf(pane) < 0) column->insertWidget(m_topBars, pane, 1);
    } else if (sub->widget() != pane) {
        sub->setWidget(pane);
    }
}

QVBoxLayout* CMDIChildWnd::BarColumn() {
    if (m_barBody) return static_cast<QVBoxLayout*>(m_barBody->layout());
    auto* sub = qobject_cast<QMdiSubWindow*>(GetWidget());
    if (!sub) return nullptr;
    auto* body = new QWidget;
    auto* column = new QVBoxLayout(body);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    // The document sizes its windows as it likes, bars or not.
    column->setSizeConstraint(QLayout::SetNoConstraint);
    // The pane moves into the column before the sub-window lets it go, so it keeps a parent.
    if (QWidget* pane = sub->widget()) column->addWidget(pane, 1);
    sub->setWidget(body);
    sub->setMinimumSize(0, 0);
    m_barBody = body;
    return column;
}

void CMDIChildWnd::DockBar(QWidget* bar, bool bottom) {
    QVBoxLayout* column = BarColumn();
    if (!column || !bar) return;
    if (bottom)
        column->addWidget(bar);
    else
        column->insertWidget(m_topBars++, bar);
    StartIdleUpdates();
}

// ---- CWinApp ----

CWinApp::CWinApp(LPCTSTR appName) : m_pszAppName(appName ? appName : "") {
    TheApp() = this;
}

CWinApp::~CWinApp() {
    if (TheApp() == this) TheApp() = nullptr;
}

int CWinApp::Run() {
    if (!m_pMainWnd) return ExitInstance();
    QApplication::exec();
    return ExitInstance();
}

CDocTemplate* CWinApp::AddDocTemplate(std::unique_ptr<CDocTemplate> docTemplate) {
    m_docTemplates.push_back(std::move(docTemplate));
    return m_docTemplates.back().get();
}

void CWinApp::SetRegistryKey(LPCTSTR company) {
    m_pszRegistryKey = company ? company : "";
    // The registry file lives in the company's configuration folder unless one was chosen.
    QCoreApplication::setOrganizationName(m_pszRegistryKey.ToQString());
}

CString CWinApp::ProfileKey(LPCTSTR section) const {
    CString key;
    key.Format("Software\\%s\\%s\\%s", m_pszRegistryKey.GetString(), m_pszAppName.GetString(),
               section ? section : "");
    return key;
}

void CWinApp::LoadStdProfileSettings(UINT maxMRU) {
    m_recentFiles.clear();
    for (UINT i = 1; i <= maxMRU; ++i) {
        CString entry;
        entry.Format("File%u", i);
        const CString path = GetProfileString("Recent File List", entry);
        if (!path.IsEmpty()) m_recentFiles.push_back(path);
    }
}

CString CWinApp::GetProfileString(LPCTSTR section, LPCTSTR entry, LPCTSTR defaultValue) {
    CRegKey key;
    CString value;
    if (key.Open(HKEY_CURRENT_USER, ProfileKey(section)) == ERROR_SUCCESS &&
        key.QueryStringValue(entry, value) == ERROR_SUCCESS)
        return value;
    return defaultValue ? defaultValue : "";
}

BOOL CWinApp::WriteProfileString(LPCTSTR section, LPCTSTR entry, LPCTSTR value) {
    CRegKey key;
    if (key.Create(HKEY_CURRENT_USER, ProfileKey(section)) != ERROR_SUCCESS) return FALSE;
    if (!value) return key.DeleteValue(entry) == ERROR_SUCCESS;
    return key.SetStringValue(entry, value) == ERROR_SUCCESS;
}

UINT CWinApp::GetProfileInt(LPCTSTR section, LPCTSTR entry, int defaultValue) {
    CRegKey key;
    DWORD value = 0;
    if (key.Open(HKEY_CURRENT_USER, ProfileKey(section)) == ERROR_SUCCESS &&
        key.QueryDWORDValue(entry, value) == ERROR_SUCCESS)
        return value;
    return static_cast<UINT>(defaultValue);
}

BOOL CWinApp::WriteProfileInt(LPCTSTR section, LPCTSTR entry, int value) {
    CRegKey key;
    return key.Create(HKEY_CURRENT_USER, ProfileKey(section)) == ERROR_SUCCESS &&
           key.SetDWORDValue(entry, static_cast<DWORD>(value)) == ERROR_SUCCESS;
}

CWinApp* AfxGetApp() {
    return TheApp();
}
CWnd* AfxGetMainWnd() {
    return TheApp() ? TheApp()->m_pMainWnd : nullptr;
}

namespace platform {

int RunApplication(CWinApp& app, int argc, char** argv) {
    QApplication qt(argc, argv);
    QApplication::setApplicationName(app.m_pszAppName.ToQString());
    PinNumericLocale();
    app.ParseCommandLine(argc, argv);
    int code = 0;
    if (app.InitInstance())
        code = app.Run();
    else
        code = app.ExitInstance();
    SyncRegistry();
    return code;
}

}  // namespace platform
