#pragma once

#include "shellext/HandOffWire.h"

namespace zdr::app {

class frmStart;

// What the receiver does with one message: the payload is read as at most
// 256 bytes cut at the first zero; dwData 1 adds an entry, 2 ends the
// selection, anything else is ignored.
shellext::wire::Reply fc_HandOffWindowProc(frmStart& form, const shellext::wire::Message& message);

} // namespace zdr::app
