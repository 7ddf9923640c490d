#include "platform/activex/web_browser.h"

#include <unistd.h>

#include <QAction>
#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLibraryInfo>
#include <QMimeDatabase>
#include <QPrinter>
#include <QStackedWidget>
#include <QTimer>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineUrlRequestJob>
#include <QWebEngineUrlScheme>
#include <QWebEngineUrlSchemeHandler>
#include <QWebEngineView>
#include <map>

#include "platform/activex/event_sink.h"
#include "platform/base/log.h"
#include "platform/base/mht_archive.h"
#include "platform/gdi/printer.h"
#include "platform/ui/shell.h"

namespace platform::web {

namespace {

constexpr const char* kScheme = "worksheet";
constexpr const char* kCidScheme = "cid";

std::function<EngineFacts()>& FactsOverride() {
    static std::function<EngineFacts()> f;
    return f;
}

bool IsPagePath(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == "htm" || suffix == "html" || suffix == "mht" || suffix == "mhtml";
}

bool IsArchivePath(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == "mht" || suffix == "mhtml";
}

QString AddressOfPath(const QString& path) {
    return WorksheetAddress(path).toString(QUrl::FullyEncoded);
}

// The parts of the archives opened so far, by the path they are served at and by Content-ID.
struct ArchiveParts {
    std::map<QString, mht::ServedPart> byPath;
    std::map<QString, QString> pathById;
};
ArchiveParts& Parts() {
    static ArchiveParts parts;
    return parts;
}

void Reply(QWebEngineUrlRequestJob* job, const QByteArray& mime, const QByteArray& body) {
    auto* buffer = new QBuffer(job);
    buffer->setData(body);
    job->reply(mime, buffer);
}

QByteArray MimeOf(const QString& path) {
    if (IsPagePath(path)) return "text/html";
    return QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension).name().toUtf8();
}

class WorksheetHandler : public QWebEngineUrlSchemeHandler {
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
    void requestStarted(QWebEngineUrlRequestJob* job) override {
        const std::optional<ServedFile> served = Serve(LocalPathOf(job->requestUrl()));
        if (!served) {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        Reply(job, served->mimeType, served->body);
    }
};

class CidHandler : public QWebEngineUrlSchemeHandler {
public:
    using QWebEngineUrlSchemeHandler::QWebEngineUrlSchemeHandler;
    void requestStarted(QWebEngineUrlRequestJob* job) override {
        const QString id = QUrl::fromPercentEncoding(job->requestUrl().path().toUtf8());
        auto it = Parts().pathById.find(id);
        if (it == Parts().pathById.end()) {
            job->fail(QWebEngineUrlRequestJob::UrlNotFound);
            return;
        }
        const mht::ServedPart& part = Parts().byPath[it->second];
        Reply(job, part.mimeType, part.body);
    }
};

// Pages fetch nothing from the network: a classroom works offline, and as root the engine runs
// without its sandbox.
class LocalOnly : public QWebEngineUrlRequestInterceptor {
public:
    using QWebEngineUrlRequestInterceptor::QWebEngineUrlRequestInterceptor;
    void interceptRequest(QWebEngineUrlRequestInfo& info) override {
        const QString scheme = info.requestUrl().scheme();
        if (scheme != kScheme && scheme != kCidScheme && scheme != "data" && scheme != "blob" &&
            scheme != "about") {
            qCInfo(lcBrowser, "blocked %s", qPrintable(info.requestUrl().toString()));
            info.block(true);
        }
    }
};

void RegisterSchemes() {
    static bool done = false;
    if (done) return;
    done = true;
    for (const char* name : {kScheme, kCidScheme}) {
        QWebEngineUrlScheme scheme(name);
        scheme.setSyntax(QWebEngineUrlScheme::Syntax::Path);
        scheme.setFlags(QWebEngineUrlScheme::LocalScheme | QWebEngineUrlScheme::LocalAccessAllowed);
        QWebEngineUrlScheme::registerScheme(scheme);
    }
}

QWebEngineProfile* Profile() {
    static QWebEngineProfile* profile = nullptr;
    if (!profile) {
        RegisterSchemes();
        // Off the record: nothing of the pages is kept on disk. It goes with the application.
        profile = new QWebEngineProfile(QCoreApplication::instance());
        profile->installUrlSchemeHandler(kScheme, new WorksheetHandler(profile));
        profile->installUrlSchemeHandler(kCidScheme, new CidHandler(profile));
        profile->setUrlRequestInterceptor(new LocalOnly(profile));
    }
    return profile;
}

}  // namespace

std::optional<ServedFile> Serve(const QString& path) {
    if (auto it = Parts().byPath.find(path); it != Parts().byPath.end())
        return ServedFile{it->second.mimeType, it->second.body};
    QFile file(path);
    if (path.isEmpty() || !file.open(QIODevice::ReadOnly)) {
        qCInfo(lcBrowser, "%s cannot be read", qPrintable(path));
        return std::nullopt;
    }
    if (!fileLimit.Admits(static_cast<ULONGLONG>(file.size()))) {
        qCWarning(lcBrowser, "%s is larger than %s and is not shown", qPrintable(path),
                  fileLimit.Text().GetString());
        if (!IsPagePath(path)) return std::nullopt;
        const QString text =
            QString("%1: \"%2\" is larger than %3.")
                .arg(kTooLargeTitle, QFileInfo(path).fileName(), fileLimit.Text().ToQString())
                .toHtmlEscaped();
        return ServedFile{"text/html;charset=utf-8",
                          QString("<html><head><title>%1</title></head>"
                                  "<body style='font-family:sans-serif'><p>%2</p></body></html>")
                              .arg(kTooLargeTitle, text)
                              .toUtf8()};
    }
    QByteArray data = file.readAll();
    file.close();
    if (!IsArchivePath(path)) return ServedFile{MimeOf(path), std::move(data)};
    mht::Archive archive;
    if (!mht::Parse(data, archive)) {
        qCInfo(lcBrowser, "%s is no web archive", qPrintable(path));
        return ServedFile{"text/plain", std::move(data)};
    }
    data = QByteArray();  // the parts hold what is needed
    mht::Served served = mht::Serve(archive, path, &AddressOfPath);
    archive = mht::Archive();
    // Only the archive shown is kept: its page is asked for again before its parts are.
    Parts() = ArchiveParts();
    for (mht::ServedPart& part : served.parts) {
        if (!part.contentId.isEmpty()) Parts().pathById[part.contentId] = part.path;
        const QString at = part.path;
        Parts().byPath[at] = std::move(part);
    }
    return ServedFile{"text/html;charset=utf-8", std::move(served.html)};
}

QUrl WorksheetAddress(const QString& path) {
    QUrl url;
    url.setScheme(kScheme);
    url.setPath(path);
    return url;
}

QString LocalPathOf(const QUrl& address) {
    if (address.scheme() == kScheme) return address.path();
    if (address.isLocalFile()) return address.toLocalFile();
    return QString();
}

EngineFacts CurrentEngineFacts() {
    if (FactsOverride()) return FactsOverride()();
    EngineFacts f;
    f.root = geteuid() == 0;
    const QByteArray off = qgetenv("QTWEBENGINE_DISABLE_SANDBOX");
    f.sandboxOff = (!off.isEmpty() && off != "0") ||
                   qgetenv("QTWEBENGINE_CHROMIUM_FLAGS").contains("--no-sandbox");
    const QString set = qEnvironmentVariable("QTWEBENGINEPROCESS_PATH");
    f.processPath =
        CString(set.isEmpty() ? QLibraryInfo::path(QLibraryInfo::LibraryExecutablesPath) +
                                    "/QtWebEngineProcess"
                              : set);
    return f;
}

CString EngineProblem(const EngineFacts& f) {
    if (f.root && !f.sandboxOff)
        return "Varnel runs as root, and the web engine runs as root only with its sandbox turned "
               "off (set QTWEBENGINE_DISABLE_SANDBOX=1, or start Varnel as a normal user).";
    const QFileInfo process(f.processPath.ToQString());
    if (!process.isFile() || !process.isExecutable())
        return "The web engine's program QtWebEngineProcess is not installed (Debian package "
               "libqt6webenginecore6-bin).";
    return CString();
}

CString EngineProblem() {
    return EngineProblem(CurrentEngineFacts());
}

void SetEngineFactsForTest(std::function<EngineFacts()> facts) {
    FactsOverride() = std::move(facts);
}

class BrowserModel : public DispatchTarget {
public:
    CWebBrowser* owner = nullptr;
    HRESULT InvokeObject(std::uint32_t, DISPID id, WORD, std::span<const VARIANT> args,
                         VARIANT* result) override {
        if (!owner) return RPC_E_DISCONNECTED;
        LONG a = 0, b = 0;
        CString s;
        switch (id) {
            case 104:
                if (args.empty()) return DISP_E_BADPARAMCOUNT;
                if (FAILED(coerce::String(args[0], s))) return DISP_E_TYPEMISMATCH;
                owner->Navigate(s);
                return S_OK;
            case 100:
                owner->GoBack();
                return S_OK;
            case 101:
                owner->GoForward();
                return S_OK;
            case 211:
                if (result) *result = VarStr(owner->LocationURL());
                return S_OK;
            case 501:
                if (args.empty()) return DISP_E_BADPARAMCOUNT;
                if (FAILED(coerce::I4(args[0], a))) return DISP_E_TYPEMISMATCH;
                if (result) *result = VarI4(owner->QueryStatus(a));
                return S_OK;
            case 502:
                if (args.size() < 2) return DISP_E_BADPARAMCOUNT;
                if (FAILED(coerce::I4(args[0], a)) || FAILED(coerce::I4(args[1], b)))
                    return DISP_E_TYPEMISMATCH;
                return owner->Exec(a, b);
            default:
                return DISP_E_MEMBERNOTFOUND;
        }
    }
};

namespace {

class WorksheetPage : public QWebEnginePage {
public:
    WorksheetPage(QWebEngineProfile* profile, QObject* parent) : QWebEnginePage(profile, parent) {}

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool mainFrame) override {
        const QString scheme = url.scheme();
        if (scheme == "about" || scheme == "data" || scheme == kCidScheme) return true;
        if (!mainFrame) return scheme == kScheme;
        // The program's own Navigate, and moves through what was already shown.
        if (type == NavigationTypeTyped && scheme == kScheme) return true;
        if (type == NavigationTypeBackForward || type == NavigationTypeReload) return true;
        if (scheme == kScheme || url.isLocalFile()) {
            const QString path = LocalPathOf(url);
            const bool sameDocument =
                url.adjusted(QUrl::RemoveFragment) == this->url().adjusted(QUrl::RemoveFragment);
            if (IsPagePath(path) || (sameDocument && url.hasFragment())) {
                if (scheme == kScheme) return true;
                // A file: link opens through our scheme, so the page keeps working.
                QUrl target = WorksheetAddress(path);
                target.setFragment(url.fragment());
                QTimer::singleShot(0, this, [this, target] { load(target); });
                return false;
            }
            ShellExecute(nullptr, "open", CString(path), nullptr, nullptr, 1);
            return false;
        }
        ShellExecute(nullptr, "open", CString(url.toString(QUrl::FullyEncoded)), nullptr, nullptr,
                     1);
        return false;
    }
    // A link for a new window opens here: the pane is the only window.
    QWebEnginePage* createWindow(WebWindowType) override { return this; }
};

}  // namespace

}  // namespace platform::web

