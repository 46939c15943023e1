#pragma once

class QLabel;
class QWidget;

namespace zdr::util::ui {

// A field's caption: a plain label with the control name the forms give it.
QLabel* caption(const char* name, const char* text, QWidget* parent);

} // namespace zdr::util::ui
