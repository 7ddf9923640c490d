// The document's launch settings commands: the launch file beside the open worksheet.

#include "app/main_frame.h"
#include "app/varnel_doc.h"
#include "experiment/html_doc_view.h"
#include "experiment/launch_settings_dialog.h"
#include "logger/dorvik.h"
#include "logger/settings.h"

void CVarnelDoc::OnLaunchSettings(BYTE model) {
    CHtmlDocView* workbook = GetHtmlDocView();
    if (!workbook || workbook->m_worksheetPath.IsEmpty()) return;
    CLaunchSettingsDialog dialog(MainFrame());
    dialog.SetSensorTable(m_settings->m_sensorTypes, m_settings->m_externalSensor1,
                          m_settings->m_externalSensor2);
    // An existing file keeps its own name, whatever the case of its letters.
    CString launchPath;
    if (!CHtmlDocView::LaunchFileExists(workbook->m_worksheetPath, model, &launchPath))
        launchPath = CHtmlDocView::LaunchFilePath(workbook->m_worksheetPath, model);
    dialog.SetLaunchPath(launchPath);
    dialog.SetDocument(this);
    dialog.SetModel(model);
    if (dialog.DoModal() != IDOK) return;
    // Launch follows the logger that is connected, whichever model the file was made for.
    CString path;
    const BOOL found = CHtmlDocView::LaunchFileExists(workbook->m_worksheetPath,
                                                      m_logger->IsQKModel() ? TRUE : FALSE, &path);
    workbook->SetLaunchFile(found, path);
}

void CVarnelDoc::OnWorkbookLaunch() {
    if (CHtmlDocView* workbook = GetHtmlDocView()) workbook->OnLaunch();
}
