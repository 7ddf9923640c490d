#include <gtest/gtest.h>

#include <QMdiSubWindow>
#include <memory>

#include "platform/win/frame.h"
#include "tests/support/harness.h"

namespace {

// A view that notes what it saw while it was being made and set up.
class NotingView : public CView {
    DECLARE_DYNCREATE(NotingView)
    int OnCreate(LPCREATESTRUCT cs) override {
        documentAtCreate = GetDocument();
        return failCreate ? -1 : CView::OnCreate(cs);
    }
    void OnInitialUpdate() override { ++initialUpdates; }

    CDocument* documentAtCreate = nullptr;
    int initialUpdates = 0;
    static inline bool failCreate = false;
};
IMPLEMENT_DYNCREATE(NotingView, CView)

// A class the framework knows but cannot make.
class NamedOnlyView : public CView {
    DECLARE_DYNAMIC(NamedOnlyView)
};
IMPLEMENT_DYNAMIC(NamedOnlyView, CView)

TEST(RuntimeClass, NamesItsClassAndBasesAndMakesOnlyWhatIsDynCreate) {
    struct Row {
        const CRuntimeClass* type;
        const char* name;
        const CRuntimeClass* base;
        bool isView;
        bool isFrame;
        bool makes;
    };
    const Row rows[] = {
        {RUNTIME_CLASS(CObject), "CObject", nullptr, false, false, false},
        {RUNTIME_CLASS(CWnd), "CWnd", RUNTIME_CLASS(CCmdTarget), false, false, false},
        {RUNTIME_CLASS(CDocument), "CDocument", RUNTIME_CLASS(CCmdTarget), false, false, false},
        {RUNTIME_CLASS(CView), "CView", RUNTIME_CLASS(CWnd), true, false, false},
        {RUNTIME_CLASS(CMDIChildWnd), "CMDIChildWnd", RUNTIME_CLASS(CFrameWnd), false, true, true},
        {RUNTIME_CLASS(CMultiDocTemplate), "CMultiDocTemplate", RUNTIME_CLASS(CDocTemplate), false,
         false, false},
        {RUNTIME_CLASS(NotingView), "NotingView", RUNTIME_CLASS(CView), true, false, true},
        {RUNTIME_CLASS(NamedOnlyView), "NamedOnlyView", RUNTIME_CLASS(CView), true, false, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_STREQ(row.type->m_lpszClassName, row.name);
        EXPECT_EQ(row.type->m_pBaseClass, row.base);
        EXPECT_TRUE(row.type->IsDerivedFrom(row.type));
        EXPECT_TRUE(row.type->IsDerivedFrom(RUNTIME_CLASS(CObject)));
        EXPECT_EQ(bool(row.type->IsDerivedFrom(RUNTIME_CLASS(CView))), row.isView);
        EXPECT_EQ(bool(row.type->IsDerivedFrom(RUNTIME_CLASS(CFrameWnd))), row.isFrame);
        std::unique_ptr<CObject> made(row.type->CreateObject());
        EXPECT_EQ(made != nullptr, row.makes);
        // What is made is of the class itself, not of the nearest base that declared one.
        if (made) {
            EXPECT_EQ(made->GetRuntimeClass(), row.type);
        }
    }
    NamedOnlyView view;
    EXPECT_TRUE(view.IsKindOf(RUNTIME_CLASS(NamedOnlyView)));
    EXPECT_TRUE(view.IsKindOf(RUNTIME_CLASS(CWnd)));
    EXPECT_FALSE(view.IsKindOf(RUNTIME_CLASS(NotingView)));
    EXPECT_FALSE(view.IsKindOf(RUNTIME_CLASS(CFrameWnd)));
    // A class without a declaration of its own reports the nearest that has one.
    class Plain : public NotingView {};
    EXPECT_EQ(Plain().GetRuntimeClass(), RUNTIME_CLASS(NotingView));
}

class LoadFrameTest : public testing_support::HarnessTest {
protected:
    void SetUp() override {
        ASSERT_TRUE(main.Create(nullptr, "Main", WS_OVERLAPPEDWINDOW, CRect(0, 0, 500, 400)));
        main.ShowWindow(SW_SHOW);
        NotingView::failCreate = false;
    }
    // A child frame made by class and loaded with the context.
    std::unique_ptr<CMDIChildWnd> Load(CCreateContext& context, BOOL& loaded) {
        std::unique_ptr<CMDIChildWnd> frame(
            static_cast<CMDIChildWnd*>(RUNTIME_CLASS(CMDIChildWnd)->CreateObject()));
        loaded = frame->LoadFrame(152, WS_CHILD | WS_VISIBLE, &main, &context);
        return frame;
    }

    CMDIFrameWnd main;
    CDocument doc;
    CMultiDocTemplate docTemplate{152, RUNTIME_CLASS(CDocument), RUNTIME_CLASS(CMDIChildWnd),
                                  RUNTIME_CLASS(NotingView)};
};

TEST_F(LoadFrameTest, TheContextsViewJoinsTheDocumentFillsTheFrameAndGoesWithIt) {
    CCreateContext context;
    context.m_pNewViewClass = docTemplate.m_pViewClass;
    context.m_pCurrentDoc = &doc;
    context.m_pNewDocTemplate = &docTemplate;
    BOOL loaded = FALSE;
    auto frame = Load(context, loaded);
    ASSERT_TRUE(loaded);
    EXPECT_EQ(frame->m_nIDHelp, 152u);
    EXPECT_EQ(frame->GetParent(), &main);

    auto* view = dynamic_cast<NotingView*>(frame->GetDlgItem(AFX_IDW_PANE_FIRST));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->documentAtCreate, &doc);
    EXPECT_EQ(doc.GetViews(), std::vector<CView*>{view});
    EXPECT_EQ(qobject_cast<QMdiSubWindow*>(frame->GetWidget())->widget(), view->GetWidget());
    EXPECT_EQ(view->initialUpdates, 0);

    // The first update makes the pane the active view and updates it once.
    frame->InitialUpdateFrame(&doc, TRUE);
    EXPECT_EQ(frame->GetActiveView(), view);
    EXPECT_EQ(view->initialUpdates, 1);
    EXPECT_TRUE(frame->IsWindowVisible());

    frame.reset();
    EXPECT_TRUE(doc.GetViews().empty());
}

TEST_F(LoadFrameTest, AFrameWhoseViewCannotBeMadeFailsAndLeavesNothing) {
    struct Row {
        const char* what;
        const CRuntimeClass* viewClass;
        bool failCreate;
        bool loads;
    };
    const Row rows[] = {
        {"no view class: a frame without a view", nullptr, false, true},
        {"not a view", RUNTIME_CLASS(CMDIChildWnd), false, false},
        {"not made by class", RUNTIME_CLASS(NamedOnlyView), false, false},
        {"the view's creation fails", RUNTIME_CLASS(NotingView), true, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        NotingView::failCreate = row.failCreate;
        CCreateContext context;
        context.m_pNewViewClass = row.viewClass;
        context.m_pCurrentDoc = &doc;
        BOOL loaded = FALSE;
        auto frame = Load(context, loaded);
        EXPECT_EQ(bool(loaded), row.loads);
        EXPECT_EQ(frame->m_hWnd != nullptr, row.loads);
        EXPECT_EQ(frame->GetDlgItem(AFX_IDW_PANE_FIRST), nullptr);
        EXPECT_TRUE(doc.GetViews().empty());
    }
}

}  // namespace
