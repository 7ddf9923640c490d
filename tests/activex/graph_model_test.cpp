#include <cmath>
#include <limits>

#include "tests/activex/fixture.h"

using namespace activex_test;

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

class GraphModelTest : public GraphTest {
protected:
    // An object of each kind, by name.
    CDispatchDriver Object(const std::string& kind) {
        if (kind == "graph") return G();
        if (kind == "plot")
            return Plots().Count() ? Plots().Item(1) : AddPlot({0, 1, 2}, {5, 6, 7});
        if (kind == "axis") return Axes().Item(2);
        if (kind == "xaxis") return Axes().Item(1);
        if (kind == "ticks") return Axes().Item(2).GetObject(10);
        if (kind == "axis-caption") return Axes().Item(2).GetObject(12);
        if (kind == "cursor") return Cursors().Item(2);
        if (kind == "annotation") return Annotations().Item(1);
        if (kind == "caption") return Annotations().Item(1).GetObject(6);
        if (kind == "shape") return Annotations().Item(1).GetObject(7);
        if (kind == "connector") return Annotations().Item(1).GetObject(8);
        ADD_FAILURE() << kind;
        return {};
    }
    CString Dump() { return Control().Dump(); }
};

struct RoundTrip {
    const char* kind;
    DISPID id;
    VARIANT in;
    std::string out;
};

TEST_F(GraphModelTest, EverySettableMemberReadsBackWhatWasPut) {
    const RoundTrip rows[] = {
        {"graph", 3, VarI4(6), "6"},
        {"graph", -518, VarStr("Run 1"), "\"Run 1\""},
        {"graph", 9001, VarI4(0xFFFFFF), "16777215"},
        {"plot", 1, VarI4(3), "3"},
        {"plot", 2, VarI4(12), "12"},
        {"plot", 3, VarStr("2"), "\"2\""},
        {"plot", 4, VarI4(5), "5"},
        {"plot", 12, VarBool(false), "F"},
        {"plot", 14, VarI4(0x0000FF), "255"},
        {"plot", 15, VarI4(0x00FF00), "65280"},
        {"plot", 16, VarI4(0xFFCD9B), "16764315"},
        {"plot", 9020, VarI4(1), "1"},
        {"axis", 1, VarBool(true), "T"},
        {"axis", 2, VarR8(20), "20"},
        {"axis", 3, VarI2(-5), "-5"},
        {"axis", 5, VarI4(0x0000FF), "255"},
        {"axis", 9, VarI4(1), "T"},
        {"axis", 11, VarStr("*1.8+32.##"), "\"*1.8+32.##\""},
        {"axis", 13, VarBool(false), "F"},
        {"axis", 17, VarI4(0x123456), "1193046"},
        {"axis", -518, VarStr("Temperature(C)"), "\"Temperature(C)\""},
        {"axis", 9030, VarR8(2.5), "2.5"},
        {"xaxis", 9031, VarR8(1.5), "1.5"},
        {"ticks", 3, VarBool(false), "F"},
        {"ticks", 4, VarBool(true), "T"},
        {"ticks", 9, VarBool(false), "F"},
        {"ticks", 10, VarBool(false), "F"},
        {"ticks", 12, VarBool(true), "T"},
        {"ticks", 13, VarBool(true), "T"},
        {"ticks", 14, VarBool(true), "T"},
        {"ticks", 19, VarI4(0xFF), "255"},
        {"ticks", 20, VarI4(0xFF00), "65280"},
        {"axis-caption", 4, VarBool(true), "T"},
        {"cursor", 1, VarR8(3.5), "3.5"},
        {"cursor", 9040, VarR8(-2), "-2"},
        {"cursor", 9, VarBool(true), "T"},
        {"annotation", 1, VarI4(1), "T"},
        {"annotation", 2, VarI4(0), "0"},
        {"annotation", 4, VarI4(17), "17"},
        {"annotation", 5, VarI4(3), "3"},
        {"caption", 1, VarStr("peak"), "\"peak\""},
        {"caption", 2, VarR8(1.25), "1.25"},
        {"caption", 3, VarR8(-7), "-7"},
        {"caption", 4, VarI4(1), "1"},
        {"caption", 6, VarI4(6), "6"},
        {"shape", 1, VarI4(4), "4"},
        {"shape", 4, VarI4(0xFFCD9B), "16764315"},
        {"shape", 5, VarBool(true), "T"},
        {"shape", 8, VarBool(false), "F"},
        {"shape", 11, VarBool(true), "T"},
        {"shape", 6, VarI4(2), "2"},
        {"shape", 7, VarI4(2), "2"},
        {"connector", 2, VarI4(2), "2"},
    };
    for (const RoundTrip& r : rows) {
        SCOPED_TRACE(std::string(r.kind) + " " + std::to_string(r.id));
        const CDispatchDriver d = Object(r.kind);
        ASSERT_EQ(Put(d, r.id, r.in), S_OK);
        VARIANT out;
        ASSERT_EQ(Get(d, r.id, out), S_OK);
        EXPECT_EQ(Text(out), r.out);
    }
}

