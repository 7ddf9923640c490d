#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <map>

#include "platform/base/registry.h"
#include "platform/comm/port_list.h"
#include "tests/support/core/harness.h"

namespace {

using platform::SerialPortEntry;
using platform::SerialPortKind;

// A /sys tree of tty devices in the test's folder.
class PortList : public testing_support::CoreHarnessTest {
protected:
    CString sys = env.File("sys");

    void AddTty(const char* name, bool device, const char* type = nullptr) {
        const QString dir = sys.ToQString() + "/class/tty/" + name;
        QDir().mkpath(device ? dir + "/device" : dir);
        if (type) {
            QFile f(dir + "/type");
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(type);
        }
    }
    void MakeTypicalTree() {
        AddTty("ttyS0", true, "4\n");  // a real UART
        AddTty("ttyS1", true, "0\n");  // a port the kernel registered but found nothing at
        AddTty("ttyS2", false);
        AddTty("ttyUSB0", true);
        AddTty("ttyUSB1", true);
        AddTty("ttyUSB40", true);  // beyond the table
        AddTty("ttyACM0", true);
        AddTty("rfcomm0", false);
        AddTty("tty0", false);  // a virtual console
        AddTty("console", false);
        AddTty("ptmx", false);
        AddTty("ttymxc1", true);
        AddTty("ttyAMA0", true);
    }
    std::map<int, SerialPortEntry> List() const {
        std::map<int, SerialPortEntry> byCom;
        int last = 0;
        for (const SerialPortEntry& e : platform::EnumerateSerialPorts(sys)) {
            EXPECT_GT(e.comNumber, last) << "the list is in ascending COM numbers";
            last = e.comNumber;
            byCom[e.comNumber] = e;
        }
        return byCom;
    }
};

// Sets an environment variable for one test.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const char* value) : m_name(name) { qputenv(name, value); }
    ~ScopedEnv() { qunsetenv(m_name); }

private:
    const char* m_name;
};

TEST_F(PortList, TableFromTheSysTree) {
    MakeTypicalTree();
    const std::map<int, SerialPortEntry> ports = List();
    struct Want {
        int com;
        const char* device;
        const char* valueName;
        SerialPortKind kind;
    };
    const Want wanted[] = {
        {1, "/dev/ttyS0", "\\Device\\Serial_ttyS0", SerialPortKind::Plain},
        {33, "/dev/ttyUSB0", "\\Device\\VCP_ttyUSB0", SerialPortKind::Vcp},
        {34, "/dev/ttyUSB1", "\\Device\\VCP_ttyUSB1", SerialPortKind::Vcp},
        {65, "/dev/ttyACM0", "\\Device\\VCP_ttyACM0", SerialPortKind::Vcp},
        {97, "/dev/rfcomm0", "\\Device\\btport_rfcomm0", SerialPortKind::Bluetooth},
        {129, "/dev/ttyAMA0", "\\Device\\Serial_ttyAMA0", SerialPortKind::Plain},
        {130, "/dev/ttymxc1", "\\Device\\Serial_ttymxc1", SerialPortKind::Plain},
    };
    ASSERT_EQ(ports.size(), std::size(wanted));
    for (const Want& w : wanted) {
        ASSERT_EQ(ports.count(w.com), 1u) << w.com;
        const SerialPortEntry& e = ports.at(w.com);
        EXPECT_EQ(e.devicePath, w.device);
        EXPECT_EQ(e.valueName, w.valueName);
        EXPECT_EQ(e.kind, w.kind);
        EXPECT_FALSE(e.overridden);
        EXPECT_EQ(e.PortName(), CString::Formatted("COM%d", w.com));
    }
    EXPECT_EQ(platform::ComPortDevice(33, sys), "/dev/ttyUSB0");
    EXPECT_EQ(platform::ComPortDevice(2, sys), "");
    EXPECT_TRUE(platform::EnumerateSerialPorts(env.File("missing")).empty());
}

TEST_F(PortList, EnvironmentAndRegistryPointNumbersAtAnyDevice) {
    MakeTypicalTree();
    // A by-id link to a USB adapter, followed to decide the kind.
    QDir().mkpath(env.File("dev").ToQString());
    QFile(env.File("dev/ttyUSB7").ToQString()).open(QIODevice::WriteOnly);
    ASSERT_TRUE(
        QFile::link(env.File("dev/ttyUSB7").ToQString(), env.File("usb-FTDI_if00").ToQString()));

    CRegKey key;
    ASSERT_EQ(key.Create(HKEY_LOCAL_MACHINE, platform::kComPortMapKey), ERROR_SUCCESS);
    key.SetStringValue("COM5", "/dev/rfcomm9");
    key.SetStringValue("COM3", "/dev/ttyS9");  // the environment wins
    key.SetStringValue("COM999", "/dev/null");
    key.SetStringValue("Comment", "not a port");

    const CString byId = env.File("usb-FTDI_if00");
    const ScopedEnv pts("VARNEL_COM3", "/dev/pts/7");
    const ScopedEnv moved("VARNEL_COM200", "/dev/ttyUSB1");
    const ScopedEnv removed("VARNEL_COM65", "");
    const ScopedEnv link("VARNEL_COM7", byId.GetString());
    const ScopedEnv zero("VARNEL_COM0", "/dev/pts/1");
    const ScopedEnv big("VARNEL_COM256", "/dev/pts/2");

    const std::map<int, SerialPortEntry> ports = List();
    ASSERT_EQ(ports.count(3), 1u);
    EXPECT_EQ(ports.at(3).devicePath, "/dev/pts/7");
    EXPECT_EQ(ports.at(3).valueName, "\\Device\\Serial_pts7");
    EXPECT_TRUE(ports.at(3).overridden);
    EXPECT_EQ(ports.at(5).kind, SerialPortKind::Bluetooth);
    EXPECT_EQ(ports.at(7).devicePath, byId);
    EXPECT_EQ(ports.at(7).kind, SerialPortKind::Vcp);
    EXPECT_EQ(ports.at(200).devicePath, "/dev/ttyUSB1");
    EXPECT_EQ(ports.at(200).kind, SerialPortKind::Vcp);
    EXPECT_EQ(ports.count(34), 0u);  // the adapter left its own number
    EXPECT_EQ(ports.count(33), 1u);
    EXPECT_EQ(ports.count(65), 0u);  // an empty path removes the number
    EXPECT_EQ(ports.count(0), 0u);
    EXPECT_EQ(ports.count(256), 0u);

    SerialPortEntry entry;
    ASSERT_TRUE(platform::FindComPort(200, entry, sys));
    EXPECT_EQ(entry.valueName, "\\Device\\VCP_ttyUSB1");
    EXPECT_FALSE(platform::FindComPort(34, entry, sys));
}

}  // namespace
