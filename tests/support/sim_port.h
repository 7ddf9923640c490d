#pragma once
// A simulated logger line that a COM number names for the test's lifetime (through VARNEL_COM<n>),
// and a scoped environment variable.

#include <QByteArray>
#include <QtGlobal>
#include <memory>

#include "platform/base/cstring.h"
#include "tools/dorvik-sim/line.h"

namespace testing_support {

class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) {
        m_had = qEnvironmentVariableIsSet(name);
        m_old = qgetenv(name);
        qputenv(name, value);
    }
    ~ScopedEnv() {
        if (m_had)
            qputenv(m_name.constData(), m_old);
        else
            qunsetenv(m_name.constData());
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    QByteArray m_name;
    QByteArray m_old;
    bool m_had = false;
};

class SimulatedComPort {
public:
    SimulatedComPort(int com, std::unique_ptr<dorvik_sim::Model> model)
        : line(std::move(model)),
          comNumber(com),
          m_env(CString::Formatted("VARNEL_COM%d", com).GetString(), line.SlavePath().c_str()) {}
    SimulatedComPort(int com, DWORD baudRate)
        : SimulatedComPort(com, std::make_unique<dorvik_sim::ListeningModel>(baudRate)) {}

    // "\\.\COM<n>"
    CString DeviceName() const { return CString::Formatted("\\\\.\\COM%d", comNumber); }

    dorvik_sim::Line line;
    const int comNumber;

private:
    ScopedEnv m_env;
};

}  // namespace testing_support