TEST_F(GraphModelTest, ANewGraphAndANewPlotHaveTheirDefaults) {
    EXPECT_EQ(G().GetLong(3), 1);
    EXPECT_EQ(G().GetLong(9001), 0xF0F0F0);
    EXPECT_EQ(Plots().Count(), 0);
    ASSERT_EQ(Axes().Count(), 2);
    for (LONG i : {1, 2}) {
        const CDispatchDriver a = Axes().Item(i);
        EXPECT_EQ(a.GetDouble(3), 0);
        EXPECT_EQ(a.GetDouble(2), 10);
        EXPECT_FALSE(a.GetBool(9));
        EXPECT_TRUE(a.GetBool(13));
    }
    ASSERT_EQ(Cursors().Count(), 3);
    for (LONG i = 1; i <= 3; ++i) {
        EXPECT_FALSE(Cursors().Item(i).GetBool(9));
        EXPECT_TRUE(Cursors().Item(i).GetObject(8).IsNull());
        EXPECT_EQ(Cursors().Item(i).GetLong(6), -1);
    }
    ASSERT_EQ(Annotations().Count(), 3);
    for (LONG i = 1; i <= 3; ++i)
        EXPECT_FALSE(Annotations().Item(i).GetBool(1));

    const CDispatchDriver p = Add(Plots());
    EXPECT_EQ(p.GetLong(1), 1);
    EXPECT_EQ(p.GetLong(2), 0);
    EXPECT_EQ(p.GetString(3), "");
    VARIANT width;
    ASSERT_EQ(Get(p, 4, width), S_OK);
    EXPECT_EQ(width.vt, VT_I2);
    EXPECT_EQ(width.iVal, 1);
    EXPECT_TRUE(p.GetBool(12));
    EXPECT_TRUE(p.GetObject(13).GetHandle().SameObject(Axes().Item(2).GetHandle()));
    EXPECT_EQ(p.GetLong(14), 0);
    EXPECT_EQ(p.GetLong(15), 0);
    EXPECT_EQ(p.GetLong(16), 0xC0C0C0);
    EXPECT_EQ(p.GetLong(9020), 0);
    EXPECT_EQ(Axes().Count(), 2);  // adding a plot never changes the axes
    const CDispatchDriver added = Add(Annotations());
    EXPECT_TRUE(added.GetBool(1));
    EXPECT_EQ(added.GetLong(5), 5);
}

struct ErrorCase {
    const char* kind;
    DISPID id;
    WORD call;
    std::vector<VARIANT> args;
    HRESULT code;
};

