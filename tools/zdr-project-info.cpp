// Developer tool: prints the settings and tasks of a project file, headless.
#include "base/ParameterCodes.h"
#include "base/Text.h"
#include "project/ProjectFile.h"
#include "project/Task.h"

#include <iostream>

using namespace zdr::project;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: zdr-project-info <project.ZdrPrj>\n";
        return 2;
    }
    ProjectDocument doc;
    std::string why;
    if (!readProjectFile(argv[1], kProjectRootName, doc, why)) {
        std::cerr << "Beim Laden des Projektes ist folgender Fehler aufgetreten: " << why << "\n";
        return 1;
    }
    for (const ProjectElement& element : doc.elements) {
        if (element.kind != ControlKind::ListView) {
            std::cout << element.name << " = " << zdr::base::toValidUtf8(element.value) << "\n";
            continue;
        }
        for (const ListViewRow& row : element.listView.rows) {
            // The task as the program takes it, each field in its stored form.
            const Task task = taskFromRow(row);
            std::cout << "\nAufgabe " << task.key << (task.key == element.listView.selectedKey ? " (ausgewählt)" : "")
                      << ": " << zdr::base::toValidUtf8(task.label) << "\n";
            for (int subItem = 1; subItem <= kSubItemCount; ++subItem) {
                std::string value = fieldText(task, subItem);
                if (value.empty())
                    continue;
                // Network passwords stay in the file, not on the screen.
                if (subItem == kNetSourceKey || subItem == kNetTargetKey)
                    value = zdr::base::maskedNetConnectCode(value);
                std::cout << "  " << taskColumns()[static_cast<std::size_t>(subItem)].header << ": "
                          << zdr::base::toValidUtf8(value) << "\n";
            }
        }
        std::cout << "\n";
    }
    return 0;
}
