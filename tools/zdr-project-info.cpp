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
            std::cout << "\nAufgabe " << row.key << (row.key == element.listView.selectedKey ? " (ausgewählt)" : "")
                      << ": " << zdr::base::toValidUtf8(row.text) << "\n";
            for (std::size_t i = 0; i < row.subItems.size() && i < taskColumns().size() - 1; ++i) {
                if (row.subItems[i].empty())
                    continue;
                const std::string_view header = taskColumns()[i + 1].header;
                // Network passwords stay in the file, not on the screen.
                const std::string value =
                    zdr::base::startsWith(header, "NetConnect") && zdr::base::endsWith(header, "KEY")
                    ? zdr::base::maskedNetConnectCode(row.subItems[i])
                    : row.subItems[i];
                std::cout << "  " << header << ": " << zdr::base::toValidUtf8(value) << "\n";
            }
        }
        std::cout << "\n";
    }
    return 0;
}