TEST_F(GraphModelTest, AFailedCallReturnsItsCodeAndChangesNothing) {
    const CDispatchDriver plot = AddPlot({0, 1, 2}, {1, 2, 3});
    const ErrorCase rows[] = {
        {"graph", 4242, DISPATCH_PROPERTYGET, {}, DISP_E_MEMBERNOTFOUND},
        {"plot", 4242, DISPATCH_PROPERTYPUT, {VarI4(1)}, DISP_E_MEMBERNOTFOUND},
        {"axis", 4242, DISPATCH_METHOD, {}, DISP_E_MEMBERNOTFOUND},
        {"cursor", 4242, DISPATCH_PROPERTYGET, {}, DISP_E_MEMBERNOTFOUND},
        {"annotation", 4242, DISPATCH_PROPERTYGET, {}, DISP_E_MEMBERNOTFOUND},
        {"shape", 4242, DISPATCH_PROPERTYGET, {}, DISP_E_MEMBERNOTFOUND},
        // Property as method, method as property, a put to a read-only member.
        {"graph", 3, DISPATCH_METHOD, {VarI4(2)}, DISP_E_MEMBERNOTFOUND},
        {"graph", 19, DISPATCH_PROPERTYGET, {}, DISP_E_MEMBERNOTFOUND},
        {"graph", 10, DISPATCH_PROPERTYPUT, {VarI4(1)}, DISP_E_MEMBERNOTFOUND},
        {"graph", 9003, DISPATCH_PROPERTYPUT, {VarI4(1)}, DISP_E_MEMBERNOTFOUND},
        // Wrong types.
        {"axis", 2, DISPATCH_PROPERTYPUT, {VarStr("12")}, DISP_E_TYPEMISMATCH},
        {"plot", 14, DISPATCH_PROPERTYPUT, {VarI4(static_cast<LONG>(0x01000000))}, E_INVALIDARG},
        {"plot", 14, DISPATCH_PROPERTYPUT, {VarR8(255)}, DISP_E_TYPEMISMATCH},
        {"plot", 4, DISPATCH_PROPERTYPUT, {VarI4(100000)}, DISP_E_TYPEMISMATCH},
        {"plot", 3, DISPATCH_PROPERTYPUT, {VarI4(2)}, DISP_E_TYPEMISMATCH},
        {"plot", 21, DISPATCH_METHOD, {VarR8(1), VarR8(2)}, DISP_E_TYPEMISMATCH},
        // Wrong argument counts.
        {"plot", 21, DISPATCH_METHOD, {VarArray({1.0})}, DISP_E_BADPARAMCOUNT},
        {"graph", 3, DISPATCH_PROPERTYGET, {VarI4(1)}, DISP_E_BADPARAMCOUNT},
        {"graph", 3, DISPATCH_PROPERTYPUT, {}, DISP_E_BADPARAMCOUNT},
        {"graph", 21, DISPATCH_METHOD, {}, DISP_E_BADPARAMCOUNT},
        // Values outside the member's domain.
        {"graph", 3, DISPATCH_PROPERTYPUT, {VarI4(4)}, E_INVALIDARG},
        {"graph", 21, DISPATCH_METHOD, {VarI4(3)}, E_INVALIDARG},
        {"plot", 1, DISPATCH_PROPERTYPUT, {VarI4(5)}, E_INVALIDARG},
        {"plot", 2, DISPATCH_PROPERTYPUT, {VarI4(23)}, E_INVALIDARG},
        {"plot", 4, DISPATCH_PROPERTYPUT, {VarI4(21)}, E_INVALIDARG},
        {"plot", 13, DISPATCH_PROPERTYPUT, {VarI4(1)}, E_INVALIDARG},
        {"xaxis", 9031, DISPATCH_PROPERTYPUT, {VarR8(0)}, E_INVALIDARG},
        {"plot", 13, DISPATCH_PROPERTYPUT, {VarI4(3)}, E_INVALIDARG},
        {"plot", 21, DISPATCH_METHOD, {VarArray({1.0, 2.0}), VarArray({1.0})}, E_INVALIDARG},
        {"plot", 9021, DISPATCH_METHOD, {VarArray({1.0, 2.0}), VarArray({1.0})}, E_INVALIDARG},
        {"plot", 9021, DISPATCH_METHOD, {VarArray({1.0}), VarR8(1)}, DISP_E_TYPEMISMATCH},
        {"plot", 9021, DISPATCH_METHOD, {VarArray({1.0})}, DISP_E_BADPARAMCOUNT},
        {"plot", 9021, DISPATCH_PROPERTYGET, {}, DISP_E_MEMBERNOTFOUND},
        {"axis", 2, DISPATCH_PROPERTYPUT, {VarR8(kNaN)}, E_INVALIDARG},
        {"axis", 3, DISPATCH_PROPERTYPUT, {VarR8(kInf)}, E_INVALIDARG},
        {"axis", 11, DISPATCH_PROPERTYPUT, {VarStr("*abc")}, E_INVALIDARG},
        {"axis", 9030, DISPATCH_PROPERTYPUT, {VarR8(-1)}, E_INVALIDARG},
        {"cursor", 9040, DISPATCH_PROPERTYPUT, {VarR8(kNaN)}, E_INVALIDARG},
        {"annotation", 2, DISPATCH_PROPERTYPUT, {VarI4(1)}, E_INVALIDARG},
        {"annotation", 5, DISPATCH_PROPERTYPUT, {VarI4(4)}, E_INVALIDARG},
        {"annotation", 10, DISPATCH_METHOD, {VarI4(3)}, E_INVALIDARG},
        {"caption", 4, DISPATCH_PROPERTYPUT, {VarI4(2)}, E_INVALIDARG},
        {"shape", 1, DISPATCH_PROPERTYPUT, {VarI4(3)}, E_INVALIDARG},
        {"shape",
         12,
         DISPATCH_METHOD,
         {VarArray({1.0}), VarArray(std::vector<double>{})},
         E_INVALIDARG},
        {"connector", 2, DISPATCH_PROPERTYPUT, {VarI4(3)}, E_INVALIDARG},
        {"graph", 514, DISPATCH_METHOD, {VarStr("/nonexistent/style.cwx")}, E_INVALIDARG},
        // Bad indexes.
        {"cursor", 6, DISPATCH_PROPERTYPUT, {VarI4(0)}, DISP_E_BADINDEX},
        {"cursor", 8, DISPATCH_PROPERTYPUT, {VarI4(2)}, DISP_E_BADINDEX},
    };
    for (const ErrorCase& r : rows) {
        SCOPED_TRACE(std::string(r.kind) + " " + std::to_string(r.id));
        const CDispatchDriver d = Object(r.kind);
        const CString before = Dump();
        VARIANT out;
        EXPECT_EQ(d.Invoke(r.id, r.call, r.args, &out), r.code);
        EXPECT_EQ(Dump(), before);
    }
    // Collections: bad indexes and members they do not have.
    const CString before = Dump();
    for (const CDispatchDriver& c : {Plots(), Axes(), Cursors(), Annotations()}) {
        VARIANT out;
        const VARIANT zero = VarI4(0), big = VarI4(99);
        EXPECT_EQ(c.GetProperty(0, out, std::span<const VARIANT>(&zero, 1)), DISP_E_BADINDEX);
        EXPECT_EQ(c.GetProperty(0, out, std::span<const VARIANT>(&big, 1)), DISP_E_BADINDEX);
    }
    for (const CDispatchDriver& c : {Plots(), Axes(), Annotations()})
        EXPECT_EQ(Call(c, 257, {VarI4(99)}), DISP_E_BADINDEX);
    EXPECT_EQ(Call(Cursors(), 258), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Call(Cursors(), 257, {VarI4(1)}), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Call(Axes(), 259), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Call(Axes(), 257, {VarI4(1)}), E_INVALIDARG);
    EXPECT_EQ(Call(Axes(), 257, {VarI4(2)}), E_INVALIDARG);
    EXPECT_EQ(Dump(), before);
    (void)plot;
}

