#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>
#include <QPainter>
#include <vector>

#include "app/varnel_doc.h"
#include "displays/graph/graph_view.h"
#include "displays/table/table_view.h"
#include "logger/data_tree.h"
#include "logger/helpers.h"
#include "models/export_file.h"

void CGraphView::OnExportToExcel() {
    CVarnelDoc* doc = GetDoc();
    if (!doc || doc->m_runInProgress) return;
    std::vector<DWORD> ids;
    const CDataTreeBrench* xSet = m_yVsX ? m_xAxis.dataSet : nullptr;
    const bool yVsX = xSet && !xSet->IsExperiment();
    if (yVsX) ids.push_back(xSet->m_id);
    for (int i = 0; i < m_plotCount && i < kMaxPlots; ++i)
        if (m_plots[i].dataSet) ids.push_back(m_plots[i].dataSet->m_id);
    if (ids.empty()) return;
    const CString name = FindExportFileName(GetDataRoot());
    if (name.IsEmpty()) {
        // Every scratch name is held: say so rather than drop the export unseen.
        ShowMessage(CVarnelDoc::kExcelErrorText, 0);
        return;
    }
    doc->ExportToExcel(name, ids, yVsX ? FALSE : TRUE);
}

void CGraphView::CopyToClipboard() {
    const CCWPicture picture(m_graph.GetPicture());
    const QByteArray svg = picture.Svg();
    const QSize size(static_cast<int>(picture.GetWidth()), static_cast<int>(picture.GetHeight()));
    if (svg.isEmpty() || size.isEmpty()) return;
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter painter(&image);
    picture.Render(painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    // One entry in both forms: programs that take vectors get the SVG, the rest the image.
    auto* data = new QMimeData;
    data->setImageData(image);
    data->setData("image/svg+xml", svg);
    QGuiApplication::clipboard()->setMimeData(data);
}
