#include "util/KeyState.h"

#include <QGuiApplication>

namespace zdr::util::ui {

namespace {

std::function<bool()>& query()
{
    static std::function<bool()> instance;
    return instance;
}

} // namespace

bool ctrlKeyHeld()
{
    if (query())
        return query()();
    return (QGuiApplication::queryKeyboardModifiers() & Qt::ControlModifier) != 0;
}

void setCtrlKeyQuery(std::function<bool()> q) { query() = std::move(q); }

} // namespace zdr::util::ui
