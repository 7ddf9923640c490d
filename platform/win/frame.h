#pragma once
// The application, document, view and frame classes, and the route a command takes through them:
// a frame offers it to its active view (which offers it to its document), then handles it itself,
// then, when it is the main frame, offers it to the application. An MDI main frame first offers it
// to its active child frame.
//
// A frame loaded with a creation context makes its view from the context's view class, and owns
// it; the view joins the context's document before its own creation runs.

#include <QPointer>
#include <memory>
#include <vector>

#include "platform/base/object.h"
#include "platform/msg/wnd.h"
#include "platform/ui/menu.h"
#include "platform/win/doc_template.h"

class CView;
class CFrameWnd;
class QMainWindow;
class QMdiArea;
class QVBoxLayout;

constexpr UINT AFX_IDW_PANE_FIRST = 0xE900;

class CDocument : public CCmdTarget {
    DECLARE_DYNAMIC(CDocument)
    CDocument();
    ~CDocument() override;

    void AddView(CView* view);
    void RemoveView(CView* view);
    const std::vector<CView*>& GetViews() const { return m_views; }
    void UpdateAllViews(CView* sender, LPARAM hint = 0, CObject* hintObject = nullptr);

    virtual BOOL IsModified() { return m_modified; }
    virtual void SetModifiedFlag(BOOL modified = TRUE) { m_modified = modified != FALSE; }
    const CString& GetTitle() const { return m_title; }
    virtual void SetTitle(LPCTSTR title) { m_title = title ? title : ""; }
    const CString& GetPathName() const { return m_pathName; }
    virtual void SetPathName(LPCTSTR path, BOOL addToRecent = TRUE);

    virtual BOOL OnNewDocument();
    virtual BOOL OnOpenDocument(LPCTSTR path);
    virtual BOOL OnSaveDocument(LPCTSTR path);
    virtual void OnCloseDocument();
    virtual void DeleteContents() {}

private:
    std::vector<CView*> m_views;
    bool m_modified = false;
    CString m_title;
    CString m_pathName;
};

class CView : public CWnd {
    DECLARE_DYNAMIC(CView)
    ~CView() override;
    // Joins the context's document, if any, then creates the window.
    BOOL Create(LPCTSTR className, LPCTSTR windowName, DWORD style, const RECT& rect, CWnd* parent,
                UINT id, CCreateContext* context = nullptr);
    // A view outside a frame's creation (a test's, a benchmark's): the pane of `parent`, over
    // `document`, through a creation context as a frame would make it.
    BOOL Create(CWnd* parent, CDocument* document);
    CDocument* GetDocument() const { return m_pDocument; }
    // Binds the view to its document (the document lists it).
    void SetDocument(CDocument* document);
    CFrameWnd* GetParentFrame() const;

    virtual void OnInitialUpdate();
    virtual void OnUpdate(CView* sender, LPARAM hint, CObject* hintObject);
    virtual void OnDraw(CDC* dc);
    // Draws the view with OnDraw on a paint DC.
    void OnPaint() override;
    virtual void OnActivateView(BOOL activate, CView* activated, CView* deactivated);

    BOOL OnCmdMsg(UINT id, int code, void* extra, CmdHandlerInfo* info) override;

protected:
    CDocument* m_pDocument = nullptr;
};

struct WINDOWPLACEMENT {
    UINT length = sizeof(WINDOWPLACEMENT);
    UINT flags = 0;
    UINT showCmd = 0;
    CRect rcNormalPosition;
};

class CFrameWnd : public CWnd {
    DECLARE_DYNCREATE(CFrameWnd)
    // showCmd is SW_SHOWMINIMIZED, SW_SHOWMAXIMIZED or SW_SHOWNORMAL.
    BOOL GetWindowPlacement(WINDOWPLACEMENT* placement) const;
    ~CFrameWnd() override;
    // A frame window: a main window with a menu bar (top level) or the content of an MDI child.
    BOOL Create(LPCTSTR className, LPCTSTR title, DWORD style, const RECT& rect,
                CWnd* parent = nullptr, const MenuTemplate* menu = nullptr);
    BOOL DestroyWindow() override;

    // Creates the frame for resource `idResource` (its title is the application's name), and, when
    // the context names a view class, the view that fills it.
    virtual BOOL LoadFrame(UINT idResource, DWORD style, CWnd* parent = nullptr,
                           CCreateContext* context = nullptr);
    // Makes a view of the context's class as the child `id`, owned by the frame; null on failure.
    CWnd* CreateView(CCreateContext* context, UINT id = AFX_IDW_PANE_FIRST);
    // The resource the frame was loaded from.
    UINT m_nIDHelp = 0;

    // The frame's first update: with no active view, its pane becomes the active view; then that
    // view's initial update, then the frame shown.
    void InitialUpdateFrame(CDocument* doc, BOOL makeVisible);
    // Qt's layouts place the bars and the client area themselves.
    void RecalcLayout() {}

    CView* GetActiveView() const;
    // Makes the view active; a view that is the frame's pane fills its client area.
    void SetActiveView(CView* view, BOOL notify = TRUE);
    CFrameWnd* GetParentFrame() const;
    virtual CFrameWnd* GetActiveFrame() { return this; }

