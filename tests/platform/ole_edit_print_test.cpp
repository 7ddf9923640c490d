#include <gtest/gtest.h>

#include <QClipboard>
#include <QDragEnterEvent>
#include <QFile>
#include <QGuiApplication>
#include <QLineEdit>
#include <QMimeData>
#include <QRegularExpression>
#include <QTest>

#include "platform/gdi/printer.h"
#include "platform/msg/keys.h"
#include "platform/ui/controls.h"
#include "platform/ui/ole.h"
#include "tests/support/harness.h"

namespace {

using namespace std::string_literals;

class PlatformPieces : public testing_support::HarnessTest {};

TEST_F(PlatformPieces, TextGoesToTheClipboardWithoutItsTerminatorAndComesBackAsItIs) {
    COleDataSource source;
    source.CacheGlobalData(CF_TEXT, "1\t2\n3\0"s);
    source.SetClipboard();
    EXPECT_EQ(QGuiApplication::clipboard()->text(), "1\t2\n3");

    COleDataObject clipboard;
    ASSERT_TRUE(clipboard.AttachClipboard());
    std::string block;
    ASSERT_TRUE(clipboard.IsDataAvailable(CF_TEXT));
    ASSERT_TRUE(clipboard.GetData(CF_TEXT, block));
    EXPECT_EQ(block, "1\t2\n3");

    // Another program's data: exactly its bytes, NULs and all, with no terminator added.
    QMimeData offered;
    offered.setData("text/plain", QByteArray("ab\0cd", 5));
    COleDataObject dropped(&offered);
    ASSERT_TRUE(dropped.GetData(CF_TEXT, block));
    EXPECT_EQ(block, "ab\0cd"s);
    QMimeData image;
    image.setData("image/png", "x");
    EXPECT_FALSE(COleDataObject(&image).IsDataAvailable(CF_TEXT));
}

// A drop target that takes drops on the window's left half only.
class LeftHalf : public COleDropTarget {
public:
    std::vector<CString> events;
    DROPEFFECT OnDragEnter(CWnd*, COleDataObject*, DWORD keys, CPoint p) override {
        events.push_back("enter");
        return Effect(keys, p);
    }
    DROPEFFECT OnDragOver(CWnd*, COleDataObject*, DWORD keys, CPoint p) override {
        events.push_back("over");
        return Effect(keys, p);
    }
    void OnDragLeave(CWnd*) override { events.push_back("leave"); }
    BOOL OnDrop(CWnd*, COleDataObject* data, DROPEFFECT effect, CPoint) override {
        std::string text;
        data->GetData(CF_TEXT, text);
        events.push_back(CString::Formatted("drop %s %d", text.c_str(), static_cast<int>(effect)));
        return TRUE;
    }

private:
    static DROPEFFECT Effect(DWORD keys, CPoint p) {
        if (p.x >= 50) return DROPEFFECT_NONE;
        return (keys & MK_CONTROL) ? DROPEFFECT_COPY : DROPEFFECT_MOVE;
    }
};

TEST_F(PlatformPieces, DragsOverAWindowReachItsDropTarget) {
    CWnd w;
    ASSERT_TRUE(w.Create(nullptr, "", WS_OVERLAPPEDWINDOW, CRect(0, 0, 100, 100), nullptr, 0));
    LeftHalf target;
    ASSERT_TRUE(target.Register(&w));
    EXPECT_FALSE(target.Register(&w));
    QMimeData mime;
    mime.setText("7");
    QWidget* widget = w.GetWidget();
    QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                          Qt::NoModifier);
    QApplication::sendEvent(widget, &enter);
    EXPECT_EQ(enter.dropAction(), Qt::MoveAction);
    QDragMoveEvent right(QPoint(80, 10), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                         Qt::NoModifier);
    QApplication::sendEvent(widget, &right);
    EXPECT_FALSE(right.isAccepted());
    QDropEvent refused(QPointF(80, 10), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                       Qt::NoModifier);
    QApplication::sendEvent(widget, &refused);  // nothing to drop there: the drag just leaves
    // A new drag, with Ctrl held: a copy.
    QDragEnterEvent again(QPoint(10, 10), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                          Qt::ControlModifier);
    QApplication::sendEvent(widget, &again);
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction | Qt::MoveAction, &mime, Qt::LeftButton,
                    Qt::ControlModifier);
    QApplication::sendEvent(widget, &drop);
    EXPECT_TRUE(drop.isAccepted());
    EXPECT_EQ(drop.dropAction(), Qt::CopyAction);
    EXPECT_EQ(target.events, (std::vector<CString>{"enter", "over", "leave", "enter", "drop 7 1"}));
    target.Revoke();
    w.DestroyWindow();
}

