#include "tests/support/core/harness.h"

#include <unistd.h>
#include <QCoreApplication>
#include <QDir>
#include <QFile>

#include "platform/base/registry.h"

namespace testing_support {

// ---- TempEnvironment ----

TempEnvironment::TempEnvironment()
    : m_oldData(qgetenv("XDG_DATA_HOME")),
      m_oldConfig(qgetenv("XDG_CONFIG_HOME")),
      m_hadData(qEnvironmentVariableIsSet("XDG_DATA_HOME")),
      m_hadConfig(qEnvironmentVariableIsSet("XDG_CONFIG_HOME")) {
    QDir().mkpath(m_dir.path() + "/data");
    QDir().mkpath(m_dir.path() + "/config");
    qputenv("XDG_DATA_HOME", (m_dir.path() + "/data").toUtf8());
    qputenv("XDG_CONFIG_HOME", (m_dir.path() + "/config").toUtf8());
    platform::SetRegistryFile(File("registry.ini"));
}

TempEnvironment::~TempEnvironment() {
    platform::SetRegistryFile(CString());
    if (m_hadData)
        qputenv("XDG_DATA_HOME", m_oldData);
    else
        qunsetenv("XDG_DATA_HOME");
    if (m_hadConfig)
        qputenv("XDG_CONFIG_HOME", m_oldConfig);
    else
        qunsetenv("XDG_CONFIG_HOME");
}

CString TempEnvironment::Path() const {
    return CString(m_dir.path());
}
CString TempEnvironment::File(const char* name) const {
    return CString(m_dir.filePath(name));
}
CString TempEnvironment::DataHome() const {
    return CString(m_dir.path() + "/data");
}

// ---- PromptScript ----

PromptScript::PromptScript() : m_previous(GetUserPrompt()) {
    InstallUserPrompt(this);
}

PromptScript::~PromptScript() {
    InstallUserPrompt(m_previous);
    for (const Step& s : m_steps)
        ADD_FAILURE() << "Expected message never shown: \"" << s.text.GetString() << "\"";
}

PromptScript& PromptScript::ExpectMessage(const CString& text, int answer) {
    m_steps.push_back({text, answer});
    return *this;
}

int PromptScript::Answer(const CString& text, int unexpected) {
    m_shown.push_back(text);
    if (m_steps.empty() || !(m_steps.front().text == text)) {
        ADD_FAILURE() << "Unexpected message: \"" << text.GetString() << "\""
                      << (m_steps.empty() ? "" : " (expected a different message)");
        return unexpected;
    }
    const int answer = m_steps.front().answer;
    m_steps.pop_front();
    return answer;
}

BYTE PromptScript::ShowMessage(const CString& text, UINT, BOOL&) {
    return BYTE(Answer(text, IDCANCEL));
}

int PromptScript::MessageBox(const CString& text, const CString&, UINT) {
    return Answer(text, IDCANCEL);
}

// ---- leftovers ----

namespace {
class LeftoverPrompt : public CUserPrompt {
public:
    BYTE ShowMessage(const CString&, UINT, BOOL&) override { return IDCANCEL; }
    int MessageBox(const CString&, const CString&, UINT) override { return IDCANCEL; }
};
}  // namespace

void DrainLeftoverCoreEvents() {
    LeftoverPrompt closer;
    CUserPrompt* const previous = GetUserPrompt();
    InstallUserPrompt(&closer);
    // An answered message may post again; a few rounds reach the end of such chains.
    for (int round = 0; round < 3; ++round) {
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    InstallUserPrompt(previous);
}

void EnsureRuntimeFolder() {
    if (qEnvironmentVariableIsSet("XDG_RUNTIME_DIR")) return;
    const QString runtime = QDir::tempPath() + "/varnel-tests-runtime-" + QString::number(getuid());
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime,
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("XDG_RUNTIME_DIR", runtime.toUtf8());
}

// ---- LogCapture ----

namespace {
LogCapture* g_capture = nullptr;
}

LogCapture::LogCapture(const char* category) : m_category(category) {
    g_capture = this;
    m_previous = qInstallMessageHandler(
        [](QtMsgType type, const QMessageLogContext& context, const QString& text) {
            if (g_capture && context.category && g_capture->m_category == context.category)
                g_capture->messages.push_back(text);
            else if (g_capture && g_capture->m_previous)
                g_capture->m_previous(type, context, text);
        });
}

LogCapture::~LogCapture() {
    qInstallMessageHandler(m_previous);
    g_capture = nullptr;
}

}  // namespace testing_support
