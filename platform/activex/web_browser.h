#pragma once
// The web browser control ("WebBrowser") on Qt WebEngine, and its wrapper CWebBrowser2.
//
// Members: 104 Navigate (URL, flags, target, post data, headers), 100 GoBack, 101 GoForward,
// 211 LocationURL (read), 501 QueryStatusWB (command) and 502 ExecWB (command, option, in, out)
// for print (6), copy (12) and clear selection (18). Events: 105 CommandStateChange (command:
// 1 forward, 2 back; enable) and 252 NavigateComplete2 (dispatch, URL).
//
// Local pages are served through our "worksheet:" scheme (web archives from their parts, which a
// "cid:" scheme also serves by Content-ID), so their scripts run and their links reach us: pages,
// archives and in-page anchors open here, anything else goes to the desktop. Nothing is fetched
// from the network. LocationURL reports the shown file's "file:" address with its fragment.
//
// Before its first page the control checks that the engine can start (its helper program is
// there; as root, its sandbox is turned off by the user); otherwise, or when the engine's page
// process dies, the pane says why, and the next navigation tries again.

#include <QByteArray>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>

#include "platform/activex/control_base.h"
#include "platform/base/file_limit.h"

class QStackedWidget;
class QLabel;
class QWebEngineView;
class QPrinter;

constexpr LONG OLECMDID_PRINT = 6;
constexpr LONG OLECMDID_COPY = 12;
constexpr LONG OLECMDID_CLEARSELECTION = 18;
constexpr LONG OLECMDEXECOPT_DODEFAULT = 0;
constexpr LONG OLECMDF_SUPPORTED = 1;
constexpr LONG OLECMDF_ENABLED = 2;
constexpr LONG CSC_NAVIGATEFORWARD = 1;
constexpr LONG CSC_NAVIGATEBACK = 2;
constexpr DISPID DISPID_COMMANDSTATECHANGE = 105;
constexpr DISPID DISPID_NAVIGATECOMPLETE2 = 252;

namespace platform::web {

class BrowserModel;

// "" when the engine can start here, else why not (a sentence).
CString EngineProblem();
// What the check looks at; tests replace it.
struct EngineFacts {
    bool root = false;
    bool sandboxOff = false;  // QTWEBENGINE_DISABLE_SANDBOX or --no-sandbox in the flags
    CString processPath;      // where the engine's helper program should be
};
EngineFacts CurrentEngineFacts();
CString EngineProblem(const EngineFacts& facts);
void SetEngineFactsForTest(std::function<EngineFacts()> facts);  // empty: the real ones
constexpr const char* kCannotShow = "Worksheets cannot be shown: ";

// The largest file the pane takes: pages, web archives and their pictures are served from
// memory, an archive's parts decoded beside it.
inline FileSizeLimit fileLimit{128ull << 20};
// The title of the page shown instead of one larger than that.
constexpr const char* kTooLargeTitle = "The page cannot be shown";

// What the "worksheet:" scheme answers for a local file: its bytes, a web archive's page (its
// parts then kept, in place of the last archive's, for the requests that follow), or for a page
// larger than the limit a short page that says so. Nothing for a file that cannot be read and for
// a picture larger than the limit.
struct ServedFile {
    QByteArray mimeType;
    QByteArray body;
};
std::optional<ServedFile> Serve(const QString& path);

// A local file's address in our scheme, and back ("" for another scheme).
QUrl WorksheetAddress(const QString& path);
QString LocalPathOf(const QUrl& address);

}  // namespace platform::web

class CWebBrowser : public CActiveXControl {
public:
    CWebBrowser();
    ~CWebBrowser() override;
    using CWnd::Create;
    DispatchHandle GetDispatch() const override;
    CString Dump() const override;

    void Navigate(const CString& url);
    void GoBack();
    void GoForward();
    CString LocationURL() const;
    LONG QueryStatus(LONG command) const;
    HRESULT Exec(LONG command, LONG option);

    // The engine's view (null while the engine cannot run) and the text the pane shows instead.
    QWebEngineView* View() const { return m_view; }
    CString PaneMessage() const;
    bool PrintPending() const { return m_printing != nullptr; }

    // Raised on the GUI thread by the page's signals.
    void UrlChanged(const QUrl& url);
    void HistoryChanged();
    void EngineStopped(int exitCode);

protected:
    QWidget* MakeWidget(QWidget* parentWidget, const CREATESTRUCT& cs) override;
    int OnCreate(LPCREATESTRUCT cs) override;
    void OnDestroy() override;

private:
    bool EnsureView();
    void ShowMessage(const CString& reason);
    std::shared_ptr<platform::web::BrowserModel> m_model;
    QStackedWidget* m_stack = nullptr;
    QLabel* m_message = nullptr;
    QWebEngineView* m_view = nullptr;
    QUrl m_location;
    std::shared_ptr<void> m_printing;  // the print dialog and its printer, until printFinished
};

class CWebBrowser2 : public CActiveXWrapper {
public:
    using CWnd::Create;
    BOOL Create(const RECT& rect, CWnd* parent, UINT id, DWORD style = WS_CHILD | WS_VISIBLE);
    void Navigate(const CString& url, const VARIANT* flags = nullptr,
                  const VARIANT* target = nullptr, const VARIANT* postData = nullptr,
                  const VARIANT* headers = nullptr) const;
    void GoBack() const { InvokeMethod(100); }
    void GoForward() const { InvokeMethod(101); }
    CString GetLocationURL() const { return GetDriver().GetString(211); }
    LONG QueryStatusWB(LONG command) const;
    void ExecWB(LONG command, LONG option, const VARIANT* in = nullptr,
                VARIANT* out = nullptr) const;
    CWebBrowser* Browser() const { return dynamic_cast<CWebBrowser*>(GetControl()); }
};
