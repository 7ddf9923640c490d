#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QPrintDialog>
#include <QTimer>

#include "platform/gdi/printer.h"
#include "platform/ui/modal_host.h"

namespace {

// The program's flags hide a printer driver's file box; the PDF printer, on a machine without
// printers the only one, stays in Qt's dialog.
TEST(PrintDialog, KeepsThePdfPrinterWhenPrintToFileIsHidden) {
    platform::ModalHost::Install(nullptr);
    CPrintDialog dialog(FALSE, 0x14000C);
    bool option = false;
    QStringList printers;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QPrintDialog*>(w);
            if (!box || !box->isVisible()) continue;
            option = box->testOption(QAbstractPrintDialog::PrintToFile);
            for (QComboBox* combo : box->findChildren<QComboBox*>())
                for (int i = 0; i < combo->count(); ++i)
                    printers << combo->itemText(i);
            poll.stop();
            box->reject();
        }
    });
    poll.start(0);
    EXPECT_EQ(dialog.DoModal(), IDCANCEL);
    EXPECT_TRUE(option);
    EXPECT_TRUE(printers.contains("Print to File (PDF)")) << printers.join(", ").toStdString();
}

}  // namespace
