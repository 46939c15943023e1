#pragma once

#include <functional>
#include <span>
#include <string>

class QWidget;

namespace zdr::util::ui {

// The topics windows open the user guide at with F1: anchors of the guide.
namespace helpTopic {
inline constexpr const char* kMainWindow = "hauptfenster";
inline constexpr const char* kParameter = "parameter";
inline constexpr const char* kProgress = "fortschritt";
inline constexpr const char* kProtocol = "protokoll";
inline constexpr const char* kAbout = "info";
} // namespace helpTopic
std::span<const char* const> helpTopics();

// The user guide: "hilfe/index.html" in the program's folder (the build), else
// where it is installed (share/doc/zendor-darorazu/hilfe).
std::string helpFilePath();

// F1 and the help menus: opens the guide in the desktop's browser, at the
// topic when one is given, else at its table of contents. A missing file, a
// desktop without a browser or a failed start is told in a message box that
// says where the guide is.
void openHelpFile(QWidget* owner, const char* topic = nullptr);

// The help menus' web-page entry: opens the address in the system's browser.
void openWebPage(const std::string& address);

// Replaces the browser start (tests); an empty function restores it. The
// opener gets the guide's path (with "#topic") or the page's address and says
// whether it could open it.
using HelpOpener = std::function<bool(const std::string& path)>;
void setHelpOpener(HelpOpener opener);

// Tests: the folder the guide is looked for in instead of the program's.
void setHelpFolder(std::string folder);

} // namespace zdr::util::ui
