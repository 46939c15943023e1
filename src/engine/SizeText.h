#pragma once

#include <string>
#include <string_view>

namespace zdr::engine {

// Size text of a size in kilobytes. unit "B", "KB", "MB" or empty (chooses
// itself: Byte below 1 KB, KB below 1024 KB, MB below 1024 MB, else GB);
// format empty means "#,##0.00" ("###0" for bytes). Size 0 with an empty
// unit gives an empty text.
std::string fc_SizeText(double sizeKB, std::string_view unit = {}, std::string_view format = {});

} // namespace zdr::engine
