// Every view fills the pane the document gives it, in a small and in a large main window, and
// what it shows stays inside it: nothing clipped, scroll bars at the edges they scroll, pictures in
// shape.

#include <gtest/gtest.h>

#include <QAbstractScrollArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QTest>
#include <QToolBar>
#include <QTreeWidget>
#include <QTreeWidgetItemIterator>
#include <cstdlib>
#include <string>

#include "app/data_tree_view.h"
#include "app/varnel_app.h"
#include "app/varnel_doc.h"
#include "experiment/comm_view.h"
#include "experiment/html_doc_view.h"
#include "experiment/setup_view.h"
#include "logger/settings.h"
#include "platform/ui/dialog_template.h"
#include "platform/win/widget_bridge.h"
#include "tests/support/core/sim_port.h"
#include "tests/support/harness.h"

namespace {

std::string Text(const QRect& r) {
    return std::to_string(r.x()) + "," + std::to_string(r.y()) + " " + std::to_string(r.width()) +
           "x" + std::to_string(r.height());
}

CView* ViewOf(QWidget* w) {
    return dynamic_cast<CView*>(CWnd::FromHandlePermanent(platform::HandleOfWidget(w)));
}

// Where `w` stands in `top`'s co-ordinates.
QRect In(const QWidget* w, const QWidget* top) {
    return QRect(w->mapTo(top, QPoint(0, 0)), w->size());
}

class PaneFill : public ::testing::Test {
protected:
    PaneFill() {
        app.InitInstance();
        doc = app.GetDocument();
    }
    ~PaneFill() override { app.ExitInstance(); }

    void Resize(QSize size) {
        CMainFrame* main = app.GetMainFrame();
        main->GetWidget()->resize(size);
        // A window system may resize later: wait for it.
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return main->GetLayoutArea().cx == size.width(); }, 5000));
        testing_support::ProcessQtEvents();
    }

    // The standard frame's view, with its bars, fills the frame.
    static void ExpectViewFillsItsFrame(QWidget* frame, QWidget* view, const char* name) {
        int bars = 0;
        for (QToolBar* bar : frame->findChildren<QToolBar*>())
            if (bar->isVisibleTo(frame) && !view->isAncestorOf(bar) && bar->height() > 0)
                bars += bar->height();
        const QRect v = In(view, frame);
        EXPECT_EQ(v.width(), frame->width()) << name << " view " << Text(v);
        EXPECT_EQ(v.height() + bars, frame->height()) << name << " view " << Text(v);
        EXPECT_TRUE(frame->rect().contains(v)) << name << " view " << Text(v);
    }

    // A view's own content: one control covers it; several all lie inside it; a scroll bar stands
    // at the edge of what it scrolls.
    static void ExpectContentFits(QWidget* view, const std::string& name) {
        std::vector<QWidget*> shown;
        for (QObject* o : view->children())
            if (auto* w = qobject_cast<QWidget*>(o); w && !w->isWindow() && w->isVisibleTo(view))
                shown.push_back(w);
        if (shown.size() == 1) {
            // A picture that keeps its aspect (the video) spans one way and is centred the other.
            const QRect c = shown[0]->geometry(), v = view->rect();
            const bool covers = c.contains(v);
            const bool across = c.left() == v.left() && c.width() == v.width() &&
                                std::abs(c.center().y() - v.center().y()) <= 1;
            const bool upright = c.top() == v.top() && c.height() == v.height() &&
                                 std::abs(c.center().x() - v.center().x()) <= 1;
            EXPECT_TRUE(covers || across || upright)
                << name << ": its control " << Text(c) << " leaves part empty";
        } else {
            for (QWidget* w : shown)
                EXPECT_TRUE(view->rect().contains(w->geometry()))
                    << name << ": " << w->metaObject()->className() << " " << Text(w->geometry())
                    << " is cut off";
        }
        for (QScrollBar* bar : view->findChildren<QScrollBar*>()) {
            if (!bar->isVisibleTo(view) || bar->orientation() != Qt::Vertical) continue;
            QWidget* scrolled = bar->parentWidget();
            for (QWidget* p = scrolled; p && p != view; p = p->parentWidget())
                if (qobject_cast<QAbstractScrollArea*>(p)) scrolled = p;
            EXPECT_EQ(In(bar, view).right(), In(scrolled, view).right())
                << name << ": a scroll bar at " << Text(In(bar, view)) << " inside "
                << Text(In(scrolled, view));
        }
    }

    void ExpectEveryPaneFilled(const std::string& layout) {
        for (CMDIChildWnd* f : app.GetStandardFrames()) {
            QWidget* frame = f->GetWidget();
            CView* view = f->GetActiveView();
            // The communication view is one pixel by design.
            if (!view || !frame->isVisible() || frame->size().isEmpty() ||
                dynamic_cast<CCommView*>(view))
                continue;
            const std::string name = layout + " " + view->GetRuntimeClass()->m_lpszClassName;
            ExpectViewFillsItsFrame(frame, view->GetWidget(), name.c_str());
            // The view and the panes inside it (the workbook's worksheet and notes).
            ExpectContentFits(view->GetWidget(), name);
            for (QWidget* w : view->GetWidget()->findChildren<QWidget*>())
                if (CView* pane = ViewOf(w); pane && w->isVisibleTo(frame))
                    ExpectContentFits(w, name + " " + pane->GetRuntimeClass()->m_lpszClassName);
        }
    }

    testing_support::TempEnvironment env;
    testing_support::NoComPorts noPorts;
    testing_support::ScopedVirtualClock clock;
    testing_support::ModalScript modals;
    CVarnelApp app;
    CVarnelDoc* doc = nullptr;
};

