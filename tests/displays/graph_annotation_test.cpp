// Captions pinned to data points: the caption dialog, adding, placing, dragging, editing,
// deleting, hiding, and the records kept in the project.

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <cmath>

#include "RES/commands.h"
#include "RES/dialogs/annotation_caption.h"
#include "RES/graph_bars.h"
#include "displays/graph/annotation_caption_dialog.h"
#include "models/varnel_file.h"
#include "tests/displays/graph_tool_fixture.h"

namespace graph_test {
namespace {

using testing_support::Press;
using testing_support::TypeText;

TEST(AnnotationCaptionDialog, ShowsAndHandsBackTheCaption) {
    testing_support::ModalScript modals;
    struct Row {
        const char* typed;  // nullptr: left as shown
        int button;
        const char* result;
    };
    const Row rows[] = {{nullptr, IDOK, "Peak"}, {"", IDOK, ""}, {"Trough", IDCANCEL, "Trough"}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.result);
        CAnnotationCaptionDialog dialog;
        dialog.m_caption = "Peak";
        modals.ExpectDialog(IDD_ANNOTATION_CAPTION, [&](CDialog& d) {
            EXPECT_EQ(d.GetWindowText(), "Edit annotation caption");
            EXPECT_EQ(d.GetDlgItemText(IDC_ANNOTATION_CAPTION_EDIT), "Peak");
            EXPECT_EQ(d.GetDlgItemText(IDOK), "OK");
            EXPECT_EQ(d.GetDlgItemText(IDCANCEL), "Cancel");
            if (r.typed) TypeText(d, IDC_ANNOTATION_CAPTION_EDIT, r.typed);
            Press(d, r.button);
        });
        EXPECT_EQ(dialog.DoModal(), r.button);
        // The caption follows the box at once; the caller reads it only after OK.
        EXPECT_EQ(dialog.m_caption, r.result);
    }
}

class GraphAnnotationTest : public GraphToolFixture {
protected:
    GraphAnnotationTest() {
        data = Show({}, Sine());
        Window(0, 2000, -2, 2);
    }
    void ExpectCaption(const char* text, int button = IDOK, const char* shown = "") {
        modals.ExpectDialog(IDD_ANNOTATION_CAPTION, [=](CDialog& d) {
            EXPECT_EQ(d.GetDlgItemText(IDC_ANNOTATION_CAPTION_EDIT), shown);
            TypeText(d, IDC_ANNOTATION_CAPTION_EDIT, text);
            Press(d, button);
        });
    }
    // The text annotations on the control.
    std::vector<const platform::graph::Annotation*> Labels() const {
        std::vector<const platform::graph::Annotation*> out;
        for (const auto* a : Extra())
            if (a->kind == 5) out.push_back(a);
        return out;
    }
    // The label's pixel offset from its point.
    QPointF Offset(const platform::graph::Annotation& a) const {
        const size_t i = static_cast<size_t>(a.point);
        const int plot = State().PlotIndex(a.plot);
        return Pixel(a.caption.x, a.caption.y, plot) -
               Pixel((*data->m_x)[i], (*data->m_y)[i], plot);
    }
    // A point inside the label's box, which stands off its point from the label position.
    QPoint Grip(const platform::graph::Annotation& a) const {
        const int plot = State().PlotIndex(a.plot);
        const QPointF at = Pixel(a.caption.x, a.caption.y, plot);
        const QPointF d = Offset(a);
        return (at + QPointF(d.x() >= 0 ? 4 : -4, d.y() >= 0 ? 4 : -4)).toPoint();
    }
    QWidget* Control() const { return view.GetGraph().GetWidget(); }
    CDataTreeBrench* data = nullptr;
};

TEST_F(GraphAnnotationTest, ANewLabelSitsFiftyPixelsUpAndRightWhateverTheScales) {
    Cursors(700);
    ExpectCaption("Peak");
    Command(ID_GV_ADD_ANNOTATION);
    EXPECT_EQ(modals.Pending(), 0u);
    ASSERT_EQ(data->m_annotations.size(), 1u);
    EXPECT_EQ(data->m_annotations[0], (GraphTextAnnotation{700, "Peak", 1.0, 100.0, 0}));
    const struct {
        double x0, x1, y0, y1;
    } scales[] = {{0, 2000, -2, 2}, {600, 800, -0.5, 1.5}, {0, 5000, -40, 10}};
    for (const auto& s : scales) {
        SCOPED_TRACE(s.x1);
        Window(s.x0, s.x1, s.y0, s.y1);
        const auto labels = Labels();
        ASSERT_EQ(labels.size(), 1u);
        EXPECT_EQ(labels[0]->caption.text, "Peak");
        EXPECT_EQ(labels[0]->point, 700);
        const QPointF d = Offset(*labels[0]);
        EXPECT_NEAR(d.x(), 50 / std::sqrt(2.0), 1.0);
        EXPECT_NEAR(d.y(), -50 / std::sqrt(2.0), 1.0);
    }
    // The picture: a box at the label and a connector down to the point.
    const QImage image = Picture();
    SaveTestImage(image, "graph_annotation");
    const auto* a = Labels()[0];
    const QPointF pin = Pixel(700, (*data->m_y)[700]), at = Pixel(a->caption.x, a->caption.y);
    const QPointF onLine = pin + (at - pin) * 0.3;
    bool dark = false;
    for (int dx = -1; dx <= 1; ++dx)
        for (int dy = -1; dy <= 1; ++dy) {
            const COLORREF c =
                Px(image, static_cast<int>(onLine.x()) + dx, static_cast<int>(onLine.y()) + dy);
            dark = dark || (GetRValue(c) < 128 && GetGValue(c) < 128 && GetBValue(c) < 128);
        }
    EXPECT_TRUE(dark) << "the connector";

    // Adding at the same point edits it; an empty caption on Add adds nothing.
    Cursors(900);
    ExpectCaption("", IDOK);
    Command(ID_GV_ADD_ANNOTATION);
    EXPECT_EQ(data->m_annotations.size(), 1u);
    ExpectCaption("Other", IDCANCEL);
    Command(ID_GV_ADD_ANNOTATION);
    EXPECT_EQ(data->m_annotations.size(), 1u);

    // Cursor A on a curve whose name is no plot number (a prediction's): no dialog, no record.
    Cursors(700);
    view.GetGraph().GetPlots().Item(1).SetString(3, "");
    for (UINT id : {ID_ADD_ANNOTATION, ID_EDIT_ANNOTATION_CAPTION, ID_DELETE_ANNOTATION})
        Command(id);
    EXPECT_EQ(data->m_annotations.size(), 1u);
}

TEST_F(GraphAnnotationTest, DraggedLabelsKeepTheirPlacement) {
    data->m_annotations = {{700, "Peak"}};
    view.PlaceAnnotations();
    Cursors(500);
    Command(ID_GV_MOVE_ANNOTATION);
    EXPECT_EQ(view.GetGraph().GetTrackMode(), 9);
    EXPECT_EQ(MainCheck(ID_MOVE_ANNOTATIONS), 1);
    EXPECT_EQ(FrameCheck(ID_GV_MOVE_ANNOTATION), 1);
    EXPECT_FALSE(frame.m_secondCursorEnabled);

    auto drag = [&](QPointF by) {
        const auto* a = Labels().at(0);
        const QPoint from = Grip(*a);
        const QPoint to = from + by.toPoint();
        QTest::mousePress(Control(), Qt::LeftButton, {}, from);
        QTest::mouseMove(Control(), (from + to) / 2);
        QTest::mouseMove(Control(), to);
        QTest::mouseRelease(Control(), Qt::LeftButton, {}, to);
    };
    // To the left of the point: side 1, and it stays left after a zoom.
    drag(QPointF(-90, 0));
    ASSERT_EQ(data->m_annotations.size(), 1u);
    const GraphTextAnnotation left = data->m_annotations[0];
    EXPECT_EQ(left.side, 1);
    EXPECT_TRUE(std::isfinite(left.directionSlope) && std::isfinite(left.length));
    const QPointF before = Offset(*Labels()[0]);
    EXPECT_LT(before.x(), 0);
    Window(500, 900, -1, 1.5);
    const QPointF after = Offset(*Labels()[0]);
    EXPECT_NEAR(after.x(), before.x(), 1.0);
    EXPECT_NEAR(after.y(), before.y(), 1.0);

    // Straight above the point: finite numbers go into the record, and the file.
    const QPointF at = Offset(*Labels()[0]);
    drag(QPointF(-at.x() + 4, -20));  // the grip stands 4 px left of the label
    const GraphTextAnnotation up = data->m_annotations[0];
    EXPECT_TRUE(std::isfinite(up.directionSlope)) << up.directionSlope;
    EXPECT_TRUE(std::isfinite(up.length)) << up.length;
    EXPECT_LE(std::fabs(Offset(*Labels()[0]).x()), 1.5);

    Command(ID_GV_MOVE_ANNOTATION);
    EXPECT_EQ(view.GetGraph().GetTrackMode(), 2) << "the cursors' mode comes back";
    EXPECT_EQ(MainCheck(ID_MOVE_ANNOTATIONS), 0);
    EXPECT_TRUE(frame.m_secondCursorEnabled) << "the cursor buttons come back";
    EXPECT_EQ(FrameCheck(ID_GV_MOVE_ANNOTATION), 0);
}

TEST_F(GraphAnnotationTest, EditDeleteHideAndTheRecordsThatCannotBeDrawn) {
    data->m_annotations = {{700, "Peak"}, {300, "Start"}};
    view.PlaceAnnotations();
    ASSERT_EQ(Labels().size(), 2u);

    // A right press on a label keeps it as the context annotation; an edit clears it.
    Command(ID_GV_PAN);  // no drawing or cursors under the press
    Command(ID_GV_PAN);
    const auto* first = Labels()[0];
    const QPoint on = Grip(*first);
    QTest::mousePress(Control(), Qt::RightButton, {}, on);
    QTest::mouseRelease(Control(), Qt::RightButton, {}, on);
    EXPECT_EQ(view.m_contextAnnotation, 4);

    Cursors(700);
    ExpectCaption("Top", IDCANCEL, "Peak");
    Command(ID_EDIT_ANNOTATION_CAPTION);
    EXPECT_EQ(data->m_annotations[0].caption, "Peak") << "Cancel changes nothing";
    EXPECT_EQ(view.m_contextAnnotation, 0);
    ExpectCaption("Top", IDOK, "Peak");
    Command(ID_EDIT_ANNOTATION_CAPTION);
    EXPECT_EQ(data->m_annotations[0].caption, "Top");
    EXPECT_EQ(Labels()[0]->caption.text, "Top");
    ExpectCaption("", IDOK, "Top");
    Command(ID_EDIT_ANNOTATION_CAPTION);
    ASSERT_EQ(data->m_annotations.size(), 1u) << "an empty caption deletes";
    EXPECT_EQ(Labels().size(), 1u);

    Cursors(300);
    Command(ID_DELETE_ANNOTATION);
    EXPECT_TRUE(data->m_annotations.empty());
    EXPECT_TRUE(Labels().empty());

    // Hidden: nothing beyond the fixed slots, and the commands greyed.
    data->m_annotations = {{700, "Peak"}};
    view.PlaceAnnotations();
    Command(ID_SHOW_ANNOTATIONS);
    EXPECT_EQ(State().annotations.size(), 3u);
    EXPECT_EQ(MainCheck(ID_SHOW_ANNOTATIONS), 0);
    for (UINT id :
         {ID_ADD_ANNOTATION, ID_MOVE_ANNOTATIONS, ID_EDIT_ANNOTATION_CAPTION, ID_DELETE_ANNOTATION})
        EXPECT_EQ(MainEnabled(id), 0) << id;
    Command(ID_SHOW_ANNOTATIONS);
    EXPECT_EQ(Labels().size(), 1u);
    for (UINT id :
         {ID_ADD_ANNOTATION, ID_MOVE_ANNOTATIONS, ID_EDIT_ANNOTATION_CAPTION, ID_DELETE_ANNOTATION})
        EXPECT_EQ(MainEnabled(id), 1) << id;

    // In area mode a redraw keeps the shading and draws no label.
    Command(ID_AREA);
    const size_t shaded = Extra().size();
    ASSERT_GT(shaded, 0u);
    view.PlaceAnnotations();
    EXPECT_EQ(Extra().size(), shaded);
    EXPECT_TRUE(Labels().empty());
    Command(ID_AREA);
    EXPECT_EQ(Labels().size(), 1u);
    Command(ID_AREA);
    Command(ID_GV_DISPLAY_CURSOR);  // hiding the cursors ends area mode too
    EXPECT_EQ(view.m_areaMode, 0);
    EXPECT_EQ(MainCheck(ID_AREA), 0);
    EXPECT_EQ(Labels().size(), 1u);

    // A record past the data set's end is kept but not drawn; a non-finite one goes back to
    // the new label's place.
    data->m_annotations = {{5000, "Gone"}, {700, "Odd", std::nan(""), INFINITY, 0}};
    view.PlaceAnnotations();
    ASSERT_EQ(Labels().size(), 1u);
    EXPECT_EQ(Labels()[0]->caption.text, "Odd");
    EXPECT_NEAR(Offset(*Labels()[0]).x(), 50 / std::sqrt(2.0), 1.0);
    EXPECT_EQ(data->m_annotations.size(), 2u);

    // Focus and nothing: no button or menu item carries them, so they are sent.
    ASSERT_TRUE(view.OnCmdMsg(2143, 0, nullptr, nullptr));
    ASSERT_TRUE(view.OnCmdMsg(2142, 0, nullptr, nullptr));
}

TEST_F(GraphAnnotationTest, RecordsComeBackFromTheProject) {
    data->m_annotations = {{700, "Peak", 1.0, 100.0, 0}, {300, "Start", -0.5, 140.0, 1}};
    view.PlaceAnnotations();
    std::vector<QPointF> before;
    for (const auto* a : Labels())
        before.push_back(Offset(*a));
    ASSERT_EQ(before.size(), 2u);

    CVarnelFile out(&doc);
    const CString path = env.File("notes.vnp");
    ASSERT_EQ(out.SaveWithVideo(path, "", false), CVarnelFile::SaveResult::written);
    const std::vector<GraphTextAnnotation> saved = data->m_annotations;
    QFile file(path.ToQString());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray raw = file.readAll();
    ProjectContents contents;
    ASSERT_TRUE(CVarnelFile::ReadBytes(std::vector<BYTE>(raw.begin(), raw.end()), env.Path() + "/",
                                       contents));
    const CDataTreeBrench* read = nullptr;
    for (const auto& b : contents.branches)
        if (b.node && b.node->m_name == "Light") read = b.node.get();
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->m_annotations, saved);
    // The read set, plotted afresh, draws its captions where they were.
    CDataTreeBrench* back = AddSet(Sine());
    back->m_annotations = read->m_annotations;
    view.RefreshGraph(TRUE);
    data = back;
    view.PlotAllData(Add(back));
    Window(0, 2000, -2, 2);
    const auto labels = Labels();
    ASSERT_EQ(labels.size(), 2u);
    for (size_t k = 0; k < 2; ++k) {
        EXPECT_NEAR(Offset(*labels[k]).x(), before[k].x(), 1.0);
        EXPECT_NEAR(Offset(*labels[k]).y(), before[k].y(), 1.0);
    }
}

}  // namespace
}  // namespace graph_test
