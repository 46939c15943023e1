#include "util/DesktopNotice.h"

#include "base/ProgramInfo.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

namespace zdr::util::ui {

namespace {

DesktopNotifier& notifier()
{
    static DesktopNotifier instance;
    return instance;
}

// Bodies may be read as markup.
QString escaped(const std::string& text) { return QString::fromStdString(text).toHtmlEscaped(); }

constexpr int kCallTimeoutMs = 3000;

} // namespace

bool notifyDesktop(const std::string& summary, const std::string& body)
{
    if (notifier())
        return notifier()(summary, body);
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
        QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
    QVariantMap hints;
    hints.insert(QStringLiteral("desktop-entry"), QString::fromUtf8(base::kDesktopId.data(), base::kDesktopId.size()));
    call << QString::fromUtf8(base::kProgramTitle.data(), base::kProgramTitle.size()) << 0U
         << QString::fromUtf8(base::kDesktopId.data(), base::kDesktopId.size()) << QString::fromStdString(summary)
         << escaped(body) << QStringList() << hints << -1;
    const QDBusMessage reply = bus.call(call, QDBus::Block, kCallTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

void setDesktopNotifier(DesktopNotifier notifier_) { notifier() = std::move(notifier_); }

} // namespace zdr::util::ui
