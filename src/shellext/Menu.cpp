#include "shellext/Menu.h"

#include <algorithm>

void zse_Menu::insert(unsigned position, Item item)
{
    const std::size_t at = std::min<std::size_t>(position, items.size());
    items.insert(items.begin() + static_cast<std::ptrdiff_t>(at), std::move(item));
}
