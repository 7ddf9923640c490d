#include "platform/msg/keys.h"

#include <Qt>
#include <utility>

namespace platform {
namespace {

constexpr std::pair<int, UINT> kKeys[] = {
    {Qt::Key_Backspace, VK_BACK},  {Qt::Key_Tab, VK_TAB},       {Qt::Key_Backtab, VK_TAB},
    {Qt::Key_Return, VK_RETURN},   {Qt::Key_Enter, VK_RETURN},  {Qt::Key_Shift, VK_SHIFT},
    {Qt::Key_Control, VK_CONTROL}, {Qt::Key_Alt, VK_MENU},      {Qt::Key_Escape, VK_ESCAPE},
    {Qt::Key_Space, VK_SPACE},     {Qt::Key_PageUp, VK_PRIOR},  {Qt::Key_PageDown, VK_NEXT},
    {Qt::Key_End, VK_END},         {Qt::Key_Home, VK_HOME},     {Qt::Key_Left, VK_LEFT},
    {Qt::Key_Up, VK_UP},           {Qt::Key_Right, VK_RIGHT},   {Qt::Key_Down, VK_DOWN},
    {Qt::Key_Insert, VK_INSERT},   {Qt::Key_Delete, VK_DELETE},
};

bool g_shift = false;
bool g_control = false;

}  // namespace

UINT VirtualKeyFromQt(int qtKey) {
    for (const auto& [qt, vk] : kKeys)
        if (qt == qtKey) return vk;
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9))
        return static_cast<UINT>(qtKey);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F12)
        return VK_F1 + static_cast<UINT>(qtKey - Qt::Key_F1);
    return 0;
}

int QtKeyFromVirtualKey(UINT vk) {
    for (const auto& [qt, v] : kKeys)
        if (v == vk) return qt;
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) return static_cast<int>(vk);
    if (vk >= VK_F1 && vk <= VK_F12) return Qt::Key_F1 + static_cast<int>(vk - VK_F1);
    return 0;
}

void SetKeyStateForInput(bool shift, bool control) {
    g_shift = shift;
    g_control = control;
}

}  // namespace platform

SHORT GetKeyState(int vk) {
    const bool down = (vk == static_cast<int>(VK_SHIFT) && platform::g_shift) ||
                      (vk == static_cast<int>(VK_CONTROL) && platform::g_control);
    return down ? static_cast<SHORT>(0x8000) : 0;
}
