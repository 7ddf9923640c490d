// The project file on its own: the bytes written against bytes put together by hand, the string
// and count forms, the older versions, and files that lie.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>

#include "models/varnel_file.h"
#include "platform/base/file.h"
#include "tests/support/harness.h"

namespace {

// A file's bytes, field by field, little-endian.
struct Bytes {
    std::vector<BYTE> b;
    Bytes& u8(unsigned v) {
        b.push_back(BYTE(v));
        return *this;
    }
    Bytes& u16(unsigned v) { return u8(v & 0xFF).u8(v >> 8 & 0xFF); }
    Bytes& u32(unsigned long v) { return u16(v & 0xFFFF).u16(v >> 16 & 0xFFFF); }
    Bytes& f64(double v) {
        BYTE raw[8];
        std::memcpy(raw, &v, 8);
        b.insert(b.end(), raw, raw + 8);
        return *this;
    }
    Bytes& length(size_t n) {
        if (n < 0xFF) return u8(unsigned(n));
        if (n < 0xFFFE) return u8(0xFF).u16(unsigned(n));
        return u8(0xFF).u16(0xFFFF).u32(n);
    }
    // Windows-1252 text, given as its bytes.
    Bytes& str(const std::string& s) {
        length(s.size());
        b.insert(b.end(), s.begin(), s.end());
        return *this;
    }
    // The Unicode form: marker, length in UTF-16 units, UTF-16LE.
    Bytes& wstr(const std::u16string& s) {
        u8(0xFF).u16(0xFFFE).length(s.size());
        for (char16_t c : s)
            u16(c);
        return *this;
    }
    Bytes& doubles(const std::vector<double>& v) {
        if (v.size() < 0xFFFF)
            u16(unsigned(v.size()));
        else
            u16(0xFFFF).u32(v.size());
        for (double d : v)
            f64(d);
        return *this;
    }
    Bytes& add(const Bytes& other) {
        b.insert(b.end(), other.b.begin(), other.b.end());
        return *this;
    }
};

// One data-set record as version `v` lays it out.
struct RecordBytes {
    std::string name = "Temp";
    std::string unit = "C";
    unsigned colour = 0x0000FF;
    unsigned second = 0xFFFF, third = 0;
    std::string video;
    unsigned rate = 8;
    double low = 0, high = 100;
    unsigned inputKind = 0, sensorId = 3;
    std::vector<unsigned> links;
    unsigned linkCount = ~0u;
    std::vector<double> x{0, 1}, y{20.5, 21};
    std::string extra;
    unsigned annotations = 0;
    unsigned model = 100;
    void To(Bytes& out, double v) const {
        out.str(name).str(unit).u32(0).u32(0).u32(1000).u32(colour).u16(second).u16(third);
        out.str(video).u16(rate).f64(low).f64(high).u16(inputKind);
        if (v > 1.0) out.u8(sensorId);
        out.u16(linkCount == ~0u ? unsigned(links.size()) : linkCount);
        for (unsigned l : links)
            out.u16(l);
        out.doubles(x).doubles(y).str(extra);
        if (v > 1.3) {
            out.u32(annotations);
            for (unsigned i = 0; i < annotations; ++i)
                out.f64(100).u32(i).u32(0).f64(1).str("note");
        }
        if (v > 1.4) out.u8(model);
    }
};

// A saved-graph plot record.
void PlotBytes(Bytes& out, unsigned branch, unsigned vt, unsigned number) {
    out.u32(1).u16(branch).u16(2).u32(0).str("").u32(0).f64(-99999999.0).f64(9999999.0).u16(vt);
    if (vt == 2) out.u16(number);
    out.u32(0x00FF00).u32(1).u32(1).u16(1).u32(0).u32(0).u32(0).str("").u16(0).u16(0).u16(0);
}

PlotRecordStruct PlotLike(CDataTreeBrench* set, int number) {
    PlotRecordStruct r;
    r.dataSet = set;
    r.decimals = 2;
    r.unit = "";
    r.colour = 0x00FF00;
    if (number) r.SetPlotNumber(number);
    return r;
}

// A whole file: header, one experiment and the given records, no fitted line, no graph (or one
// empty graph), modes and scroll run.
Bytes FileOf(const std::string& header, double v, const std::vector<RecordBytes>& records,
             bool withGraph = false, unsigned tables = 0, const Bytes& tableBytes = {}) {
    Bytes out;
    out.str(header).u16(unsigned(1 + records.size())).u32(1).str("Exp. 1").u16(0);
    for (const RecordBytes& r : records) {
        out.u32(0);
        r.To(out, v);
    }
    out.u16(0).u16(withGraph ? 1 : 0);
    if (withGraph) {
        out.str("Graph 1").u32(0).u16(0);
        PlotBytes(out, 9999, 0, 0);
        if (v > 1.1) out.u32(1);
    }
    out.u16(tables).add(tableBytes);
    out.u32(1).u32(3).u32(0).u32(2).u32(0).u32(1);
    return out;
}

// Equal bytes, or where they first differ.
::testing::AssertionResult SameBytes(const std::vector<BYTE>& a, const std::vector<BYTE>& b) {
    const auto m = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    if (m.first == a.end() && m.second == b.end()) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "sizes " << a.size() << " and " << b.size()
                                         << ", first difference at " << (m.first - a.begin());
}

class ProjectFileTest : public testing_support::HarnessTest {
protected:
    CString folder = env.Path() + "/";