TEST_F(GraphModelTest, StaleHandlesFailWithObjectGoneAndChangeNothing) {
    const CDispatchDriver plot = AddPlot({0, 1}, {1, 2});
    const CDispatchDriver note = Add(Annotations());
    const CDispatchDriver caption = note.GetObject(6);
    ASSERT_EQ(Call(Plots(), 257, {VarI4(1)}), S_OK);
    ASSERT_EQ(Call(Annotations(), 257, {VarI4(4)}), S_OK);
    const CString before = Dump();
    VARIANT out;
    EXPECT_EQ(Get(plot, 14, out), RPC_E_DISCONNECTED);
    EXPECT_EQ(Put(plot, 14, VarI4(5)), RPC_E_DISCONNECTED);
    EXPECT_EQ(Put(note, 1, VarBool(true)), RPC_E_DISCONNECTED);
    EXPECT_EQ(Put(caption, 1, VarStr("x")), RPC_E_DISCONNECTED);
    EXPECT_EQ(Dump(), before);
    // A stale plot handle given as an argument is an invalid value.
    EXPECT_EQ(Put(Cursors().Item(2), 8, VarObject(plot.GetHandle())), E_INVALIDARG);
    // A null handle fails the same way, and its typed helpers give the type's zero.
    const CDispatchDriver none = Cursors().Item(2).GetObject(8);
    EXPECT_TRUE(none.IsNull());
    EXPECT_EQ(Get(none, 3, out), RPC_E_DISCONNECTED);
    EXPECT_EQ(none.GetString(3), "");
    EXPECT_EQ(std::atoi(none.GetString(3)), 0);

    // Every object of a destroyed control is gone.
    const CDispatchDriver axis = Axes().Item(1);
    const CDispatchDriver graphObject = G();
    Control().DestroyWindow();
    EXPECT_EQ(Get(axis, 2, out), RPC_E_DISCONNECTED);
    EXPECT_EQ(Put(graphObject, 3, VarI4(2)), RPC_E_DISCONNECTED);
    EXPECT_EQ(graph.SetTrackMode(2), RPC_E_DISCONNECTED);
}

