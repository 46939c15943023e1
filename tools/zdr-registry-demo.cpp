// Runs the registry coordinator over a few computers whose registries answer
// by script, and shows the finished run with its protocol. For screenshots:
// scripts/screenshots.sh.
//
//   zdr-registry-demo [--quit-after SECONDS]
#include "engine/StatusBits.h"
#include "platform/ErrorCode.h"
#include "protocol/frmProtocol.h"
#include "registry/RegistryProvider.h"
#include "run/clsSystemChange_Cover.h"
#include "run/frmFileSystem.h"
#include "util/CommandLabel.h"

#include <QApplication>
#include <QTimer>

#include <string>

using namespace zdr;
namespace status = engine::status;

namespace {

// The office's computers: one does not answer, one has no such value.
class OfficeRegistries : public registry::RegistryProvider {
public:
    registry::RegistryReadResult fc_ReadValue(const registry::RegistryReadRequest& request) override
    {
        if (request.computer == "\\\\PC-LAGER")
            return registry::errorResult(platform::error::kBadNetPath);
        if (request.computer == "\\\\PC-EMPFANG")
            return registry::errorResult(platform::error::kFileNotFound);
        registry::RegistryReadResult read;
        read.value = std::string("2.0");
        return read;
    }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    int quitAfter = 0;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::string(argv[i]) == "--quit-after")
            quitAfter = std::stoi(argv[++i]);

    run::ui::clsSystemChange_Cover::Services services;
    services.registry = std::make_shared<OfficeRegistries>();
    run::ui::clsSystemChange_Cover cover({.done = [&app] { app.quit(); }, .actionStart = {}, .exceptData = {}},
                                         services);
    cover.fc_Init("CHANGE", status::kWithInfo | status::kCreateProtocol | status::kYield, 0, 2, 32767);
    for (const char* pc : {"\\\\PC-BUERO1", "\\\\PC-BUERO2", "\\\\PC-EMPFANG", "\\\\PC-LAGER", "\\\\PC-CHEF"})
        cover.fc_InitAdd({.sourceFolder = pc,
                          .selection = {"HKEY_LOCAL_MACHINE\\SOFTWARE\\Zendor\\DaroRazu"},
                          .targetFolder = "Version",
                          .exclusions = "2.0",
                          .nameFilters = "Spooler"});
    if (!cover.fc_InitActionStart(true, nullptr))
        return 1;
    run::ui::frmFileSystem& w = *cover.progressWindow();
    w.move(20, 20);
    w.sb_ActionStart();
    w.lblCmdProtocol()->click();
    if (protocol::ui::frmProtocol* protocol = w.protocolWindow())
        protocol->setGeometry(w.frameGeometry().right() + 20, 20, 640, 360);
    if (quitAfter > 0)
        QTimer::singleShot(quitAfter * 1000, &app, &QApplication::quit);
    return app.exec();
}
