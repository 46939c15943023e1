#pragma once

#include <functional>

namespace zdr::util::ui {

// Whether the Ctrl key is held down now: a held Ctrl keeps an automatic start
// from running (the command line's /a, a run's automatic start).
bool ctrlKeyHeld();

// Replaces the key query (tests); an empty function restores it.
void setCtrlKeyQuery(std::function<bool()> query);

} // namespace zdr::util::ui
