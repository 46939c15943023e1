#pragma once

#include <array>
#include <string_view>

namespace zdr::shellext {

// The handler's commands by offset from the first command identifier the
// file manager grants; offset 0 is never used.
struct MenuCommand {
    int offset;
    std::string_view menuText;
    int bitmap;
    std::string_view helpText;
    std::string_view actionWord;
};

inline constexpr int kCopy = 1;
inline constexpr int kDelete = 2;
inline constexpr int kMkDir = 3;
inline constexpr int kInfo = 4;
inline constexpr int kInfoDir = 5;

const std::array<MenuCommand, 5>& menuCommands();
// nullptr outside 1 to 5.
const MenuCommand* menuCommand(int offset);

inline constexpr std::string_view kInfoSubmenuText = "&Informationen (Zendor Daten Informationen)";
inline constexpr int kInfoSubmenuBitmap = 103;

// Icon names standing in for the four menu pictures.
const char* bitmapIconName(int bitmap);

} // namespace zdr::shellext
