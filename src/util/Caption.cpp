#include "util/Caption.h"

#include <QLabel>

namespace zdr::util::ui {

QLabel* caption(const char* name, const char* text, QWidget* parent)
{
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setObjectName(QString::fromLatin1(name));
    return label;
}

} // namespace zdr::util::ui