using namespace platform::web;

// ---- CWebBrowser

CWebBrowser::CWebBrowser() = default;

CWebBrowser::~CWebBrowser() {
    if (m_hWnd) DestroyWindow();
}

QWidget* CWebBrowser::MakeWidget(QWidget* parentWidget, const CREATESTRUCT&) {
    m_stack = new QStackedWidget(parentWidget);
    m_message = new QLabel(m_stack);
    m_message->setWordWrap(true);
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setMargin(16);
    m_stack->addWidget(m_message);
    return m_stack;
}

int CWebBrowser::OnCreate(LPCREATESTRUCT) {
    m_model = std::make_shared<BrowserModel>();
    m_model->owner = this;
    return 0;
}

void CWebBrowser::OnDestroy() {
    if (m_model) m_model->owner = nullptr;
    m_model.reset();
    if (m_view) {
        // The page must go before the profile it belongs to.
        delete m_view;
        m_view = nullptr;
    }
    m_stack = nullptr;
    m_message = nullptr;
}

DispatchHandle CWebBrowser::GetDispatch() const {
    return m_model ? DispatchHandle(m_model, 1) : DispatchHandle();
}

CString CWebBrowser::Dump() const {
    return CString::Formatted("browser location=\"%s\" message=\"%s\"\n", LocationURL(),
                              PaneMessage());
}

