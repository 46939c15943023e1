#include "engine/SizeText.h"

#include "base/NumberFormat.h"

namespace zdr::engine {

std::string fc_SizeText(double sizeKB, std::string_view unit, std::string_view format)
{
    if (sizeKB == 0 && unit.empty())
        return {};
    const std::string_view picture = format.empty() ? std::string_view("#,##0.00") : format;
    if (unit == "B" || (unit.empty() && sizeKB > 0 && sizeKB < 1)) {
        // The count is of bytes, so the kilobytes are turned back into bytes.
        return base::formatNumber(sizeKB * 1024, format.empty() ? std::string_view("###0") : format) + " Byte";
    }
    if (unit == "KB" || (unit.empty() && sizeKB < 1024))
        return base::formatNumber(sizeKB, picture) + " KB";
    if (unit == "MB" || (unit.empty() && sizeKB / 1024 < 1024))
        return base::formatNumber(sizeKB / 1024, picture) + " MB";
    return base::formatNumber(sizeKB / 1024 / 1024, picture) + " GB";
}

} // namespace zdr::engine
