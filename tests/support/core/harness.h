#pragma once
// The harness of the core's tests, which run without a widget: a virtual clock, a temporary data
// root and registry, the user prompt answered by a script, and a log capture. The UI's harness
// (tests/support/harness.h) adds the modal script and the image helpers on top.

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <QtGlobal>
#include <deque>
#include <vector>

#include "logger/user_prompt.h"
#include "platform/msg/message_loop.h"

namespace testing_support {

// Installs a virtual clock for its lifetime.
class ScopedVirtualClock : public platform::VirtualClock {
public:
    ScopedVirtualClock() { platform::MessageLoop::Install(this); }
    ~ScopedVirtualClock() override { platform::MessageLoop::Install(nullptr); }
};

// A temporary folder that holds the registry file and stands in for the user's data and
// configuration folders (XDG_DATA_HOME, XDG_CONFIG_HOME) for its lifetime.
class TempEnvironment {
public:
    TempEnvironment();
    ~TempEnvironment();
    CString Path() const;                  // the folder
    CString File(const char* name) const;  // a path inside it
    CString DataHome() const;              // what Qt reports as the user's data folder root

private:
    QTemporaryDir m_dir;
    QByteArray m_oldData, m_oldConfig;
    bool m_hadData, m_hadConfig;
};

// Answers, while it lives, what the core tells the user, in the order the test expects it: the
// core's side of the modal script. A text nobody expects fails the test and is answered as a
// closed box; expectations left over fail it at the end.
class PromptScript : public CUserPrompt {
public:
    PromptScript();
    ~PromptScript() override;
    PromptScript(const PromptScript&) = delete;
    PromptScript& operator=(const PromptScript&) = delete;

    // A message with exactly this text; `answer` is the button pressed (IDOK, IDYES...).
    PromptScript& ExpectMessage(const CString& text, int answer);

    // The text of every message shown, in order.
    const std::vector<CString>& Shown() const { return m_shown; }
    size_t Pending() const { return m_steps.size(); }

    BYTE ShowMessage(const CString& text, UINT buttonSet, BOOL& showAgain) override;
    int MessageBox(const CString& text, const CString& caption, UINT type) override;

private:
    struct Step {
        CString text;
        int answer;
    };
    // The scripted answer, or `unexpected` with a test failure.
    int Answer(const CString& text, int unexpected);

    std::deque<Step> m_steps;
    std::vector<CString> m_shown;
    CUserPrompt* m_previous;
};

// Keeps, while it lives, what one logging category ("varnel.logger") writes, instead of printing
// it.
class LogCapture {
public:
    explicit LogCapture(const char* category);
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::vector<QString> messages;

private:
    QByteArray m_category;
    QtMessageHandler m_previous;
};

// Stands in for the application's prompt while it lives: keeps the texts the core would show and
// answers every box with `answer`.
class PromptRecorder : public CUserPrompt {
public:
    PromptRecorder() : m_previous(GetUserPrompt()) { InstallUserPrompt(this); }
    ~PromptRecorder() override { InstallUserPrompt(m_previous); }
    PromptRecorder(const PromptRecorder&) = delete;
    PromptRecorder& operator=(const PromptRecorder&) = delete;

    BYTE ShowMessage(const CString& text, UINT, BOOL&) override {
        texts.push_back(text);
        return BYTE(answer);
    }
    int MessageBox(const CString& text, const CString&, UINT) override {
        texts.push_back(text);
        return answer;
    }

    std::vector<CString> texts;
    int answer = IDOK;

private:
    CUserPrompt* m_previous;
};

// Runs what a finished test left in Qt's queue (a logger's late message, say) with every prompt
// answered as a closed box, so that it cannot land in the next test's script.
void DrainLeftoverCoreEvents();

// Sets XDG_RUNTIME_DIR to a private folder when it is not set, before Qt starts.
void EnsureRuntimeFolder();

class CoreHarnessTest : public ::testing::Test {
protected:
    ScopedVirtualClock clock;
    TempEnvironment env;
    PromptScript prompts;
};

}  // namespace testing_support