void CWebBrowser::ShowMessage(const CString& reason) {
    qCWarning(lcBrowser, "%s%s", kCannotShow, reason.GetString());
    if (!m_message) return;
    m_message->setText((CString(kCannotShow) + reason).ToQString());
    m_stack->setCurrentWidget(m_message);
}

CString CWebBrowser::PaneMessage() const {
    if (!m_stack || m_stack->currentWidget() != m_message) return CString();
    return CString(m_message->text());
}

bool CWebBrowser::EnsureView() {
    if (m_view) return true;
    if (!m_stack) return false;
    const CString problem = EngineProblem();
    if (!problem.IsEmpty()) {
        ShowMessage(problem);
        return false;
    }
    m_view = new QWebEngineView(m_stack);
    auto* page = new WorksheetPage(Profile(), m_view);
    m_view->setPage(page);
    m_stack->addWidget(m_view);
    m_stack->setCurrentWidget(m_view);
    const platform::WindowWatch self(*this);
    QObject::connect(page, &QWebEnginePage::urlChanged, m_view, [self](const QUrl& url) {
        if (auto* b = dynamic_cast<CWebBrowser*>(self.Window())) b->UrlChanged(url);
    });
    for (auto action : {QWebEnginePage::Back, QWebEnginePage::Forward})
        QObject::connect(page->action(action), &QAction::changed, m_view, [self] {
            if (auto* b = dynamic_cast<CWebBrowser*>(self.Window())) b->HistoryChanged();
        });
    QObject::connect(page, &QWebEnginePage::renderProcessTerminated, m_view,
                     [self](QWebEnginePage::RenderProcessTerminationStatus status, int code) {
                         if (status == QWebEnginePage::NormalTerminationStatus) return;
                         if (auto* b = dynamic_cast<CWebBrowser*>(self.Window()))
                             b->EngineStopped(code);
                     });
    QObject::connect(m_view, &QWebEngineView::printFinished, m_view, [self](bool) {
        if (auto* b = dynamic_cast<CWebBrowser*>(self.Window())) b->m_printing.reset();
    });
    return true;
}

