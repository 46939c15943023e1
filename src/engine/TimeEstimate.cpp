#include "engine/TimeEstimate.h"

#include <cmath>
#include <limits>

namespace zdr::engine {

namespace {

std::int32_t clampSeconds(double value)
{
    if (!(value > 0))
        return 0;
    return value >= std::numeric_limits<std::int32_t>::max() ? std::numeric_limits<std::int32_t>::max()
                                                             : static_cast<std::int32_t>(value);
}

} // namespace

std::int32_t fc_EstimateSeconds(std::int64_t elapsed, const EngineCounters& c, std::int64_t currentFileBytes,
                                bool countOnly)
{
    const double seconds = static_cast<double>(elapsed);
    const double count = static_cast<double>(c.CountFiles + c.CountFolder);
    const double handled = static_cast<double>(c.CountFiles_Done + c.CountFolder_Done);
    // Nothing handled yet counts as a tenth of an entry.
    const double byCount = std::floor(handled > 0 ? seconds * count / handled : seconds * count * 10);
    if (countOnly)
        return clampSeconds(byCount);
    const double doneKB = c.SizeTotal_Done + static_cast<double>(currentFileBytes) / 1024;
    // Nothing measured by size yet (only empty files so far): the count alone tells.
    const double bySize = doneKB > 0 ? std::floor(seconds * c.SizeTotal / doneKB) : byCount;
    return clampSeconds(std::nearbyint((byCount + bySize) / 2));
}

} // namespace zdr::engine
