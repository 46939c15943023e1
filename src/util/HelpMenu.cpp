#include "util/HelpMenu.h"

#include "base/ProgramInfo.h"
#include "util/HelpFile.h"
#include "util/frmAbout.h"

#include <QMenu>
#include <QPointer>

namespace zdr::util::ui {

void fillHelpMenu(QMenu* menu, QWidget* owner)
{
    struct Entry {
        int index;
        const char* text;
    };
    static constexpr Entry entries[] = {
        {1, "HTML Hilfe aufrufen"}, {2, nullptr}, {3, "Informationen"}, {4, "Zendor GmbH im Internet"}};
    for (const Entry& entry : entries) {
        QAction* action = entry.text ? menu->addAction(QString::fromUtf8(entry.text)) : menu->addSeparator();
        action->setObjectName(QStringLiteral("mnuHelpWork"));
        action->setProperty("Index", entry.index);
    }
    QPointer<QWidget> window(owner);
    QObject::connect(menu, &QMenu::triggered, menu, [window](QAction* action) {
        switch (action->property("Index").toInt()) {
        case 1: openHelpFile(window); break;
        case 3: showAbout(window); break;
        case 4: openWebPage(std::string(base::kProductWebPage)); break;
        default: break;
        }
    });
}

} // namespace zdr::util::ui
