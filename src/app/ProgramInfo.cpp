#include "app/ProgramInfo.h"

namespace zdr::app {

Version programVersion() { return {ZDR_VERSION_MAJOR, ZDR_VERSION_MINOR, ZDR_VERSION_PATCH}; }

} // namespace zdr::app