    // The menu shown in the menu bar. DrawMenuBar shows changes made to it.
    BOOL SetMenu(CMenu* menu);
    CMenu* GetMenu() const { return m_menu; }
    void DrawMenuBar();
    // Runs the update handlers of a pop-up's items through the command route, as before the pop-up
    // opens: an item whose command has no handler at all is greyed.
    void UpdateMenuPopup(CMenu* popup);

    BOOL OnCmdMsg(UINT id, int code, void* extra, CmdHandlerInfo* info) override;
    void OnClose() override;

    // A control bar's widget joins the frame along its top or bottom edge; the bars of one edge
    // lie in the order they were made. The frame's idle pass keeps their buttons up to date.
    virtual void DockBar(QWidget* bar, bool bottom);
    // The idle pass: each shown bar of the frame takes its buttons' states from the command
    // route, starting at the frame. A timer runs it every 100 ms while the frame has bars.
    void OnIdleUpdateCmdUI();

protected:
    int OnCreate(LPCREATESTRUCT cs) override;
    // Makes the client area's content; the default makes the context's view.
    virtual BOOL OnCreateClient(LPCREATESTRUCT cs, CCreateContext* context);
    QWidget* MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) override;
    QMainWindow* MainWindow() const;
    // Places a view that fills the frame.
    virtual void PlacePane(CView* view);
    void StartIdleUpdates();

private:
    HWND m_activeView = nullptr;
    bool m_idleUpdates = false;
    CMenu* m_menu = nullptr;
    std::unique_ptr<CMenu> m_ownMenu;
    // Only while LoadFrame runs.
    CCreateContext* m_loadContext = nullptr;
    std::vector<std::unique_ptr<CView>> m_createdViews;
};

class CMDIChildWnd;

class CMDIFrameWnd : public CFrameWnd {
    DECLARE_DYNAMIC(CMDIFrameWnd)
    CMDIChildWnd* MDIGetActive() const;
    void MDIActivate(CWnd* child);
    QMdiArea* MdiArea() const;
    CFrameWnd* GetActiveFrame() override;
    BOOL OnCmdMsg(UINT id, int code, void* extra, CmdHandlerInfo* info) override;

protected:
    QWidget* MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) override;
};

class CMDIChildWnd : public CFrameWnd {
    DECLARE_DYNCREATE(CMDIChildWnd)
    BOOL Create(LPCTSTR className, LPCTSTR title, DWORD style, const RECT& rect,
                CMDIFrameWnd* parent);
    CMDIFrameWnd* GetMDIFrame() const;
    void MDIActivate();
    void DockBar(QWidget* bar, bool bottom) override;

protected:
    QWidget* MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) override;
    void PlacePane(CView* view) override;

private:
    // With bars, the frame's content is a column: the top bars, the pane, the bottom bars.
    QVBoxLayout* BarColumn();
    QPointer<QWidget> m_barBody;
    int m_topBars = 0;
};

class CWinApp : public CCmdTarget {
public:
    explicit CWinApp(LPCTSTR appName = nullptr);
    ~CWinApp() override;

    virtual BOOL InitInstance() { return TRUE; }
    virtual int ExitInstance() { return 0; }
    // Gets the arguments Qt left over, before InitInstance.
    virtual void ParseCommandLine(int argc, char** argv) {
        (void)argc;
        (void)argv;
    }
    // Runs the message loop until the main window is destroyed.
    virtual int Run();

    // Profile values live under HKEY_CURRENT_USER\Software\<registry key>\<application>\<section>.
    void SetRegistryKey(LPCTSTR company);
    CString GetProfileString(LPCTSTR section, LPCTSTR entry, LPCTSTR defaultValue = nullptr);
    BOOL WriteProfileString(LPCTSTR section, LPCTSTR entry, LPCTSTR value);
    UINT GetProfileInt(LPCTSTR section, LPCTSTR entry, int defaultValue);
    BOOL WriteProfileInt(LPCTSTR section, LPCTSTR entry, int value);
    // Reads the recent-file list ("Recent File List", File1..FileN) of up to `maxMRU` entries.
    void LoadStdProfileSettings(UINT maxMRU = 4);
    const std::vector<CString>& GetRecentFileList() const { return m_recentFiles; }
    // Registers a template, kept until the application goes; returns it.
    CDocTemplate* AddDocTemplate(std::unique_ptr<CDocTemplate> docTemplate);
    const std::vector<std::unique_ptr<CDocTemplate>>& GetDocTemplates() const {
        return m_docTemplates;
    }

    CWnd* m_pMainWnd = nullptr;
    CString m_pszAppName;
    CString m_pszRegistryKey;

private:
    CString ProfileKey(LPCTSTR section) const;
    std::vector<CString> m_recentFiles;
    std::vector<std::unique_ptr<CDocTemplate>> m_docTemplates;
};

CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();

namespace platform {

// Starts Qt, pins the numeric locale, and runs the application: InitInstance, the message loop,
// ExitInstance. Returns the exit code.
int RunApplication(CWinApp& app, int argc, char** argv);

}  // namespace platform
