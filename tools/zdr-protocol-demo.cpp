// Shows the protocol window as the review before a copy shows it: a few
// thousand rows of an information run, some handled, some failed, some
// unticked. For screenshots: scripts/screenshots.sh.
//
//   zdr-protocol-demo [list|text] [--quit-after SECONDS]
#include "protocol/frmProtocol.h"

#include <QApplication>
#include <QCheckBox>
#include <QTimer>

#include <cstring>
#include <string>

using namespace zdr;

namespace {

void fillList(protocol::ui::frmProtocol& w)
{
    w.fc_Init("LISTVIEW", true);
    for (int d = 0; d < 50; ++d) {
        const std::string folder =
            "/home/benutzer/Daten/Projekt " + std::to_string(d / 10) + "/Ordner_" + std::to_string(d);
        const std::string target = "/mnt/sicherung" + folder;
        w.fc_ListItem_Add({"FOLDER", "", folder, folder, target, false, 2, 1});
        w.fc_ListItem_Add({"INFO", "", "(" + folder + "/Notizen)", folder + "/Notizen", "", false, 3, 1});
        for (int f = 59; f >= 0; --f) {
            const std::string name = "Bericht_" + std::to_string(d * 60 + f) + ".odt";
            w.fc_ListItem_Add({"FILE", name, "      " + name + "  ----  " + std::to_string(f * 37 % 900 + 3) + " KB",
                               folder, target, false, 3, 1});
        }
    }
    w.flush();
    protocol::WorkListStep step;
    step.direction = "NEXT";
    step.action = "COPY";
    for (int i = 0; i < 7; ++i)
        w.sb_EntryGetNext(step);
    protocol::ProtocolList& list = w.document().list();
    for (std::size_t i = 10; i < 14; ++i)
        list.setTicked(list.workRow(i), false);
    w.fc_ListItem_Err({"FILE", "Bericht_3.odt", "", "/home/benutzer/Daten/Projekt 0/Ordner_0",
                       "Fehler bei Datei: Bericht_3.odt - Der Datenträger ist voll.", false, 3, 1});
    w.fc_ListItem_Err({"FOLDER", "Ordner_1", "", "/home/benutzer/Daten/Projekt 0/Ordner_1", "", false, 2, 1});
    w.chkActionContinue()->setChecked(true);
    w.chkActionContinue()->show();
}

void fillText(protocol::ui::frmProtocol& w)
{
    std::string text;
    for (int d = 0; d < 40; ++d) {
        text += "\r\n(/home/benutzer/Daten/Ordner_" + std::to_string(d) + ")";
        for (int f = 0; f < 5; ++f)
            text += "\r\n    Bericht_" + std::to_string(f) + ".odt  ----  kopiert";
    }
    w.fc_Init(text, true);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    protocol::ui::frmProtocol w;
    bool text = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "text") == 0)
            text = true;
        if (std::strcmp(argv[i], "--quit-after") == 0 && i + 1 < argc)
            QTimer::singleShot(std::stoi(argv[++i]) * 1000, &app, &QApplication::quit);
    }
    if (text)
        fillText(w);
    else
        fillList(w);
    w.resize(1200, 700);
    w.move(20, 20);
    w.show();
    return app.exec();
}
