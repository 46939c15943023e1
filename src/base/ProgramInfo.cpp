#include "base/ProgramInfo.h"

namespace zdr::base {

Version programVersion() { return {ZDR_VERSION_MAJOR, ZDR_VERSION_MINOR, ZDR_VERSION_PATCH}; }

} // namespace zdr::base
