#pragma once

#include "shellext/ZendorShellExtensions.h"

#include <memory>
#include <string>
#include <vector>

// A popup menu as the file manager hands it to the handler: items inserted by
// position, popups owning their submenus.
struct zse_Menu {
    struct Item {
        int kind = ZSE_MF_STRING;
        unsigned id = 0;
        int bitmap = 0;
        std::string text;
        std::unique_ptr<zse_Menu> submenu;
    };

    std::vector<Item> items;

    // Before position; past the end appends.
    void insert(unsigned position, Item item);
};
