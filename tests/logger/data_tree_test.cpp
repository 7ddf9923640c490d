#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <vector>

#include "logger/data_tree.h"

namespace {

CDataArrayPtr Array(std::initializer_list<double> values) {
    return std::make_unique<CDataArray>(values);
}

CDataArrayPtr Samples(size_t count) {
    auto x = std::make_unique<CDataArray>();
    for (size_t i = 0; i < count; ++i)
        x->push_back(static_cast<double>(i));
    return x;
}

CDataTreeBrench* Add(CDataTreeList& list, DWORD experiment, const char* name,
                     CDataArrayPtr x = nullptr, CDataArrayPtr y = nullptr) {
    return list.InsertDataSet(experiment, std::move(x), std::move(y), name, 41, "V",
                              CPreciseDateTime(2024, 5, 1, 10, 0, 0), 1, -1, 7, "run.wmv", 0, 5, 2);
}

std::vector<CString> Names(const CDataTreeList& list) {
    std::vector<CString> names;
    for (int i = 0; i < list.GetCount(); ++i)
        names.push_back(list.GetAt(i)->m_name);
    return names;
}

std::vector<DWORD> Links(const CDataTreeBrench* node) {
    return std::vector<DWORD>(node->m_links, node->m_links + node->m_linkCount);
}

// Two experiments; data sets added out of order still follow their own experiment.
class DataTreeList : public ::testing::Test {
protected:
    void SetUp() override {
        e1 = list.AddExperiment("Exp. 1");
        e2 = list.AddExperiment("Exp. 2");
        temp = Add(list, e1->m_id, "Temperature");
        light = Add(list, e2->m_id, "Light");
        sound = Add(list, e1->m_id, "Sound");
    }
    CDataTreeList list;
    CDataTreeBrench *e1, *e2, *temp, *light, *sound;
};

TEST_F(DataTreeList, DataSetsFollowTheirExperimentInInsertionOrder) {
    EXPECT_EQ(Names(list),
              (std::vector<CString>{"Exp. 1", "Temperature", "Sound", "Exp. 2", "Light"}));
    const DWORD ids[] = {e1->m_id, e2->m_id, temp->m_id, light->m_id, sound->m_id};
    for (DWORD id : ids) {
        EXPECT_NE(id, 0u);
        EXPECT_EQ(std::count(std::begin(ids), std::end(ids), id), 1);
    }
    EXPECT_TRUE(e1->IsExperiment());
    EXPECT_FALSE(temp->IsExperiment());

    // A data set's fields, as given and as every new data set starts.
    EXPECT_EQ(temp->m_unit, "V");
    EXPECT_EQ(temp->m_rateCode, 41);
    EXPECT_EQ(temp->m_startTime, CPreciseDateTime(2024, 5, 1, 10, 0, 0));
    EXPECT_EQ(temp->m_originCode, 1);
    EXPECT_EQ(temp->m_secondValue, -1);
    EXPECT_EQ(temp->m_identityValue, 7);
    EXPECT_EQ(temp->m_videoFile, "run.wmv");
    EXPECT_EQ(temp->m_rangeMax, 5);
    EXPECT_EQ(temp->m_inputKind, 2);
    EXPECT_EQ(temp->m_videoUnsaved, 1);
    EXPECT_EQ(temp->m_linkCount, 0);
    EXPECT_EQ(temp->m_shown, 0);
    EXPECT_EQ(temp->m_sensorId, 0);
    EXPECT_EQ(temp->m_modelCode, 0);
    EXPECT_EQ(temp->m_derived, 0);
    // Given no arrays, a data set gets empty ones: it must never pass for an experiment.
    ASSERT_TRUE(temp->m_x && temp->m_y);
    EXPECT_TRUE(temp->m_y->empty());

    // Nowhere to go: nothing is inserted.
    EXPECT_EQ(Add(list, 9999, "Lost", Samples(3), Array({1, 2, 3})), nullptr);
    EXPECT_EQ(Add(list, temp->m_id, "Under a data set"), nullptr);
    EXPECT_EQ(list.GetCount(), 5);
}

TEST_F(DataTreeList, ColoursCycleThroughTheTable) {
    // The counter is shared by all lists: start from wherever the previous data set left it.
    int start = -1;
    for (int i = 0; i < CDataTreeList::kColours; ++i)
        if (CDataTreeList::s_colourTable[i] == sound->m_colour) start = i + 1;
    ASSERT_GE(start, 1);
    for (int i = 0; i < 9; ++i) {
        const CDataTreeBrench* node = Add(list, e2->m_id, "Humidity");
        EXPECT_EQ(node->m_colour, CDataTreeList::s_colourTable[(start + i) % 8]) << i;
    }
    EXPECT_EQ(CDataTreeList::s_colourTable[1], RGB(0, 183, 0));
    EXPECT_EQ(CDataTreeList::s_colourTable[7], RGB(128, 128, 0));
}

TEST_F(DataTreeList, Lookups) {
    EXPECT_EQ(list.GetAt(1), temp);
    EXPECT_EQ(list.GetAt(-1), nullptr);
    EXPECT_EQ(list.GetAt(5), nullptr);
    EXPECT_EQ(list.GetIdAt(4), light->m_id);
    EXPECT_EQ(list.GetIdAt(-1), 0u);
    EXPECT_EQ(list.GetIdAt(5), 0u);

    EXPECT_EQ(list.FindById(sound->m_id), sound);
    EXPECT_EQ(list.FindById(0), nullptr);
    EXPECT_EQ(list.IndexOfId(light->m_id), 4);
    EXPECT_EQ(list.IndexOfId(12345), -1);

    EXPECT_EQ(list.FindByName("Sound"), sound);
    EXPECT_EQ(list.FindByName("sound"), nullptr);
    EXPECT_EQ(list.FindByName("Exp. 2"), e2);
    Add(list, e2->m_id, "Sound");
    EXPECT_EQ(list.FindByName("Sound"), sound);  // the first of that name

    EXPECT_EQ(list.IndexOfLastDataSet(e1->m_id), 2);
    EXPECT_EQ(list.IndexOfLastDataSet(77), -1);
    CDataTreeBrench* empty = list.AddExperiment("Edited Data");
    EXPECT_EQ(list.IndexOfLastDataSet(empty->m_id), list.GetCount() - 1);

    EXPECT_EQ(list.GetExperimentOf(sound->m_id), e1);
    EXPECT_EQ(list.GetExperimentId(light->m_id), e2->m_id);
    EXPECT_EQ(list.GetExperimentName(temp->m_id), "Exp. 1");
    EXPECT_EQ(list.GetExperimentOf(e2->m_id), nullptr);
    EXPECT_EQ(list.GetExperimentId(999), 0u);
    EXPECT_EQ(list.GetExperimentName(999), "");
    EXPECT_EQ(list.GetFullName(light->m_id), "Exp. 2 Light");
    EXPECT_EQ(list.GetFullName(999), "");

    EXPECT_EQ(list.GetNextExperiment(e1->m_id), e2);
    EXPECT_EQ(list.GetNextExperiment(temp->m_id), e2);
    EXPECT_EQ(list.GetNextExperiment(empty->m_id), nullptr);
    EXPECT_EQ(list.GetNextDataSet(temp->m_id), sound);
    EXPECT_EQ(list.GetNextDataSet(e1->m_id), temp);
    EXPECT_EQ(list.GetNextDataSet(sound->m_id), nullptr);  // an experiment comes next

    EXPECT_EQ(list.SetChecked(light->m_id, true), 2);
    EXPECT_EQ(light->m_shown, 1);
    EXPECT_EQ(list.SetChecked(light->m_id, false), 1);
    EXPECT_EQ(light->m_shown, 0);
    EXPECT_EQ(list.SetChecked(999, true), 0);
}

TEST_F(DataTreeList, LinksAreSharedWithinEightEach) {
    list.LinkDataSets(temp, sound);
    list.LinkDataSets(temp, sound);
    EXPECT_EQ(Links(temp), std::vector<DWORD>{sound->m_id});
    EXPECT_EQ(Links(sound), std::vector<DWORD>{temp->m_id});

    // A third data set joins the group: it is linked to both.
    list.LinkDataSets(temp, light);
    EXPECT_EQ(Links(temp), (std::vector<DWORD>{sound->m_id, light->m_id}));
    EXPECT_EQ(Links(light), (std::vector<DWORD>{temp->m_id, sound->m_id}));
    EXPECT_EQ(Links(sound), (std::vector<DWORD>{temp->m_id, light->m_id}));

    list.LinkDataSets(temp, temp);
    EXPECT_FALSE(temp->HasLink(temp->m_id));

    // A data set with eight links takes no more, and no link goes one way only.
    CDataTreeBrench* full = Add(list, e2->m_id, "Full");
    for (int i = 0; i < 8; ++i)
        list.LinkDataSets(Add(list, e2->m_id, "Other"), full);
    ASSERT_EQ(full->m_linkCount, 8);
    const std::vector<DWORD> before = Links(full);
    list.LinkDataSets(light, full);
    list.LinkDataSets(full, light);
    EXPECT_EQ(Links(full), before);
    EXPECT_FALSE(light->HasLink(full->m_id));
    for (int i = 0; i < list.GetCount(); ++i) {
        const CDataTreeBrench* node = list.GetAt(i);
        for (DWORD id : Links(node))
            EXPECT_TRUE(list.FindById(id)->HasLink(node->m_id));
    }
}

TEST_F(DataTreeList, RemovalKeepsTheOrderOfTheOtherLinks) {
    CDataTreeBrench* humidity = Add(list, e1->m_id, "Humidity");
    list.LinkDataSets(temp, sound);
    list.LinkDataSets(temp, humidity);
    list.LinkDataSets(temp, light);
    ASSERT_EQ(Links(light), (std::vector<DWORD>{temp->m_id, sound->m_id, humidity->m_id}));

    const DWORD gone = sound->m_id;
    EXPECT_TRUE(list.Remove(gone));
    EXPECT_EQ(list.FindById(gone), nullptr);
    EXPECT_EQ(Links(temp), (std::vector<DWORD>{humidity->m_id, light->m_id}));
    EXPECT_EQ(Links(light), (std::vector<DWORD>{temp->m_id, humidity->m_id}));
    EXPECT_EQ(Links(humidity), (std::vector<DWORD>{temp->m_id, light->m_id}));
    EXPECT_EQ(light->m_links[2], 0u);
    EXPECT_FALSE(list.Remove(gone));

    // An experiment goes alone; its data sets stay for the caller.
    EXPECT_TRUE(list.Remove(e1->m_id));
    EXPECT_EQ(Names(list), (std::vector<CString>{"Temperature", "Humidity", "Exp. 2", "Light"}));
    EXPECT_EQ(list.GetAt(1), humidity);  // the other nodes did not move in memory

    list.RemoveAll();
    EXPECT_EQ(list.GetCount(), 0);
    // Ids are never handed out twice, not even after the list was emptied.
    EXPECT_GT(list.AddExperiment("Exp. 3")->m_id, gone);
}

TEST_F(DataTreeList, RenameVideoFileMarksTheCopyAsSaved) {
    light->m_videoFile = "other.wmv";
    e2->m_videoFile.Empty();
    list.RenameVideoFile("run.wmv", "Project - Video 1.wmv");
    EXPECT_EQ(temp->m_videoFile, "Project - Video 1.wmv");
    EXPECT_EQ(sound->m_videoUnsaved, 0);
    EXPECT_EQ(light->m_videoFile, "other.wmv");
    EXPECT_EQ(light->m_videoUnsaved, 1);
    list.RenameVideoFile("", "x.wmv");
    EXPECT_EQ(e2->m_videoFile, "");
}

TEST(DataTreeBrench, MovesHandOverTheArraysAndCloneCopiesThem) {
    CDataTreeBrench node;
    EXPECT_TRUE(node.IsExperiment());
    EXPECT_EQ(node.m_videoUnsaved, 1);
    node.m_x = Samples(3);
    node.m_y = Array({1, 2, 3});
    node.m_name = "Light";
    node.m_links[0] = 4;
    node.m_linkCount = 1;
    node.m_annotations.push_back({2, "peak"});
    const CDataArray* y = node.m_y.get();

    CDataTreeBrench moved = std::move(node);
    EXPECT_EQ(moved.m_y.get(), y);
    EXPECT_EQ(node.m_y, nullptr);

    CDataTreeBrench copy = moved.Clone();
    ASSERT_TRUE(copy.m_y);
    EXPECT_NE(copy.m_y.get(), y);
    EXPECT_EQ(*copy.m_y, *moved.m_y);
    EXPECT_EQ(*copy.m_x, *moved.m_x);
    copy.m_y->at(0) = 99;
    EXPECT_EQ(moved.m_y->at(0), 1);
    EXPECT_EQ(copy.m_name, "Light");
    EXPECT_EQ(Links(&copy), std::vector<DWORD>{4});
    EXPECT_EQ(copy.m_annotations, moved.m_annotations);

    CDataTreeBrench experiment;
    EXPECT_TRUE(experiment.Clone().IsExperiment());
}

TEST(DataTreeBrench, FindX) {
    CDataTreeBrench node;
    EXPECT_EQ(node.FindX(1), -1);
    EXPECT_EQ(node.FindXAtOrAbove(1), -1);
    node.m_x = std::make_unique<CDataArray>();
    EXPECT_EQ(node.FindXAtOrAbove(1), 0);
    node.m_x = Array({0, 1.5, 3, 3});
    const std::pair<double, int> exact[] = {{0, 0}, {3, 2}, {1.4, -1}, {-1, -1}};
    for (auto [x, index] : exact)
        EXPECT_EQ(node.FindX(x), index) << x;
    const std::pair<double, int> atOrAbove[] = {{-5, 0}, {1.4, 1}, {1.5, 1}, {2, 2}, {3.1, -2}};
    for (auto [x, index] : atOrAbove)
        EXPECT_EQ(node.FindXAtOrAbove(x), index) << x;
}

TEST(DataTreeBrench, StatisticsText) {
    struct Case {
        std::vector<double> y;
        int first, last;
        const char* text;
    };
    const Case cases[] = {
        {{1, 2, 3, 4}, -1, -1, "Min. = 1, Max. = 4, Average = 2.50, Std. Dev. = 1.29"},
        {{1, 2, 3, 4}, 3, 1, "Min. = 2, Max. = 4, Average = 3, Std. Dev. = 1"},
        {{1, 2, 3, 4}, 2, 40, "Min. = 3, Max. = 4, Average = 3.50, Std. Dev. = 0.71"},
        {{5.5}, -1, -1, "Min. = 5.50, Max. = 5.50, Average = 5.50, Std. Dev. = 0"},
        {{1, 2, 3, 4}, 2, 2, "Min. = 3, Max. = 3, Average = 3, Std. Dev. = 0"},
        {{3, 3, 3}, 0, 2, "Min. = 3, Max. = 3, Average = 3, Std. Dev. = 0"},
        {{2e8, 3e8},
         -1,
         -1,
         "Min. = 200000000, Max. = 300000000, Average = 250000000, Std. Dev. = 70710678.12"},
        {{-5e8, -2e8},
         -1,
         -1,
         "Min. = -500000000, Max. = -200000000, Average = -350000000, "
         "Std. Dev. = 212132034.36"},
        {{}, -1, -1, "Min. = 0, Max. = 0, Average = 0, Std. Dev. = 0"},
    };
    for (const Case& c : cases) {
        CDataTreeBrench node;
        node.m_x = Samples(c.y.size());
        node.m_y = std::make_unique<CDataArray>(c.y);
        EXPECT_EQ(node.GetStatisticsText(0, 0, c.first, c.last), c.text) << c.text;
    }
    EXPECT_EQ(CDataTreeBrench().GetStatisticsText(0, 0, -1, -1),
              "Min. = 0, Max. = 0, Average = 0, Std. Dev. = 0");
}

// A data set as the tools see it: model, input kind and sensor decide the conversion.
CDataTreeBrench Series(std::vector<double> y, WORD rateCode, const char* unit, BYTE model = 0,
                       WORD kind = 2, BYTE sensor = 0) {
    CDataTreeBrench node;
    node.m_x = Samples(y.size());
    node.m_y = std::make_unique<CDataArray>(std::move(y));
    node.m_rateCode = rateCode;
    node.m_unit = unit;
    node.m_modelCode = model;
    node.m_inputKind = kind;
    node.m_sensorId = sensor;
    return node;
}

// Converted values show the digits of the unit shown: conversion noise makes no fraction and no
// extra zero, and the digits are those of the value, not of a rounded copy.
TEST(DataTreeBrench, StatisticsOfConvertedValues) {
    struct Case {
        const char* unit;
        BYTE inputKind;  // 4 temperature, 6 pressure
        int temperatureUnit, pressureUnit;
        std::vector<double> y;  // as kept, in °C or kPa
        const char* text;
    };
    const Case cases[] = {
        {"°F",
         4,
         1,
         0,
         {162.4, 281.7, 114.4},
         "Min. = 237.92, Max. = 539.060, Average = 367.10, Std. Dev. = 155.061"},
        {"°K",
         4,
         2,
         0,
         {79.9, 63.3, 105.2},
         "Min. = 336.45, Max. = 378.35, Average = 355.95, Std. Dev. = 21.10"},
        {"°K", 4, 2, 0, {-49.15, -49.15}, "Min. = 224, Max. = 224, Average = 224, Std. Dev. = 0"},
        {"psi",
         6,
         0,
         1,
         {137.93, 137.93},
         "Min. = 20.0050, Max. = 20.0050, Average = 20.0050, Std. Dev. = 0"},
        {"mm Hg",
         6,
         0,
         2,
         {1.6, 1.6},
         "Min. = 12.00098, Max. = 12.00098, Average = 12.00098, Std. Dev. = 0"},
        {"Inches Hg",
         6,
         0,
         3,
         {469.98, 469.98},
         "Min. = 138.79, Max. = 138.79, Average = 138.79, Std. Dev. = 0"},
        {"atm",
         6,
         0,
         4,
         {101.325, 101.325},
         "Min. = 1.00, Max. = 1.00, Average = 1.00, Std. Dev. = 0"},
        {"mBar",
         6,
         0,
         5,
         {282.51, 152.17},
         "Min. = 1521.70, Max. = 2825.10, Average = 2173.40, Std. Dev. = 921.64"},
        {"mBar",
         6,
         0,
         5,
         {136.4, 154.6, 145.5},
         "Min. = 1364, Max. = 1546, Average = 1455, Std. Dev. = 91"},
    };
    for (const Case& c : cases) {
        CDataTreeBrench node;
        node.m_modelCode = 0;
        node.m_inputKind = c.inputKind;
        node.m_x = Samples(c.y.size());
        node.m_y = std::make_unique<CDataArray>(c.y);
        EXPECT_EQ(node.GetStatisticsText(c.temperatureUnit, c.pressureUnit, -1, -1), c.text)
            << c.unit;
    }
}

TEST(DataTreeBrench, AreaText) {
    const CDataTreeBrench volts = Series({1, 2, 3, 4}, 48, "V");  // 0.2 s
    EXPECT_EQ(volts.GetAreaText(0, 0, 0, 3, nullptr), "Area = 1.80 (V\xC2\xB7s)");
    EXPECT_EQ(volts.GetAreaText(0, 0, 3, 0, nullptr), "Area = 1.80 (V\xC2\xB7s)");
    EXPECT_EQ(volts.GetAreaText(0, 0, 1, 2, nullptr), "Area = 0.60 (V\xC2\xB7s)");
    EXPECT_EQ(volts.GetAreaText(0, 0, 2, 2, nullptr), "0");
    EXPECT_EQ(Series({7}, 48, "V").GetAreaText(0, 0, -1, -1, nullptr), "0");
    EXPECT_EQ(Series({}, 48, "V").GetAreaText(0, 0, 0, 3, nullptr), "0");
    EXPECT_EQ(CDataTreeBrench().GetAreaText(0, 0, 0, 3, nullptr), "0");
    const CDataTreeBrench noValues = Series({}, 48, "m");
    EXPECT_EQ(volts.GetAreaText(0, 0, 0, 3, &noValues), "0");
    EXPECT_EQ(volts.GetAreaText(0, 0, 0, 3, &volts), "Area = 1.80 (V\xC2\xB7s)");

    // QK temperature in Fahrenheit, QK pressure in mBar, the basic logger's flow sensor in litres.
    EXPECT_EQ(Series({0, 100}, 41, "C", 100, 0).GetAreaText(1, 0, 0, 1, nullptr),
              "Area = 212 (\xC2\xB0"
              "F\xC2\xB7s)");
    EXPECT_EQ(Series({0, 10, 20}, 41, "kPa", 100, 4).GetAreaText(0, 5, 0, 2, nullptr),
              "Area = 300 (mBar\xC2\xB7s)");
    EXPECT_EQ(Series({0, 60, 120}, 41, "L/min", 0, 0, 8).GetAreaText(0, 0, 0, 2, nullptr),
              "Area = 3 (L)");
}

TEST(DataTreeBrench, SlopeTexts) {
    const CDataTreeBrench volts = Series({0, 1, 4, 9}, 48, "V");  // 0.2 s
    EXPECT_EQ(volts.GetSlopeText(1, 0, 0), "  Slope = 10(V/s)");
    EXPECT_EQ(volts.GetSlopeText(2, 0, 0), "  Slope = 20(V/s)");
    for (int index : {-1, 0, 3, 4})
        EXPECT_EQ(volts.GetSlopeText(index, 0, 0), "  Slope N/A");
    EXPECT_EQ(Series({0, 1, 4}, 42, "V").GetSlopeText(1, 0, 0), "  Slope N/A");  // no interval
    CDataTreeBrench sameX = Series({0, 1, 4}, 48, "V");
    sameX.m_x = Array({5, 5, 5});
    EXPECT_EQ(sameX.GetSlopeText(1, 0, 0), "  Slope N/A");
    EXPECT_EQ(CDataTreeBrench().GetSlopeText(1, 0, 0), "  Slope N/A");
    EXPECT_EQ(Series({0, 50, 100}, 41, "C", 100, 0).GetSlopeText(1, 1, 0),
              "  Slope = 90(\xC2\xB0"
              "F/s)");

    const CDataArray metres = {0, 2, 4, 6};
    EXPECT_EQ(volts.GetSlopeTextXY(1, &metres, "m", nullptr, 0, 0), "  Slope = 1(V/m)");
    EXPECT_EQ(volts.GetSlopeTextXY(2, &metres, "m", nullptr, 0, 0), "  Slope = 2(V/m)");
    const CDataArray shortX = {0, 2};
    EXPECT_EQ(volts.GetSlopeTextXY(1, &shortX, "m", nullptr, 0, 0), "  Slope N/A");
    EXPECT_EQ(volts.GetSlopeTextXY(1, nullptr, "m", nullptr, 0, 0), "  Slope N/A");
    const CDataArray flat = {1, 1, 1, 1};
    EXPECT_EQ(volts.GetSlopeTextXY(1, &flat, "m", nullptr, 0, 0), "  Slope N/A");
    // Each series is converted by its own kind: here the x values are temperatures.
    const CDataTreeBrench celsius = Series({0, 50, 100}, 41, "C", 100, 0);
    EXPECT_EQ(
        Series({0, 90, 180}, 41, "V").GetSlopeTextXY(1, celsius.m_y.get(), "F", &celsius, 1, 0),
        "  Slope = 1(V/F)");
}

}  // namespace
