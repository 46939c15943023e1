#include "app/StartScreen.h"

namespace zdr::app {

StartScreen startScreen(const base::StartPlan& plan, const std::function<std::string(const char*)>& environment)
{
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"})
        if (!environment(name).empty())
            return StartScreen::Display;
    if (plan.form == base::StartPlan::Form::HandOff)
        return StartScreen::Offscreen;
    if (plan.form == base::StartPlan::Form::MainWindow && !plan.arguments[0].empty()
        && (base::isSwitch(plan.arguments[1], 'A') || base::isSwitch(plan.arguments[2], 'A')))
        return StartScreen::Offscreen;
    return StartScreen::Missing;
}

std::string noDisplayText()
{
    return "Zendor DaroRazu: Keine grafische Anzeige gefunden (DISPLAY und WAYLAND_DISPLAY sind nicht gesetzt).\n"
           "Ohne Anzeige führt das Programm nur ein Projekt aus, das mit /a gestartet wird, z. B.:\n"
           "  zendor-darorazu Projekt.ZdrPrj /a /s";
}

} // namespace zdr::app