void CWebBrowser::EngineStopped(int exitCode) {
    ShowMessage(CString::Formatted("The web engine stopped (code %d).", exitCode));
    if (m_view) {
        m_view->deleteLater();
        m_view = nullptr;
    }
    m_printing.reset();
}

void CWebBrowser::Navigate(const CString& url) {
    if (!EnsureView()) return;
    const QString text = url.ToQString();
    QUrl target;
    if (text.startsWith('/')) {
        target = WorksheetAddress(text);
    } else {
        target = QUrl(text);
        if (target.isLocalFile()) {
            const QString fragment = target.fragment();
            target = WorksheetAddress(target.toLocalFile());
            if (!fragment.isEmpty()) target.setFragment(fragment);
        }
    }
    m_view->load(target);
}

void CWebBrowser::GoBack() {
    if (m_view) m_view->back();
}

void CWebBrowser::GoForward() {
    if (m_view) m_view->forward();
}

CString CWebBrowser::LocationURL() const {
    return CString(m_location.toString(QUrl::FullyEncoded));
}

LONG CWebBrowser::QueryStatus(LONG command) const {
    switch (command) {
        case OLECMDID_COPY:
        case OLECMDID_CLEARSELECTION:
            return OLECMDF_SUPPORTED |
                   (m_view && m_view->page()->hasSelection() ? OLECMDF_ENABLED : 0);
        case OLECMDID_PRINT:
            return OLECMDF_SUPPORTED | (m_view && !m_location.isEmpty() ? OLECMDF_ENABLED : 0);
        default:
            return 0;
    }
}

