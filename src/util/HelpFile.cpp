#include "util/HelpFile.h"

#include "base/ProgramInfo.h"
#include "platform/Paths.h"
#include "util/MsgBox.h"

#include <QDesktopServices>
#include <QUrl>

#include <array>

namespace zdr::util::ui {

namespace {

HelpOpener& opener()
{
    static HelpOpener instance;
    return instance;
}

std::string& folderOverride()
{
    static std::string folder;
    return folder;
}

} // namespace

std::span<const char* const> helpTopics()
{
    static constexpr std::array<const char*, 5> topics = {
        helpTopic::kMainWindow, helpTopic::kParameter, helpTopic::kProgress, helpTopic::kProtocol, helpTopic::kAbout};
    return topics;
}

std::string helpFilePath()
{
    return platform::joinPath(folderOverride().empty() ? platform::programFolder() : folderOverride(),
                              base::kHelpFileName);
}

void openHelpFile(QWidget* owner, const char* topic)
{
    const std::string path = helpFilePath();
    if (!platform::pathExists(path)) {
        msgBox(owner, "Die Hilfedatei '" + path + "' wurde nicht gefunden.", Buttons::Ok, Icon::Information);
        return;
    }
    bool opened = false;
    if (opener()) {
        opened = opener()(topic ? path + "#" + topic : path);
    } else {
        QUrl url = QUrl::fromLocalFile(QString::fromStdString(path));
        if (topic)
            url.setFragment(QString::fromUtf8(topic));
        opened = QDesktopServices::openUrl(url);
    }
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

void setHelpFolder(std::string folder) { folderOverride() = std::move(folder); }

} // namespace zdr::util::ui
