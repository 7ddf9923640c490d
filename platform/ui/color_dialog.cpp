#include "platform/ui/color_dialog.h"

#include "platform/ui/modal_host.h"

INT_PTR CColorDialog::DoModal() {
    return platform::ModalHost::Current().RunColorDialog(*this);
}
