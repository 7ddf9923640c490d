#pragma once
// Document templates and creation contexts. A template names, by runtime class, the document,
// frame and view of one kind of window, with the resource they load; a creation context carries
// what a frame needs to make its view while it is being created.

#include "platform/msg/cmdtarget.h"

class CDocTemplate;
class CDocument;
class CFrameWnd;
class CView;

struct CCreateContext {
    // The class of the view the frame makes; none makes no view.
    const CRuntimeClass* m_pNewViewClass = nullptr;
    // The document the new view shows.
    CDocument* m_pCurrentDoc = nullptr;
    const CDocTemplate* m_pNewDocTemplate = nullptr;
    // The view and frame that were active before.
    CView* m_pLastView = nullptr;
    CFrameWnd* m_pCurrentFrame = nullptr;
};

class CDocTemplate : public CCmdTarget {
    DECLARE_DYNAMIC(CDocTemplate)
    CDocTemplate(UINT idResource, const CRuntimeClass* docClass, const CRuntimeClass* frameClass,
                 const CRuntimeClass* viewClass)
        : m_nIDResource(idResource),
          m_pDocClass(docClass),
          m_pFrameClass(frameClass),
          m_pViewClass(viewClass) {}

    const UINT m_nIDResource;
    const CRuntimeClass* const m_pDocClass;
    const CRuntimeClass* const m_pFrameClass;
    const CRuntimeClass* const m_pViewClass;
};

class CMultiDocTemplate : public CDocTemplate {
    DECLARE_DYNAMIC(CMultiDocTemplate)
    using CDocTemplate::CDocTemplate;
};
