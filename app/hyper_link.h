#pragma once
// CHyperLink: a static that shows an address and opens it on a click.

#include "platform/ui/controls.h"

class CHyperLink : public CStatic {
public:
    // The address opened, and the text shown (the address when empty).
    void SetURL(const CString& url);
    CString GetURL() const { return m_url; }
    // Hands the address to the desktop; false when nothing took it.
    bool Open() const;

protected:
    void PreSubclassWindow() override;

private:
    CString m_url;
};
