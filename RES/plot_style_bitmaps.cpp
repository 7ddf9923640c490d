#include "RES/plot_style_bitmaps.h"

#include <QImage>

#include "platform/gdi/objects.h"

namespace {

#include "RES/pictures/bitmaps/170.xpm"
#include "RES/pictures/bitmaps/171.xpm"
#include "RES/pictures/bitmaps/172.xpm"

}  // namespace

void RegisterPlotStyleBitmaps() {
    static const bool registered = [] {
        platform::SetBitmapResource(IDB_LINE_STYLES, QImage(bitmap_170));
        platform::SetBitmapResource(IDB_LINE_WEIGHTS, QImage(bitmap_171));
        platform::SetBitmapResource(IDB_MARKER_STYLES, QImage(bitmap_172));
        return true;
    }();
    (void)registered;
}