TEST_F(PaneFill, EveryViewFillsItsPaneInASmallAndALargeWindow) {
    struct Layout {
        const char* name;
        LONG graph, table, meters, workbook;
    };
    for (const QSize size : {QSize(640, 480), QSize(1600, 1000)}) {
        Resize(size);
        for (const Layout& l : {Layout{"graph", 3, 0, 0, 0}, Layout{"table", 0, 3, 0, 0},
                                Layout{"meters", 0, 0, 3, 0}, Layout{"workbook", 1, 0, 0, 3}}) {
            CSettings& s = *doc->GetSettings();
            s.m_graphMode = l.graph;
            s.m_tableMode = l.table;
            s.m_meterMode = l.meters;
            s.m_workbookMode = l.workbook;
            doc->ApplyDisplayModes();
            if (l.workbook) doc->GetHtmlDocView()->ShowTextPane();
            testing_support::ProcessQtEvents();
            const std::string name = l.name + std::string(" at ") + std::to_string(size.width());
            ExpectEveryPaneFilled(name);
            testing_support::SaveTestImage(
                testing_support::RenderWidget(app.GetMainFrame()->GetWidget()),
                ("pane-fill-" + std::string(l.name) + "-" + std::to_string(size.width())).c_str());
        }
        // The sensor pictures keep the square of their bitmaps at any size.
        CSetupView* setup = doc->GetSetupView();
        for (int k = 0; k < CSetupView::kSensors; ++k) {
            const QWidget* picture = setup->GetPicture(k).GetControl()->GetWidget();
            EXPECT_EQ(picture->width(), picture->height()) << k << " at " << size.width();
            // The switches keep their height, beside their picture, however tall the pane.
            const QRect onOff = setup->GetSwitch(k).GetControl()->GetWidget()->geometry();
            EXPECT_LE(onOff.height(), platform::DluToPixelY(12)) << k << " at " << size.width();
            EXPECT_GT(onOff.height(), 0) << k << " at " << size.width();
            EXPECT_NEAR(onOff.center().y(), picture->geometry().center().y(), 1) << k;
        }
    }
}

// The data map takes a seventh of the window: in an 800 pixel one its deepest items, a data set's
// check box and picture, leave little room, and a name shows whole there, scrolled to sideways,
// never elided away.
TEST_F(PaneFill, TheDataMapShowsWholeNamesInANarrowPane) {
    Resize(QSize(800, 600));
    CDataTreeBrench* experiment = doc->AddDataGroup("Pendulum swing");
    for (const char* name : {"Temperature", "Light"}) {
        auto x = std::make_shared<CDataArray>(std::initializer_list<double>{0, 1, 2});
        auto y = std::make_shared<CDataArray>(std::initializer_list<double>{5, 6, 7});
        ASSERT_TRUE(doc->AddDataBranch(experiment, std::move(x), std::move(y), name, 41, "C",
                                       CPreciseDateTime(2024, 5, 6, 7, 8, 9), 0, -1, 0, "", 255,
                                       9999999.0, -9999999.0));
    }
    auto* tree = doc->GetDataTreeView()->GetWidget()->findChild<QTreeWidget*>();
    ASSERT_NE(tree, nullptr);
    tree->expandAll();
    testing_support::ProcessQtEvents();
    ASSERT_LT(tree->viewport()->width(), 130) << "the pane is narrow";

    QStringList names;
    for (QTreeWidgetItemIterator it(tree); *it; ++it) {
        names << (*it)->text(0);
        QStyleOptionViewItem option;
        option.initFrom(tree);
        option.decorationSize = tree->iconSize();
        option.features |= QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasDecoration;
        const QModelIndex index = tree->indexFromItem(*it);
        const int needed = tree->itemDelegate()->sizeHint(option, index).width();
        EXPECT_GE(tree->visualItemRect(*it).width(), needed)
            << (*it)->text(0).toStdString() << " is cut";
    }
    EXPECT_TRUE(names.contains("Temperature") && names.contains("Light"))
        << names.join(", ").toStdString();
    EXPECT_TRUE(tree->horizontalScrollBar()->isVisible()) << "the names run past the pane";
    testing_support::SaveTestImage(testing_support::RenderWidget(app.GetMainFrame()->GetWidget()),
                                   "pane-fill-data-map-800");
}

}  // namespace
