#include "models/plot_record.h"

void PlotRecordStruct::TakeLineRow(const GraphLinesInfoStruct& row) {
    colour = row.lineColor;
    pointStyle = row.markerStyle;
    lineWidth = row.lineWidth;
    pointsSwitch = row.markerVisible;
    lineStyle = row.lineStyle;
    markerColour = row.markerColor;
    fillValue = 0;
    fillSwitch = 0;
}

bool PlotRecordStruct::HasLink(int position) const {
    for (int i = 0; i < linkCount && i < kMaxLinks; ++i)
        if (links[i] == position) return true;
    return false;
}

bool PlotRecordStruct::AddLink(int position, int self) {
    if (position < 0 || position == self || HasLink(position) || linkCount >= kMaxLinks)
        return false;
    links[linkCount++] = static_cast<SHORT>(position);
    return true;
}

void PlotRecordStruct::RemoveLink(int position) {
    int out = 0;
    for (int i = 0; i < linkCount && i < kMaxLinks; ++i)
        if (links[i] != position) links[out++] = links[i];
    for (int i = out; i < kMaxLinks; ++i)
        links[i] = kNoLink;
    linkCount = static_cast<SHORT>(out);
}

void PlotRecordStruct::ClearLinks() {
    for (SHORT& l : links)
        l = kNoLink;
    linkCount = 0;
}

PlotRecordStruct MakeXAxisSettings() {
    PlotRecordStruct x;
    x.grid = 1;
    return x;
}
