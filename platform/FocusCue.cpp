#include "platform/FocusCue.h"

#include "platform/CWnd.h"
#include "platform/CWndWidget.h"

bool ShowsFocusCue(const CWnd& window) {
    const auto* widget = dynamic_cast<const CWndWidget*>(window.Widget());
    return widget != nullptr && widget->hasFocus() && widget->FocusCameByKeys();
}
