#include "util/HelpFile.h"

#include "base/ProgramInfo.h"
#include "platform/Paths.h"
#include "util/MsgBox.h"

#include <QDesktopServices>
#include <QUrl>

namespace zdr::util::ui {

namespace {

HelpOpener& opener()
{
    static HelpOpener instance;
    return instance;
}

} // namespace

std::string helpFilePath() { return platform::joinPath(platform::programFolder(), base::kHelpFileName); }

void openHelpFile(QWidget* owner)
{
    const std::string path = helpFilePath();
    if (!platform::pathExists(path)) {
        msgBox(owner, "Die Hilfedatei '" + path + "' wurde nicht gefunden.", Buttons::Ok, Icon::Information);
        return;
    }
    const bool opened = opener() ? opener()(path)
                                 : QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(path)));
    if (!opened)
        msgBox(owner, "Die Hilfedatei '" + path + "' konnte nicht geöffnet werden.", Buttons::Ok, Icon::Information);
}

void openWebPage(const std::string& address)
{
    if (opener())
        opener()(address);
    else
        QDesktopServices::openUrl(QUrl(QString::fromStdString(address)));
}

void setHelpOpener(HelpOpener opener_) { opener() = std::move(opener_); }

} // namespace zdr::util::ui
