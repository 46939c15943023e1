#pragma once

class QMenu;
class QWidget;

namespace zdr::util::ui {

// Fills a help menu with the program's entries, each an action named
// "mnuHelpWork" with its index in the property "Index": 1 "HTML Hilfe
// aufrufen" (the help file), 2 a separator, 3 "Informationen" (the about box
// over the owner), 4 the maker's web page.
void fillHelpMenu(QMenu* menu, QWidget* owner);

} // namespace zdr::util::ui