HRESULT CWebBrowser::Exec(LONG command, LONG) {
    if (!m_view) return E_INVALIDARG;
    switch (command) {
        case OLECMDID_COPY:
            // The engine copies only from a focused page; the selection is there.
            m_view->setFocus();
            m_view->page()->triggerAction(QWebEnginePage::Copy);
            return S_OK;
        case OLECMDID_CLEARSELECTION:
            m_view->page()->triggerAction(QWebEnginePage::Unselect);
            return S_OK;
        case OLECMDID_PRINT: {
            if (m_printing) return E_INVALIDARG;  // one job at a time
            auto dialog = std::make_shared<CPrintDialog>(FALSE);
            if (dialog->DoModal() != IDOK || !m_view) return S_OK;
            // The engine lays the pages out on its own thread: the printer lives until it is done.
            m_printing = dialog;
            m_view->print(dialog->GetPrinter());
            return S_OK;
        }
        default:
            return DISP_E_MEMBERNOTFOUND;
    }
}

void CWebBrowser::UrlChanged(const QUrl& url) {
    const QString path = LocalPathOf(url);
    if (path.isEmpty()) return;
    QUrl location = QUrl::fromLocalFile(path);
    if (url.hasFragment()) location.setFragment(url.fragment());
    m_location = location;
    const platform::WindowWatch self(*this);
    std::vector<VARIANT> args{VarObject(GetDispatch()), VarStr(LocationURL())};
    if (!Raise(self, DISPID_NAVIGATECOMPLETE2, args)) return;
    HistoryChanged();
}

void CWebBrowser::HistoryChanged() {
    if (!m_view) return;
    const platform::WindowWatch self(*this);
    const bool forward = m_view->page()->action(QWebEnginePage::Forward)->isEnabled();
    const bool back = m_view->page()->action(QWebEnginePage::Back)->isEnabled();
    std::vector<VARIANT> f{VarI4(CSC_NAVIGATEFORWARD), VarBool(forward)};
    if (!Raise(self, DISPID_COMMANDSTATECHANGE, f)) return;
    std::vector<VARIANT> b{VarI4(CSC_NAVIGATEBACK), VarBool(back)};
    Raise(self, DISPID_COMMANDSTATECHANGE, b);
}

// ---- CWebBrowser2

BOOL CWebBrowser2::Create(const RECT& rect, CWnd* parent, UINT id, DWORD style) {
    return CreateControl(std::make_unique<CWebBrowser>(), "WebBrowser", rect, parent, id, style);
}

void CWebBrowser2::Navigate(const CString& url, const VARIANT* flags, const VARIANT* target,
                            const VARIANT* postData, const VARIANT* headers) const {
    const VARIANT empty;
    const VARIANT args[5] = {VarStr(url), flags ? *flags : empty, target ? *target : empty,
                             postData ? *postData : empty, headers ? *headers : empty};
    InvokeMethod(104, args);
}

LONG CWebBrowser2::QueryStatusWB(LONG command) const {
    VARIANT result;
    const VARIANT arg = VarI4(command);
    if (FAILED(InvokeMethod(501, std::span<const VARIANT>(&arg, 1), &result))) return 0;
    return result.lVal;
}

void CWebBrowser2::ExecWB(LONG command, LONG option, const VARIANT*, VARIANT*) const {
    const VARIANT args[2] = {VarI4(command), VarI4(option)};
    InvokeMethod(502, args);
}