TEST_F(GraphModelTest, RemovingAPlotRenumbersTheRestAndReleasesWhatHungOnIt) {
    std::vector<CDispatchDriver> plots;
    for (int i = 1; i <= 4; ++i) {
        plots.push_back(AddPlot({0, 1, 2, 3}, {1.0 * i, 2.0 * i, 3.0 * i, 4.0 * i}));
        ASSERT_EQ(plots.back().SetString(3, CString::Formatted("%d", i)), S_OK);
    }
    const CDispatchDriver onSecond = Cursors().Item(2), onFourth = Cursors().Item(3);
    ASSERT_EQ(Put(onSecond, 8, VarI4(2)), S_OK);
    ASSERT_EQ(Put(onSecond, 9, VarBool(true)), S_OK);
    ASSERT_EQ(Put(onFourth, 8, VarObject(plots[3].GetHandle())), S_OK);
    ASSERT_EQ(Put(onFourth, 6, VarI4(1)), S_OK);
    ASSERT_EQ(Put(onFourth, 9, VarBool(true)), S_OK);
    const CDispatchDriver note = Add(Annotations());
    ASSERT_EQ(Put(note, 3, VarI4(2)), S_OK);

    ASSERT_EQ(Call(Plots(), 257, {VarI4(2)}), S_OK);
    EXPECT_EQ(Plots().Count(), 3);
    EXPECT_EQ(Plots().Item(2).GetString(3), "3");
    EXPECT_EQ(Plots().Item(3).GetString(3), "4");
    EXPECT_EQ(plots[2].GetString(3), "3");  // a handle to the old third plot still works
    VARIANT out;
    EXPECT_EQ(Get(plots[1], 3, out), RPC_E_DISCONNECTED);
    EXPECT_FALSE(onSecond.GetBool(9));
    EXPECT_TRUE(onSecond.GetObject(8).IsNull());
    EXPECT_EQ(onSecond.GetLong(6), -1);
    EXPECT_TRUE(onFourth.GetBool(9));
    EXPECT_EQ(onFourth.GetObject(8).GetString(3), "4");
    EXPECT_EQ(onFourth.GetLong(6), 1);
    EXPECT_TRUE(note.GetObject(3).IsNull());
    EXPECT_FALSE(note.GetBool(1));

    // Axes 3 and up can go; a plot on a removed axis falls back to axis 2.
    for (int i = 0; i < 3; ++i)
        Add(Axes());
    ASSERT_EQ(Put(Plots().Item(1), 13, VarI4(5)), S_OK);
    while (Axes().Count() > 2)
        ASSERT_EQ(Call(Axes(), 257, {VarI4(3)}), S_OK);
    EXPECT_TRUE(Plots().Item(1).GetObject(13).GetHandle().SameObject(Axes().Item(2).GetHandle()));

    ASSERT_EQ(Call(Plots(), 259), S_OK);
    EXPECT_EQ(Plots().Count(), 0);
    EXPECT_FALSE(onFourth.GetBool(9));
}

