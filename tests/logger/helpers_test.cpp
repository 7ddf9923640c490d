#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <cmath>

#include "logger/data_tree.h"
#include "logger/helpers.h"
#include "tests/support/core/harness.h"

namespace {

TEST(FormatValue, Table) {
    struct Case {
        double x;
        int decimals;
        bool sign;
        const char* text;
    };
    const Case cases[] = {
        {1.25, 4, false, "1.25"},
        {0.00005, 2, false, "5e-05"},  // this runtime's exponent form
        {-0.00005, 2, true, "-5e-05"},
        {0.0005, 2, false, "5e-04"},
        {3, 2, true, "+3"},
        {0, 2, false, "0"},
        {0, 2, true, "+0"},
        {12.5, 1, false, "12.5"},
        {-7.125, 2, false, "-7.12"},
        {0.1, 1, false, "0.1"},
        {1.1, 3, false, "1.1"},
        {2.5e12, 3, false, "2500000000000"},
        // x times 10^n is past 32 bits here and past 64 bits in the last rows.
        {123456789.5, 2, false, "123456789.5"},
        {1e20, 2, false, "100000000000000000000"},
        {-3.5e18, 4, true, "-3500000000000000000"},
        // Converted values are a little off their digits: the rounded text decides.
        {67.99999999999999, 3, true, "+68"},
        {74.99999999999999, 4, false, "75"},
        {7.5006156, 3, false, "7.501"},
        {-0.30000000000000004, 4, false, "-0.3"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatValue(c.x, c.decimals, c.sign), c.text) << c.x << " " << c.decimals;
}

TEST(FormatNumber, LeadingZerosDecideTheDecimals) {
    struct Case {
        double x;
        int extra;
        const char* text;
    };
    const Case cases[] = {
        {0.00123, 2, "0.0012"},
        {12.5, 2, "12.50"},
        {7, 2, "7"},
        {-0.5, 2, "-0.50"},
        {3e10, 2, "30000000000"},
        // Below the finest digit the rule can show (five zeros and no extra decimal) a value
        // rounds to nothing: it is 0, not a fraction of zeros.
        {0.0000001, 0, "0"},
        {-0.0000001, 0, "0"},
        {0.0000001, 2, "0.0000001"},
        {0.000004, 0, "0"},
        // Unit conversions leave noise past the shown digits: whole numbers stay whole, and
        // noise does not count as leading zeros.
        {1545.9999999999998, 2, "1546"},
        {1364.0000000000002, 2, "1364"},
        {-40.00000000000001, 2, "-40"},
        {82.39999999999999, 2, "82.40"},
        {0.09999999999999998, 2, "0.10"},
        {223.99999999999997, 2, "224"},       // -49.15 °C in kelvins
        {-57.010000000000005, 2, "-57.010"},  // -49.45 °C in °F: one zero, not two
        {20.005049961, 2, "20.0050"},         // digits are not rounded twice
        {-0.30000000000000004, 2, "-0.30"},
        {1.0000000000000002e-3, 2, "0.0010"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatNumber(c.x, c.extra), c.text) << c.x << " +" << c.extra;
}

TEST(FormatTimeValue, ModesAndCallersPatterns) {
    const CPreciseDateTime start(2024, 3, 5, 23, 59, 30);
    struct Case {
        int index;
        double interval;
        int mode;
        const char* format;
        const char* text;
    };
    const Case cases[] = {
        {3, 0.5, 1, "", "1.5"},
        {3, 0.5, 3, "", "1.5"},
        {45, 1, 4, "%02d:%02d", "00:15"},  // past midnight the clock wraps
        {10, 1, 4, "%d min %d s", "59 min 40 s"},
        {45, 1, 5, "", "00:00:15"},
        {45, 1, 6, "0", "06/03/2024 00:00:15"},  // and the date advances
        {45, 1, 6, "2", "06-Mar-24 00:00:15"},
        {45, 1, 6, "9", ""},
        // Samples: the sample number, counted from 0 as everywhere else.
        {5, 1, 7, "%d", "5"},
        {5, 1, 7, "%.1f", "5.0"},
        {5, 1, 7, "%5d|", "    5|"},
        {0, 1, 7, "%.0f", "0"},
        {5, 1, 8, "%d", ""},
        // A text from a file is never a format: only its numeric conversions are filled.
        {5, 1, 7, "%s%n%x %d", "%s%n%x 5"},
        {5, 1, 7, "%d %d %%", "5 %d %"},
        {5, 1, 7, "%99999d", "%99999d"},
        {45, 1, 4, "%*d %ld %d", "%*d %ld 0"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FormatTimeValue(c.index, start, c.interval, 1, c.mode, c.format), c.text)
            << c.mode << " " << c.format;
    EXPECT_EQ(FormatTimeValue(2, start, 0.5, 1000, 1, ""), "1000");  // the unit factor scales t
    EXPECT_EQ(FormatTimeValue(1, CPreciseDateTime(0, CPreciseDateTime::invalid), 1, 1, 5, ""), "");
    EXPECT_EQ(FormatTimeValue(1, start, 1e300, 1, 5, ""), "");
}

TEST(RateInfo, Table) {
    struct Case {
        WORD code;
        double seconds, inUnit;
        WORD unit;
    };
    const Case cases[] = {
        {0, 1, 1, 7},          {1, 1800, 0.5, 5},    {34, 1800, 0.5, 5},    {2, 600, 1.0 / 6, 5},
        {4, 120, 1.0 / 30, 5}, {8, 60, 1.0 / 60, 5}, {37, 60, 1.0 / 60, 5}, {16, 10, 10, 3},
        {32, 2, 2, 3},         {33, 3600, 1, 5},     {35, 900, 0.25, 5},    {36, 300, 1.0 / 12, 5},
        {38, 30, 30, 3},       {39, 15, 15, 3},      {40, 5, 5, 3},         {41, 1, 1, 3},
        {64, 1, 1, 3},         {48, 0.2, 0.2, 3},    {49, 0.1, 0.1, 3},     {128, 0.1, 0.1, 3},
        {50, 0.05, 0.05, 3},   {51, 0.02, 0.02, 3},  {255, 0.001, 1, 2},    {42, 0, 0, 0},
        {3, 0, 0, 0},          {52, 0, 0, 0},
    };
    for (const Case& c : cases) {
        const RateInfoStruct r = RateInfo(c.code);
        EXPECT_DOUBLE_EQ(r.intervalSeconds, c.seconds) << c.code;
        EXPECT_DOUBLE_EQ(r.unitInterval, c.inUnit) << c.code;
        EXPECT_EQ(r.timeUnit, c.unit) << c.code;
    }
    EXPECT_EQ(RateUnitFactor(3, 2), 1000);
    EXPECT_EQ(RateUnitFactor(5, 2), 3600000);
    EXPECT_EQ(RateUnitFactor(4, 3), 3600);
    EXPECT_EQ(RateUnitFactor(2, 3), 0.001);
    EXPECT_EQ(RateUnitFactor(3, 3), 1);
    EXPECT_EQ(RateUnitFactor(7, 3), 0);
    EXPECT_EQ(RateUnitFactor(3, 5), 0);
}

TEST(Helpers, SmallTextAndIndexHelpers) {
    const int bits[][2] = {{1, 0},  {2, 1},  {4, 2},   {8, 3}, {16, 4},
                           {32, 5}, {64, 6}, {128, 7}, {0, 2}, {3, 2}};
    for (const auto& b : bits)
        EXPECT_EQ(BitMaskToIndex(b[0]), b[1]) << b[0];
    EXPECT_TRUE(IsSingleChar("x", 'x'));
    EXPECT_FALSE(IsSingleChar("xx", 'x'));
    EXPECT_FALSE(IsSingleChar("", 'x'));

    // One second per sample is 1/86400 of a day, from a start one day after 1899-12-30.
    EXPECT_EQ(GraphTimeFormat(4, 41, CPreciseDateTime(1899, 12, 31, 0, 0, 0)),
              "nn:ss*0.000011574074074+1.000000");
    EXPECT_EQ(GraphTimeFormat(6, 41, CPreciseDateTime(1899, 12, 31, 12, 0, 0)),
              "mm/dd/yy hh:nn:ss*0.000011574074074+1.500000");
    EXPECT_EQ(GraphTimeFormat(3, 41, CPreciseDateTime()), "");

    std::vector<double> a, b, c;
    EXPECT_EQ(PairByIndex({2.7, 0.2, 1, 9, 0}, {30, 10, 20}, {1, 2, 3, 4, 5}, a, b, c), 3);
    EXPECT_EQ(a, (std::vector<double>{10, 20, 30}));
    EXPECT_EQ(b, (std::vector<double>{3, 1, 2}));
    EXPECT_EQ(c, (std::vector<double>{1, 2, 0}));
}

TEST(UnitConversions, TextsAndBothWays) {
    CString expression = "keep", unit = "keep";
    EXPECT_DOUBLE_EQ(ConvertTemperature(100, 1, expression, unit), 212);
    EXPECT_EQ(expression, "*1.8+32");
    EXPECT_EQ(unit, "°F");
    EXPECT_DOUBLE_EQ(ConvertTemperature(0, 2, expression, unit), 273.15);
    EXPECT_EQ(expression, "+273");
    EXPECT_EQ(unit, "°K");
    EXPECT_DOUBLE_EQ(ConvertTemperature(21.5, 0, expression, unit), 21.5);
    EXPECT_EQ(expression, "");
    EXPECT_EQ(unit, "°C");
    expression = unit = "keep";
    EXPECT_DOUBLE_EQ(ConvertTemperature(21.5, 3, expression, unit), 21.5);
    EXPECT_EQ(expression, "keep");
    EXPECT_EQ(unit, "keep");

    for (int u = 0; u <= 3; ++u)
        EXPECT_NEAR(ConvertTemperatureToCelsius(ConvertTemperatureValue(-40.25, u), u), -40.25,
                    1e-12)
            << u;
    EXPECT_DOUBLE_EQ(ConvertTemperatureValue(-40, 1), -40);

    struct Pressure {
        int unit;
        const char* expression;
        const char* text;
        double factor;
    };
    const Pressure pressures[] = {{0, "", "kPa", 1},
                                  {1, "*0.1450377", "psi", 0.1450377},
                                  {2, "*7.5006156", "mm Hg", 7.5006156},
                                  {3, "*0.2952998", "Inches Hg", 0.2952998},
                                  {4, "*0.0098692", "atm", 0.0098692},
                                  {5, "*10", "mBar", 10}};
    for (const Pressure& p : pressures) {
        EXPECT_DOUBLE_EQ(ConvertPressure(101.325, p.unit, expression, unit), 101.325 * p.factor);
        EXPECT_EQ(expression, p.expression);
        EXPECT_EQ(unit, p.text);
        EXPECT_NEAR(ConvertPressureToKPa(ConvertPressureValue(101.325, p.unit), p.unit), 101.325,
                    1e-12);
    }
    expression = unit = "keep";
    EXPECT_DOUBLE_EQ(ConvertPressure(101.325, 6, expression, unit), 101.325);
    EXPECT_EQ(unit, "keep");
    EXPECT_DOUBLE_EQ(ConvertPressureValue(5, -1), 5);
    EXPECT_DOUBLE_EQ(ConvertPressureToKPa(5, 6), 5);
}

TEST(SensorKinds, TemperatureAndPressureByModelKindAndId) {
    struct Case {
        BYTE model;
        WORD kind;
        BYTE id;
        bool temperature, pressure;
    };
    const Case cases[] = {
        {100, 5, 9, true, false},  {100, 6, 24, true, false}, {0, 0, 10, true, false},
        {0, 1, 16, true, false},   {100, 5, 18, false, true}, {0, 1, 19, false, true},
        {0, 4, 0, true, false},    {100, 0, 0, true, false},  {0, 6, 0, false, true},
        {100, 4, 0, false, true},  {100, 5, 8, false, false}, {0, 2, 9, false, false},
        {100, 6, 0, false, false}, {50, 5, 9, false, false},
    };
    for (const Case& c : cases) {
        CDataTreeBrench d;
        d.m_modelCode = c.model;
        d.m_inputKind = c.kind;
        d.m_sensorId = c.id;
        EXPECT_EQ(IsTemperatureSensor(&d), c.temperature)
            << int(c.model) << " " << c.kind << " " << int(c.id);
        EXPECT_EQ(IsPressureSensor(&d), c.pressure)
            << int(c.model) << " " << c.kind << " " << int(c.id);
    }
    EXPECT_FALSE(IsTemperatureSensor(nullptr));
    EXPECT_FALSE(IsPressureSensor(nullptr));
}

class Folders : public testing_support::CoreHarnessTest {};

TEST_F(Folders, DataRootFromTheRegistryOrTheUsersOwnFolder) {
    // Nothing stored: never the file system's root or the working folder.
    EXPECT_EQ(GetInstallPath(), "");
    const CString fallback = GetDataRoot();
    EXPECT_EQ(fallback,
              CString(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)) + "/");
    EXPECT_EQ(fallback.Left(env.DataHome().GetLength()), env.DataHome());

    SetInstallPath("/srv/varnel\\");
    EXPECT_EQ(GetInstallPath(), "/srv/varnel");
    EXPECT_EQ(GetDataRoot(), "/srv/varnel/");
    SetInstallPath("/srv/varnel");
    EXPECT_EQ(GetDataRoot(), "/srv/varnel/");
    SetInstallPath("/srv/varnel/");
    EXPECT_EQ(GetDataRoot(), "/srv/varnel/");

    EXPECT_EQ(GetExeFolder(), CString(QCoreApplication::applicationDirPath()) + "/");
}

class BluetoothFlags : public testing_support::CoreHarnessTest {};

TEST_F(BluetoothFlags, OnlyBluetoothPortsOfTheListAreFlagged) {
    const QString sys = env.File("sys").ToQString();
    for (const char* name : {"rfcomm0", "rfcomm2", "ttyUSB0", "ttyACM1", "ttyS0"}) {
        QDir().mkpath(sys + "/class/tty/" + name + "/device");
        QFile type(sys + "/class/tty/" + name + "/type");
        type.open(QIODevice::WriteOnly);
        type.write("4\n");
    }
    qputenv("VARNEL_COM12", "/dev/rfcomm5");
    BYTE flags[256];
    std::fill(std::begin(flags), std::end(flags), BYTE(1));
    EnumerateBluetoothComPorts(flags, env.File("sys"));
    qunsetenv("VARNEL_COM12");
    std::vector<int> flagged;
    for (int i = 0; i < 256; ++i)
        if (flags[i]) flagged.push_back(i);
    EXPECT_EQ(flagged, (std::vector<int>{12, 97, 99}));

    EnumerateBluetoothComPorts(flags, env.File("no-such-sys"));
    EXPECT_EQ(std::count(std::begin(flags), std::end(flags), 1), 0);
}

}  // namespace
