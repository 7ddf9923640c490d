#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "platform/activex/event_sink.h"

namespace co = platform::coerce;

namespace {

TEST(DispatchTest, ArgumentsCoerceAsTheTableSays) {
    bool b = false;
    EXPECT_EQ(co::Bool(VarI4(0), b), S_OK);
    EXPECT_FALSE(b);
    EXPECT_EQ(co::Bool(VarI2(-1), b), S_OK);
    EXPECT_TRUE(b);
    EXPECT_EQ(co::Bool(VarR8(1), b), DISP_E_TYPEMISMATCH);
    LONG l = 0;
    EXPECT_EQ(co::I4(VarBool(true), l), S_OK);
    EXPECT_EQ(l, 1);
    EXPECT_EQ(co::I4(VarStr("1"), l), DISP_E_TYPEMISMATCH);
    SHORT s = 0;
    EXPECT_EQ(co::I2(VarI4(32767), s), S_OK);
    EXPECT_EQ(co::I2(VarI4(32768), s), DISP_E_TYPEMISMATCH);
    double d = 0;
    EXPECT_EQ(co::R8(VarI2(3), d), S_OK);
    EXPECT_EQ(d, 3);
    EXPECT_EQ(co::FiniteR8(VarR8(std::numeric_limits<double>::quiet_NaN()), d), E_INVALIDARG);
    EXPECT_EQ(d, 3);
    COLORREF c = 0;
    EXPECT_EQ(co::Color(VarI4(0xFFCD9B), c), S_OK);
    EXPECT_EQ(co::Color(VarI4(0x01000000), c), E_INVALIDARG);
    EXPECT_EQ(co::Color(VarI2(5), c), DISP_E_TYPEMISMATCH);
    EXPECT_EQ(c, 0xFFCD9Bu);
    DoubleArray a;
    EXPECT_EQ(co::Array(VarArray({1.0, 2.0}), a), S_OK);
    EXPECT_EQ(a->size(), 2u);
    EXPECT_EQ(co::Array(VarR8(1), a), DISP_E_TYPEMISMATCH);
}

TEST(DispatchTest, SinkHandlersBindTypedArgumentsAndWriteByReference) {
    platform::EventSinkTable sinks;
    std::vector<std::string> seen;
    sinks.On(1000, -602, [&](SHORT& key, SHORT shift) {
        seen.push_back("key " + std::to_string(key) + " " + std::to_string(shift));
        key = 0;
    });
    sinks.OnRange(4031, 4037, -600,
                  [&](UINT id) { seen.push_back("click " + std::to_string(id)); });
    sinks.On(1000, 5, [&](SHORT, SHORT, double x, double y, LONG plot, LONG point) {
        seen.push_back(CString::Formatted("plot %g %g %d %d", x, y, plot, point).str());
    });
    std::vector<VARIANT> key{VarI2(65), VarI2(1)};
    EXPECT_TRUE(sinks.Fire(1000, -602, key));
    EXPECT_EQ(key[0].iVal, 0);
    std::vector<VARIANT> none;
    EXPECT_TRUE(sinks.Fire(4035, -600, none));
    EXPECT_FALSE(sinks.Fire(4038, -600, none));
    std::vector<VARIANT> plot{VarI2(1), VarI2(0), VarR8(1.5), VarR8(2), VarI4(0), VarI4(7)};
    EXPECT_TRUE(sinks.Fire(1000, 5, plot));
    // Arguments that do not fit the handler: it is not called.
    std::vector<VARIANT> wrong{VarI4(65), VarI2(1)};
    EXPECT_FALSE(sinks.Fire(1000, -602, wrong));
    EXPECT_EQ(seen, (std::vector<std::string>{"key 65 1", "click 4035", "plot 1.5 2 0 7"}));
}

}  // namespace