TEST_F(GraphModelTest, CursorsSnapToPointsBitForBit) {
    const std::vector<double> x{0.1, 0.2, 0.30000000000000004, 0.4};
    const CDispatchDriver plot = AddPlot(x, {5, 6, 7, 8});
    const CDispatchDriver c = Cursors().Item(2);
    ASSERT_EQ(Put(c, 8, VarObject(plot.GetHandle())), S_OK);
    EXPECT_EQ(c.GetLong(6), 3);  // no valid index before: the last point
    ASSERT_EQ(Put(c, 1, VarR8(0.29)), S_OK);
    EXPECT_EQ(c.GetLong(6), 2);
    EXPECT_EQ(c.GetDouble(1), x[2]);
    EXPECT_EQ(Put(c, 9040, VarR8(1)), E_INVALIDARG);  // Y is the point's while snapped
    // New points keep a valid index, else the last point; an empty plot gives -1.
    ASSERT_EQ(SetPoints(plot, {1, 2, 3}, {1, 2, 3}), S_OK);
    EXPECT_EQ(c.GetLong(6), 2);
    ASSERT_EQ(SetPoints(plot, {1, 2}, {1, 2}), S_OK);
    EXPECT_EQ(c.GetLong(6), 1);
    ASSERT_EQ(Call(G(), 19), S_OK);
    EXPECT_EQ(c.GetLong(6), -1);
    EXPECT_FALSE(c.GetObject(8).IsNull());  // the assignment stays
    ASSERT_EQ(Put(c, 8, VarI4(0)), S_OK);
    EXPECT_TRUE(c.GetObject(8).IsNull());
    ASSERT_EQ(Call(G(), 21, {VarI4(2)}), S_OK);
    EXPECT_NE(Control().Dump().Find("active=2"), -1);
}

struct RangeCase {
    double min, max;
    bool putMax;
    double value;
    HRESULT code;
    double newMin, newMax;
};

TEST_F(GraphModelTest, RangeEndsKeepTheMaximumAboveTheMinimum) {
    const RangeCase rows[] = {
        {0, 10, true, 20, S_OK, 0, 20},
        {0, 10, true, 0, S_OK, -10, 0},
        {0, 10, true, -5, S_OK, -15, -5},
        {0, 10, false, 5, S_OK, 5, 10},
        {0, 10, false, 10, S_OK, 10, 20},
        {0, 10, false, 30, S_OK, 30, 40},
        {0, 10, true, kNaN, E_INVALIDARG, 0, 10},
        {0, 10, false, kInf, E_INVALIDARG, 0, 10},
        {0, 10, false, -kInf, E_INVALIDARG, 0, 10},
    };
    const CDispatchDriver a = Axes().Item(2);
    for (const RangeCase& r : rows) {
        SCOPED_TRACE(
            CString::Formatted("%g..%g %s %g", r.min, r.max, r.putMax ? "max" : "min", r.value)
                .str());
        ASSERT_EQ(a.SetDouble(3, -1e9), S_OK);
        ASSERT_EQ(a.SetDouble(2, r.max), S_OK);
        ASSERT_EQ(a.SetDouble(3, r.min), S_OK);
        ASSERT_EQ(a.SetBool(9, true), S_OK);
        EXPECT_EQ(a.SetDouble(r.putMax ? 2 : 3, r.value), r.code);
        EXPECT_EQ(a.GetDouble(3), r.newMin);
        EXPECT_EQ(a.GetDouble(2), r.newMax);
        if (r.code == S_OK) {
            EXPECT_FALSE(a.GetBool(9));
        }
    }
    // Both ends put in either order end exactly where they were put.
    for (bool maxFirst : {true, false}) {
        ASSERT_EQ(a.SetDouble(2, 10), S_OK);
        ASSERT_EQ(a.SetDouble(3, 0), S_OK);
        ASSERT_EQ(a.SetDouble(maxFirst ? 2 : 3, maxFirst ? -40 : 50), S_OK);
        ASSERT_EQ(a.SetDouble(maxFirst ? 3 : 2, maxFirst ? -45 : 51), S_OK);
        EXPECT_EQ(a.GetDouble(3), maxFirst ? -45 : 50);
        EXPECT_EQ(a.GetDouble(2), maxFirst ? -40 : 51);
    }
}