// An edit that takes the Up key for itself and counts the characters it is given.
class KeyTakingEdit : public CEdit {
public:
    int ups = 0;
    std::vector<UINT> chars;
    void OnKeyDown(UINT vk, UINT repeat, UINT flags) override {
        if (vk == VK_UP)
            ++ups;
        else
            CEdit::OnKeyDown(vk, repeat, flags);
    }
    void OnChar(UINT ch, UINT repeat, UINT flags) override {
        chars.push_back(ch);
        if (ch != 'q') CEdit::OnChar(ch, repeat, flags);  // swallows q
    }
};

TEST_F(PlatformPieces, AnEditsKeysPassThroughItsWindowFirst) {
    CWnd parent;
    ASSERT_TRUE(parent.Create(nullptr, "", WS_OVERLAPPEDWINDOW, CRect(0, 0, 200, 50), nullptr, 0));
    KeyTakingEdit edit;
    ASSERT_TRUE(edit.Create(WS_CHILD | WS_VISIBLE, CRect(0, 0, 150, 20), &parent, 5));
    auto* line = qobject_cast<QLineEdit*>(edit.GetWidget());
    ASSERT_NE(line, nullptr);
    QTest::keyClicks(line, "aqb");
    EXPECT_EQ(edit.GetWindowText(), "ab");
    EXPECT_EQ(edit.chars, (std::vector<UINT>{'a', 'q', 'b'}));
    QTest::keyClick(line, Qt::Key_Home);
    QTest::keyClick(line, Qt::Key_Up);
    EXPECT_EQ(edit.ups, 1);
    int start = 0, end = 0;
    edit.GetSel(start, end);
    EXPECT_EQ(start, 0);  // Home reached the edit
    // A character the program sends is typed as if pressed, Backspace included.
    edit.SendMessage(WM_CHAR, 'z');
    EXPECT_EQ(edit.GetWindowText(), "zab");
    edit.SendMessage(WM_CHAR, VK_BACK);
    EXPECT_EQ(edit.GetWindowText(), "ab");
    parent.DestroyWindow();
}

TEST_F(PlatformPieces, APrintJobGoesThroughThePrintDialogToAPdf) {
    const CString pdf = env.File("job.pdf");
    modals.ExpectPrint(pdf);
    CPrintDialog dialog(FALSE);
    ASSERT_EQ(dialog.DoModal(), IDOK);
    CDC dc;
    ASSERT_TRUE(dc.Attach(dialog.GetPrinterDC()));
    EXPECT_TRUE(dc.IsPrinting());
    EXPECT_GT(dc.GetDeviceCaps(HORZRES), 1000);
    EXPECT_EQ(dc.StartPage(), SP_ERROR);  // no document yet
    ASSERT_GT(dc.StartDoc("Test job"), 0);
    for (int page = 0; page < 3; ++page) {
        ASSERT_GT(dc.StartPage(), 0);
        dc.TextOut(100, 100, CString::Formatted("page %d", page + 1));
        ASSERT_GT(dc.EndPage(), 0);
    }
    ASSERT_GT(dc.EndDoc(), 0);
    dc.Detach();
    QFile file(pdf.ToQString());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromLatin1(file.readAll()).count(QRegularExpression("/Type\\s*/Page[^s]")),
              3);

    // An aborted job leaves no file behind; a cancelled dialog hands out no job.
    const CString aborted = env.File("aborted.pdf");
    modals.ExpectPrint(aborted).ExpectPrint(env.File("never.pdf"), IDCANCEL);
    CPrintDialog second(FALSE);
    ASSERT_EQ(second.DoModal(), IDOK);
    CDC job;
    job.Attach(second.GetPrinterDC());
    job.StartDoc("Aborted");
    job.StartPage();
    job.AbortDoc();
    job.Detach();
    EXPECT_FALSE(QFile::exists(aborted.ToQString()));
    CPrintDialog third(FALSE);
    EXPECT_EQ(third.DoModal(), IDCANCEL);
}

}  // namespace
