#pragma once

#include "protocol/ProtocolList.h"

#include <QIcon>

namespace zdr::protocol::ui {

// The row icons (image list `imlNorm`), made once: the style's folder and
// file pictures, with a green tick for handled rows and a red cross for
// failed ones; ghosted rows get the disabled look.
const QIcon& rowIcon(RowIcon icon, bool ghosted);

} // namespace zdr::protocol::ui