TEST_F(GraphModelTest, AutoscaleFollowsTheDataOfItsPlots) {
    const CDispatchDriver p1 = AddPlot({0, 1, 2}, {2, 5, kNaN});
    const CDispatchDriver p2 = AddPlot({5, 6}, {-1, -1});
    ASSERT_EQ(Add(Axes()).SetBool(9, true), S_OK);
    ASSERT_EQ(Put(p2, 13, VarI4(3)), S_OK);
    const CDispatchDriver x = Axes().Item(1), y = Axes().Item(2), y3 = Axes().Item(3);
    ASSERT_EQ(x.SetBool(9, true), S_OK);
    ASSERT_EQ(y.SetBool(9, true), S_OK);
    EXPECT_EQ(x.GetDouble(3), 0);
    EXPECT_EQ(x.GetDouble(2), 6);
    EXPECT_EQ(y.GetDouble(3), 2);
    EXPECT_EQ(y.GetDouble(2), 5);
    EXPECT_EQ(y3.GetDouble(3), -2);  // a single value is widened to v +- 1
    EXPECT_EQ(y3.GetDouble(2), 0);
    ASSERT_EQ(SetPoints(p1, {0, 1}, {10, 20}), S_OK);
    EXPECT_EQ(y.GetDouble(2), 20);
    ASSERT_EQ(y.SetDouble(2, 30), S_OK);  // a put ends autoscale
    ASSERT_EQ(SetPoints(p1, {0, 1}, {10, 40}), S_OK);
    EXPECT_EQ(y.GetDouble(2), 30);
}

TEST_F(GraphModelTest, TheShippedStyleFilesLoadAndABadOneChangesNothing) {
    ASSERT_EQ(graph.LoadStyle(ProgramFile("BarGraphStyle.cwx")), S_OK);
    EXPECT_EQ(Annotations().Count(), 1);
    EXPECT_FALSE(Annotations().Item(1).GetBool(1));
    EXPECT_NE(Control().Dump().Find("style=bar"), -1);
    ASSERT_EQ(graph.LoadStyle(ProgramFile("StandardGraphStyle.cwx")), S_OK);
    EXPECT_EQ(Annotations().Count(), 3);
    EXPECT_NE(Control().Dump().Find("style=standard"), -1);

    const char* bad[] = {
        "graph-style 2\nkind = bar\n",
        "graph-style 1\nbackground = #FFFFFF\n",
        "graph-style 1\nkind = bar\ncolour = #FFFFFF\n",
        "graph-style 1\nkind = bar\nbackground = white\n",
        "graph-style 1\nkind = bar\nfont-size = 40\n",
        "graph-style 1\nkind = bar\nthis line has no equals sign\n",
    };
    AddPlot({0, 1}, {1, 2});
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        const CString path = env.File("bad.cwx");
        QFile f(path.ToQString());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(text);
        f.close();
        const CString before = Control().Dump();
        EXPECT_EQ(graph.LoadStyle(path), E_INVALIDARG);
        EXPECT_EQ(Control().Dump(), before);
    }
    const CString big = env.File("big.cwx");
    QFile f(big.ToQString());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write("graph-style 1\nkind = bar\n");
    f.write(QByteArray(70 * 1024, '#'));
    f.close();
    EXPECT_EQ(graph.LoadStyle(big), E_INVALIDARG);
}

}  // namespace