    bool Read(const Bytes& bytes, ProjectContents& c) {
        return CVarnelFile::ReadBytes(bytes.b, folder, c);
    }
    void Touch(const char* name) { std::ofstream((folder + name).GetString()) << "video"; }
};

TEST_F(ProjectFileTest, WritesTheLayoutByteForByteAndReadsItBack) {
    Touch("P - Video 1.wmv");
    auto node = [](DWORD id, const char* name) {
        auto n = std::make_unique<CDataTreeBrench>();
        n->m_id = id;
        n->m_name = name;
        return n;
    };
    auto data = [&](DWORD id, const char* name, std::vector<double> y) {
        auto n = node(id, name);
        n->m_x = std::make_shared<CDataArray>();
        for (size_t i = 0; i < y.size(); ++i)
            n->m_x->push_back(double(i));
        n->m_y = std::make_shared<CDataArray>(std::move(y));
        n->m_startTime = CPreciseDateTime(1000, CPreciseDateTime::valid);
        n->m_colour = 0x0000FF;
        n->m_secondValue = -1;
        n->m_rateCode = 8;
        n->m_rangeMax = 100;
        n->m_sensorId = 3;
        n->m_modelCode = 100;
        n->m_unit = "C";
        return n;
    };
    auto expA = node(10, "Exp. 1");
    expA->m_experimentTexts = {"note"};
    auto a1 = data(11, "Temp", {20.5, 21});
    a1->m_unit =
        "\xC2\xB0"
        "C";
    a1->m_videoFile = "P - Video 1.wmv";
    a1->m_videoUnsaved = 0;
    a1->m_comment = "c";
    a1->m_annotations = {{1, "peak", 0.5, 80.0, 1}};
    auto a2 = data(12, "Kraft \xCE\xA9", {1, 2, 3});  // omega: not in Windows-1252
    auto expB = node(20, "Exp. 2");
    auto b1 = data(21, "Light", {});
    auto fit = data(31, "Fit", {5, 6});
    fit->m_derived = 1;
    a1->m_linkCount = 2, a1->m_links[0] = 12, a1->m_links[1] = 31;  // within, and to the fit
    a2->m_linkCount = 1, a2->m_links[0] = 11;
    fit->m_linkCount = 1, fit->m_links[0] = 11;
    CGraphTreeBrench graph;
    graph.m_name = "Graph 1";
    graph.m_plotCount = 2;
    graph.m_plots[0] = PlotLike(a1.get(), 1);
    graph.m_plots[1] = PlotLike(a2.get(), 2);
    graph.m_xAxis = PlotLike(nullptr, 0);

    ProjectImage image;
    image.dataBranches = {expA.get(), a1.get(), a2.get(), expB.get(), b1.get()};
    image.fittedLines = {fit.get()};
    image.graphs = {&graph};
    const LONG modes[5] = {1, 3, 0, 2, 0};
    std::copy(modes, modes + 5, image.displayModes);
    image.scrollRun = 1;

    Bytes want;
    want.str("VarnelFile v.1.5").u16(5);
    want.u32(1).str("Exp. 1").u16(1).str("note");
    want.u32(0);
    RecordBytes r1;
    r1.unit =
        "\xB0"
        "C",
    r1.video = "P - Video 1.wmv", r1.links = {2, 5}, r1.extra = "c";
    r1.To(want, 1.4);  // the annotation by hand, below
    want.b.resize(want.b.size() - 4);
    want.u32(1).f64(80.0).u32(1).u32(1).f64(0.5).str("peak").u8(100);
    want.u32(0);
    {
        // The Unicode form of the name.
        Bytes rec;
        rec.wstr(u"Kraft \u03A9");
        RecordBytes r2;
        r2.name = "", r2.links = {1}, r2.x = {0, 1, 2}, r2.y = {1, 2, 3};
        Bytes tail;
        r2.To(tail, 1.5);
        tail.b.erase(tail.b.begin());  // its empty name's length byte
        want.add(rec).add(tail);
    }
    want.u32(1).str("Exp. 2").u16(0);
    want.u32(0);
    RecordBytes r3;
    r3.name = "Light", r3.x = {}, r3.y = {};
    r3.To(want, 1.5);
    want.u16(1);
    RecordBytes rf;
    rf.name = "Fit", rf.links = {1}, rf.y = {5, 6};
    rf.To(want, 1.5);
    want.u16(1).str("Graph 1").u32(0).u16(2);
    PlotBytes(want, 1, 2, 1);
    PlotBytes(want, 2, 2, 2);
    PlotBytes(want, 9999, 0, 0);
    want.u32(0);
    want.u16(0).u32(1).u32(3).u32(0).u32(2).u32(0).u32(1);

    const std::vector<BYTE> written = CVarnelFile::BuildBytes(image);
    ASSERT_TRUE(SameBytes(written, want.b));

    ProjectContents c;
    ASSERT_TRUE(Read(want, c));
    EXPECT_DOUBLE_EQ(c.version, 1.5);
    ASSERT_EQ(c.branches.size(), 6u);
    EXPECT_EQ(c.dataBranchCount, 5);
    const CDataTreeBrench& ra1 = *c.branches[1].node;
    const CDataTreeBrench& ra2 = *c.branches[2].node;
    const CDataTreeBrench& rfit = *c.branches[5].node;
    EXPECT_EQ(c.branches[0].node->m_experimentTexts, std::vector<CString>{"note"});
    EXPECT_EQ(ra1.m_unit, a1->m_unit);
    EXPECT_EQ(ra1.m_videoFile, "P - Video 1.wmv");
    EXPECT_EQ(ra1.m_annotations, a1->m_annotations);
    EXPECT_EQ(*ra1.m_y, *a1->m_y);
    EXPECT_EQ(ra1.m_startTime.GetTicks(), 1000);
    EXPECT_EQ(ra2.m_name, a2->m_name);
    ASSERT_EQ(ra1.m_linkCount, 2);
    EXPECT_EQ(ra1.m_links[0], ra2.m_id);
    EXPECT_EQ(ra1.m_links[1], rfit.m_id);
    EXPECT_TRUE(c.branches[5].fittedLine);
    EXPECT_EQ(rfit.m_derived, 1);
    ASSERT_EQ(c.graphs.size(), 1u);
    EXPECT_EQ(c.graphs[0].m_plots[0].dataSet, &ra1);
    EXPECT_EQ(c.graphs[0].m_plots[1].dataSet, &ra2);
    EXPECT_EQ(c.graphs[0].m_plots[1].plotNumberType, PlotRecordStruct::kVtI2);
    EXPECT_EQ(c.graphs[0].m_xAxis.dataSet, nullptr);
    EXPECT_TRUE(c.hasDisplayModes);
    EXPECT_EQ(c.displayModes[1], 3);
    EXPECT_EQ(c.scrollRun, 1);
    // What was read writes the same bytes again.
    EXPECT_TRUE(SameBytes(CVarnelFile::BuildBytes(ProjectImage::Of(c)), want.b));
}

TEST_F(ProjectFileTest, AFittedLineTakesTheModelAndSensorOfTheDataItFits) {
    // The fitted data: a QK's pressure sensor (model 100, input 4, sensor 7), unit "KPa".
    RecordBytes source;
    source.name = "Pressure", source.unit = "KPa", source.inputKind = 4, source.sensorId = 7;
    struct Case {
        const char* name;
        double version;
        unsigned fitModel, fitSensor;  // as the fitted line's record holds them
        std::vector<unsigned> links;   // positions: 1 the source, 9999 none
        unsigned model, sensor;        // as the fitted line reads back
    } cases[] = {
        {"as this program writes it", 1.5, 100, 7, {1}, 100, 7},
        // The Windows program, opening and saving again, writes 0 for both.
        {"saved again by the Windows program", 1.5, 0, 0, {1}, 100, 7},
        {"without its link, its own", 1.5, 100, 7, {}, 100, 7},
        {"a link that points nowhere, its own", 1.5, 0, 0, {9999}, 0, 0},
        // Before 1.5 no record holds a model: both read 0, the sensor still follows.
        {"version 1.4", 1.4, 0, 0, {1}, 0, 7},
    };
    for (const Case& k : cases) {
        RecordBytes fit;
        fit.name = "Linear(Exp. 1 - Pressure)", fit.unit = "KPa", fit.inputKind = 4;
        fit.model = k.fitModel, fit.sensorId = k.fitSensor, fit.links = k.links;
        const std::string header = k.version > 1.4 ? "VarnelFile v.1.5" : "VarnelFile v.1.4";
        Bytes file;
        file.str(header).u16(2).u32(1).str("Exp. 1").u16(0).u32(0);
        source.To(file, k.version);
        file.u16(1);
        fit.To(file, k.version);
        file.u16(0).u16(0).u32(1).u32(3).u32(0).u32(2).u32(0).u32(1);
        ProjectContents c;
        ASSERT_TRUE(Read(file, c)) << k.name;
        ASSERT_EQ(c.branches.size(), 3u) << k.name;
        const CDataTreeBrench& read = *c.branches[2].node;
        EXPECT_TRUE(c.branches[2].fittedLine) << k.name;
        EXPECT_EQ(read.m_modelCode, k.model) << k.name;
        EXPECT_EQ(read.m_sensorId, k.sensor) << k.name;
        EXPECT_EQ(read.m_inputKind, 4) << k.name;
        // A 1.4 file's input 4 of model 0 is a basic temperature in °F: both read as °C.
        EXPECT_EQ(read.m_unit, c.branches[1].node->m_unit) << k.name;
        EXPECT_EQ(read.m_unit, k.version > 1.4 ? "KPa"
                                               : "\xC2\xB0"
                                                 "C")
            << k.name;
    }
}

TEST_F(ProjectFileTest, LongStringsAndArraysTakeTheLongForms) {
    struct Case {
        size_t length;
        std::vector<BYTE> prefix;
    };
    const Case cases[] = {{254, {0xFE}},
                          {255, {0xFF, 0xFF, 0x00}},
                          {65534, {0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
                          {65535, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00}}};
    for (const Case& k : cases) {
        RecordBytes r;
        r.name = std::string(k.length, 'n');
        r.x.assign(70000, 1.5), r.y.assign(70000, -2.0);
        const Bytes file = FileOf("VarnelFile v.1.5", 1.5, {r});
        const size_t at = 17 + 2 + 4 + 7 + 2 + 4;  // header, count, kind, "Exp. 1", texts, kind
        ASSERT_TRUE(std::equal(k.prefix.begin(), k.prefix.end(), file.b.begin() + at)) << k.length;
        ProjectContents c;
        ASSERT_TRUE(Read(file, c)) << k.length;
        const CDataTreeBrench& d = *c.branches[1].node;
        EXPECT_EQ(d.m_name.GetLength(), int(k.length));
        EXPECT_EQ(*d.m_y, r.y);
        EXPECT_TRUE(SameBytes(CVarnelFile::BuildBytes(ProjectImage::Of(c)), file.b)) << k.length;
    }
}

TEST_F(ProjectFileTest, OlderVersionsReadTheFieldsTheyHave) {
    struct Case {
        const char* header;
        double v;
        BYTE sensorId;
        size_t annotations;
        BYTE model;
        LONG bar;
        bool fahrenheit;
    };
    const Case cases[] = {
        {"VarnelFile", 0, 0, 0, 0, 0, true},         {"VarnelFile v.1.0", 1.0, 0, 0, 0, 0, true},
        {"VarnelFile v.1.1", 1.1, 3, 0, 0, 0, true}, {"VarnelFile v.1.3", 1.3, 3, 0, 0, 1, true},
        {"VarnelFile v.1.4", 1.4, 3, 1, 0, 1, true}, {"VarnelFile v.1.5", 1.5, 3, 1, 7, 1, false},
    };
    for (const Case& k : cases) {
        RecordBytes r;
        r.inputKind = 4;  // the basic logger's temperature input
        r.unit = "F";
        r.y = {212, 32};
        r.low = 32, r.high = 212;
        r.annotations = 1;
        r.model = 7;
        ProjectContents c;
        ASSERT_TRUE(Read(FileOf(k.header, k.v, {r}, true), c)) << k.header;
        const CDataTreeBrench& d = *c.branches[1].node;
        EXPECT_EQ(d.m_sensorId, k.sensorId) << k.header;
        EXPECT_EQ(d.m_annotations.size(), k.annotations) << k.header;
        EXPECT_EQ(d.m_modelCode, k.model) << k.header;
        EXPECT_EQ(c.graphs.at(0).m_barGraph, k.bar) << k.header;
        if (k.fahrenheit) {
            EXPECT_EQ(d.m_unit,
                      "\xC2\xB0"
                      "C")
                << k.header;
            EXPECT_EQ(*d.m_y, (std::vector<double>{100, 0})) << k.header;
            EXPECT_DOUBLE_EQ(d.m_rangeMin, 0);
            EXPECT_DOUBLE_EQ(d.m_rangeMax, 100);
        } else {
            EXPECT_EQ(d.m_unit, "F");
            EXPECT_EQ(*d.m_y, r.y);
        }
    }
    ProjectContents c;
    EXPECT_FALSE(Read(FileOf("Settings v.1.08", 1.5, {RecordBytes()}), c));
}

TEST_F(ProjectFileTest, HostileFilesAreRefusedOrReadAsTheFormatSays) {
    RecordBytes linked;
    linked.links = {2};
    RecordBytes other;
    other.annotations = 2;
    other.video = "missing.wmv";
    const Bytes rich = FileOf("VarnelFile v.1.5", 1.5, {linked, other}, true);
    ProjectContents c;
    ASSERT_TRUE(Read(rich, c));
    EXPECT_EQ(c.branches[2].node->m_videoFile, "");  // no such file beside the project
    EXPECT_EQ(c.branches[1].node->m_links[0], c.branches[2].node->m_id);
    for (size_t n = 0; n < rich.b.size(); ++n) {
        Bytes cut;
        cut.b.assign(rich.b.begin(), rich.b.begin() + std::ptrdiff_t(n));
        ASSERT_FALSE(Read(cut, c)) << n;
    }

    auto withLinks = [](std::vector<unsigned> links, unsigned count = ~0u) {
        RecordBytes r;
        r.links = std::move(links);
        r.linkCount = count;
        return r;
    };
    struct Dropped {
        const char* what;
        RecordBytes record;
    };
    const Dropped dropped[] = {{"nine links", withLinks({1, 1, 1, 1, 1, 1, 1, 1, 1})},
                               {"negative", withLinks({0xFFFF})},
                               {"none", withLinks({9999})},
                               {"beyond", withLinks({2})},
                               {"an experiment", withLinks({0})}};
    for (const Dropped& k : dropped) {
        ASSERT_TRUE(Read(FileOf("VarnelFile v.1.5", 1.5, {k.record}), c)) << k.what;
        EXPECT_EQ(c.branches[1].node->m_linkCount, 0) << k.what;
    }

    struct Refused {
        const char* what;
        Bytes bytes;
    };
    std::vector<Refused> refused;
    {
        Bytes b;
        b.str("VarnelFile v.1.5").u16(30000).u32(1).str("E").u16(0);
        refused.push_back({"branches beyond the bytes", b});
    }
    {
        Bytes b;
        b.str("VarnelFile v.1.5").u16(1).u32(2).str("E").u16(0);
        refused.push_back({"kind 2", b});
    }
    {
        Bytes b;
        b.str("VarnelFile v.1.5").u16(1).u32(0);
        RecordBytes().To(b, 1.5);
        b.u16(0).u16(0).u16(0).u32(0).u32(0).u32(0).u32(0).u32(0).u32(0);
        refused.push_back({"a data set first", b});
    }
    {
        RecordBytes r;
        r.annotations = 0;
        Bytes b = FileOf("VarnelFile v.1.5", 1.5, {r});
        // The annotation count of the record: far more than the file holds.
        const size_t at = b.b.size() - 2 - 2 - 2 - 24 - 1 - 4;
        b.b[at + 3] = 0x10;
        refused.push_back({"annotations beyond the bytes", b});
    }
    {
        RecordBytes r;
        r.x = {1, 2, 3};
        refused.push_back({"x and y of different lengths", FileOf("VarnelFile v.1.5", 1.5, {r})});
    }
    {
        Bytes b;
        b.str("VarnelFile v.1.5").u16(1).u32(1).str("E").u16(0xFFFF).u32(0x7FFFFFFF);
        refused.push_back({"texts beyond the bytes", b});
    }
    for (const Refused& k : refused)
        EXPECT_FALSE(Read(k.bytes, c)) << k.what;

    // A saved table that does not parse ends the reading; what came before it stays.
    Bytes table;
    table.u16(1).f64(0).f64(0).str("t").u16(0).u16(0).str("").u16(0).u16(0).str("");
    ASSERT_TRUE(Read(FileOf("VarnelFile v.1.5", 1.5, {RecordBytes()}, false, 1, table), c));
    EXPECT_EQ(c.branches.size(), 2u);
    EXPECT_FALSE(c.hasDisplayModes);
    // A whole table record is stepped over, and the display modes after it are read.
    table.u8(0).u8(0).u32(0).str("").u32(0).u8(0).u32(0).u8(0).u8(0).u8(0).u8(0).u8(0);
    table.u32(0).u32(0).u16(1).u16(9999).u16(0).u16(0).u16(0).u16(0).str("col");
    ASSERT_TRUE(Read(FileOf("VarnelFile v.1.5", 1.5, {RecordBytes()}, false, 1, table), c));
    EXPECT_TRUE(c.hasDisplayModes);
    EXPECT_EQ(c.displayModes[1], 3);

    // The table's own record reader: two tables, the second of two columns, are read whole; a
    // column count above eight is an archive error that ends the reading there.
    const auto head = [](Bytes& b, unsigned columns) {
        b.u16(1).f64(0).f64(0).str("t").u16(0).u16(0).str("").u16(0).u16(0).str("text");
        b.u8(0).u8(0).u32(0).str("").u32(0).u8(0).u32(0).u8(0).u8(0).u8(0).u8(0).u8(0);
        b.u32(0).u32(0).u16(columns);
        for (unsigned i = 0; i < columns; ++i)
            b.u16(i).u16(i + 2).u16(0).u16(2).u16(0).str("%.2f");
    };
    struct Case {
        unsigned columns;
        bool modesRead;
    };
    for (const Case& k : {Case{2, true}, Case{8, true}, Case{9, false}}) {
        Bytes two;
        head(two, 0);
        head(two, k.columns);
        ProjectContents read;
        ASSERT_TRUE(Read(FileOf("VarnelFile v.1.5", 1.5, {RecordBytes()}, false, 2, two), read))
            << k.columns;
        EXPECT_EQ(read.branches.size(), 2u) << k.columns;
        EXPECT_EQ(read.hasDisplayModes, k.modesRead) << k.columns;
    }
}

TEST_F(ProjectFileTest, MoreRecordsThanTheFormatCountsAreNotWritten) {
    CDataTreeBrench experiment;
    experiment.m_name = "E";
    ProjectImage image;
    image.dataBranches.assign(32767, &experiment);
    EXPECT_NO_THROW(CVarnelFile::BuildBytes(image));
    image.dataBranches.push_back(&experiment);
    EXPECT_THROW(CVarnelFile::BuildBytes(image), CArchiveException);
}

TEST_F(ProjectFileTest, OnlyThisProjectsVideoCopiesAreDeleted) {
    for (const char* name : {"P - Video 1.wmv", "P - Video 12.wmv", "P - Video 2 - Video 1.wmv",
                             "P - Video x.wmv", "Q - Video 1.wmv", "P - Video 3.avi"})
        Touch(name);
    EXPECT_EQ(CVarnelFile::DeleteOldVideos(folder, "P - Video"), 2);
    for (const char* kept :
         {"P - Video 2 - Video 1.wmv", "P - Video x.wmv", "Q - Video 1.wmv", "P - Video 3.avi"})
        EXPECT_TRUE(CFile::Exists((folder + kept).GetString())) << kept;
}

}  // namespace
