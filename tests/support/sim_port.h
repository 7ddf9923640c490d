#pragma once
// A simulated logger line that a COM number names for the test's lifetime (through VARNEL_COM<n>),
// a scoped environment variable, and a port list emptied for a test.

#include <QByteArray>
#include <QtGlobal>
#include <memory>
#include <vector>

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

// Takes every COM number out of the port list for its lifetime, so that a port search finds only
// the simulated lines a test makes afterwards (each names its number again).
class NoComPorts {
public:
    NoComPorts() {
        for (int com = 1; com <= 255; ++com)
            m_env.push_back(std::make_unique<ScopedEnv>(
                CString::Formatted("VARNEL_COM%d", com).GetString(), ""));
    }

private:
    std::vector<std::unique_ptr<ScopedEnv>> m_env;
};

}  // namespace testing_support
