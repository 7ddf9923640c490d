#pragma once
// Command targets and message maps. A class lists its handlers in a static table that chains to its
// base class's table; dispatch walks the chain from the most derived class, so a derived entry
// hides the base's one for the same message or command.

#include <functional>
#include <optional>
#include <type_traits>
#include <vector>

#include "platform/base/cstring.h"
#include "platform/base/object.h"
#include "platform/msg/messages.h"

class CCmdTarget;
class CCmdUI;

namespace platform::msgmap {

enum class Kind { Message, Command, UpdateUI };

// One handler. For commands, `code` is the notification code (0 for menus and button clicks).
struct Entry {
    Kind kind;
    UINT code;
    UINT first;
    UINT last;
    std::function<LRESULT(CCmdTarget*, UINT id, WPARAM, LPARAM, void* extra)> call;
};

struct MessageMap {
    const MessageMap* (*base)();
    std::vector<Entry> entries;
};

template <class T, class C>
Entry Message(UINT msg, LRESULT (C::*fn)(WPARAM, LPARAM)) {
    static_assert(std::is_base_of_v<C, T>);
    return {Kind::Message, 0, msg, msg, [fn](CCmdTarget* t, UINT, WPARAM w, LPARAM l, void*) {
                return (static_cast<T*>(t)->*fn)(w, l);
            }};
}

template <class T, class C>
Entry Command(UINT code, UINT id, void (C::*fn)()) {
    static_assert(std::is_base_of_v<C, T>);
    return {Kind::Command, code, id, id, [fn](CCmdTarget* t, UINT, WPARAM, LPARAM, void*) {
                (static_cast<T*>(t)->*fn)();
                return LRESULT(1);
            }};
}

template <class T, class C>
Entry CommandRange(UINT code, UINT first, UINT last, void (C::*fn)(UINT)) {
    static_assert(std::is_base_of_v<C, T>);
    return {Kind::Command, code, first, last, [fn](CCmdTarget* t, UINT id, WPARAM, LPARAM, void*) {
                (static_cast<T*>(t)->*fn)(id);
                return LRESULT(1);
            }};
}

template <class T, class C>
Entry UpdateUI(UINT first, UINT last, void (C::*fn)(CCmdUI*)) {
    static_assert(std::is_base_of_v<C, T>);
    return {Kind::UpdateUI, 0, first, last, [fn](CCmdTarget* t, UINT, WPARAM, LPARAM, void* extra) {
                (static_cast<T*>(t)->*fn)(static_cast<CCmdUI*>(extra));
                return LRESULT(1);
            }};
}

}  // namespace platform::msgmap

// Asked of a command route without running the handler: does anyone handle this command?
struct CmdHandlerInfo {
    CCmdTarget* target = nullptr;
};

class CCmdTarget : public CObject {
    DECLARE_DYNAMIC(CCmdTarget)
    ~CCmdTarget() override = default;

    // Finds a handler for the command (code CN_COMMAND or a control notification) or for its
    // update (CN_UPDATE_COMMAND_UI, extra = the CCmdUI) and runs it. With `info`, only reports
    // whether one exists. Derived classes extend the route (view, document, frame, application).
    virtual BOOL OnCmdMsg(UINT id, int code, void* extra, CmdHandlerInfo* info);

protected:
    static const platform::msgmap::MessageMap* GetThisMessageMap();
    virtual const platform::msgmap::MessageMap* GetMessageMap() const;
    // Runs the first message-map entry for a window message; false when there is none.
    bool DispatchMapMessage(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
};

// The state of one command's user-interface item (menu item, toolbar button) as the update
// handlers set it. DoUpdate runs the route; with no update handler and no command handler the
// item is disabled.
class CCmdUI {
public:
    virtual ~CCmdUI() = default;
    UINT m_nID = 0;
    UINT m_nIndex = 0;

    virtual void Enable(BOOL on = TRUE);
    virtual void SetCheck(int check = 1);
    virtual void SetRadio(BOOL on = TRUE) { SetCheck(on ? 1 : 0); }
    virtual void SetText(const char* text);

    BOOL DoUpdate(CCmdTarget* target, BOOL disableIfNoHandler);

    bool m_bEnableChanged = false;
    bool m_enabled = true;
    int m_checked = 0;
    std::optional<CString> m_text;
};

// Message-map declarations, in the class library's form.
#define DECLARE_MESSAGE_MAP()                                             \
protected:                                                                \
    static const ::platform::msgmap::MessageMap* GetThisMessageMap();     \
    const ::platform::msgmap::MessageMap* GetMessageMap() const override; \
                                                                          \
protected:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                              \
    const ::platform::msgmap::MessageMap* theClass::GetMessageMap() const { \
        return GetThisMessageMap();                                         \
    }                                                                       \
    const ::platform::msgmap::MessageMap* theClass::GetThisMessageMap() {   \
        using ThisClass [[maybe_unused]] = theClass;                        \
        using TheBaseClass = baseClass;                                     \
        static const ::platform::msgmap::MessageMap map {                   \
            &TheBaseClass::GetThisMessageMap, {
#define END_MESSAGE_MAP() \
    }                     \
    }                     \
    ;                     \
    return &map;          \
    }

#define ON_MESSAGE(msg, fn) ::platform::msgmap::Message<ThisClass>(msg, &ThisClass::fn),
#define ON_COMMAND(id, fn) ::platform::msgmap::Command<ThisClass>(0, id, &ThisClass::fn),
#define ON_COMMAND_RANGE(first, last, fn) \
    ::platform::msgmap::CommandRange<ThisClass>(0, first, last, &ThisClass::fn),
#define ON_UPDATE_COMMAND_UI(id, fn) \
    ::platform::msgmap::UpdateUI<ThisClass>(id, id, &ThisClass::fn),
#define ON_UPDATE_COMMAND_UI_RANGE(first, last, fn) \
    ::platform::msgmap::UpdateUI<ThisClass>(first, last, &ThisClass::fn),
#define ON_CONTROL(code, id, fn) ::platform::msgmap::Command<ThisClass>(code, id, &ThisClass::fn),
#define ON_CONTROL_RANGE(code, first, last, fn) \
    ::platform::msgmap::CommandRange<ThisClass>(code, first, last, &ThisClass::fn),
#define ON_BN_CLICKED(id, fn) ON_CONTROL(BN_CLICKED, id, fn)
#define ON_BN_DOUBLECLICKED(id, fn) ON_CONTROL(BN_DOUBLECLICKED, id, fn)
#define ON_EN_CHANGE(id, fn) ON_CONTROL(EN_CHANGE, id, fn)
#define ON_EN_KILLFOCUS(id, fn) ON_CONTROL(EN_KILLFOCUS, id, fn)
#define ON_CBN_SELCHANGE(id, fn) ON_CONTROL(CBN_SELCHANGE, id, fn)
#define ON_CBN_EDITCHANGE(id, fn) ON_CONTROL(CBN_EDITCHANGE, id, fn)
#define ON_LBN_SELCHANGE(id, fn) ON_CONTROL(LBN_SELCHANGE, id, fn)
#define ON_LBN_DBLCLK(id, fn) ON_CONTROL(LBN_DBLCLK, id, fn)
#define ON_CLBN_CHKCHANGE(id, fn) ON_CONTROL(CLBN_CHKCHANGE, id, fn)
