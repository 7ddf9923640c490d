#include "logger/main_window_link.h"

namespace {

CMainWindowLink*& Installed() {
    static CMainWindowLink* link = nullptr;
    return link;
}

}  // namespace

void InstallMainWindowLink(CMainWindowLink* link) {
    Installed() = link;
}

CMainWindowLink* GetMainWindowLink() {
    return Installed();
}
