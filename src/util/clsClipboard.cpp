#include "util/clsClipboard.h"

#include "base/Text.h"

#include <QClipboard>
#include <QEventLoop>
#include <QGuiApplication>
#include <QMimeData>
#include <QTimer>

#include <memory>
#include <mutex>
#include <vector>

namespace zdr::util::ui {

namespace {

constexpr std::uint32_t kFirstRegistered = 0xC000;
// How long a program that owns the clipboard still answers for it under Wayland.
constexpr int kWaylandHandOverMs = 300;

struct Registry {
    std::mutex mutex;
    std::vector<std::string> names;
};

Registry& registry()
{
    static Registry instance;
    return instance;
}

// The name a non-text format is known by; empty for a number nobody gave out.
std::string formatName(std::uint32_t format)
{
    switch (format) {
    case base::clipboardFormat::kSylk: return "SYLK";
    case base::clipboardFormat::kDif: return "DIF";
    default: break;
    }
    Registry& r = registry();
    const std::lock_guard lock(r.mutex);
    if (format >= kFirstRegistered && format - kFirstRegistered < r.names.size())
        return r.names[format - kFirstRegistered];
    return {};
}

bool isTextFormat(std::uint32_t format)
{
    return format == base::clipboardFormat::kText || format == base::clipboardFormat::kOemText
        || format == base::clipboardFormat::kUnicodeText;
}

} // namespace

std::uint32_t clsClipboard::fc_RegisterFormat(std::string_view name)
{
    Registry& r = registry();
    const std::lock_guard lock(r.mutex);
    for (std::size_t i = 0; i < r.names.size(); ++i)
        if (base::iequals(r.names[i], name))
            return kFirstRegistered + static_cast<std::uint32_t>(i);
    r.names.emplace_back(name);
    return kFirstRegistered + static_cast<std::uint32_t>(r.names.size() - 1);
}

bool clsClipboard::ClipboardAll_Copy(const std::string& text, std::uint32_t format)
{
    // Without a GUI application there is no clipboard to open.
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return false;
    const std::string utf8 = base::toValidUtf8(text);
    auto data = std::make_unique<QMimeData>();
    if (isTextFormat(format)) {
        data->setText(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())));
    } else {
        const std::string name = formatName(format);
        if (name.empty())
            return false;
        // The form under which Qt puts a format of this name on the Windows clipboard.
        data->setData(QStringLiteral("application/x-qt-windows-mime;value=\"%1\"").arg(QString::fromStdString(name)),
                      QByteArray(utf8.data(), static_cast<qsizetype>(utf8.size())));
    }
    QGuiApplication::clipboard()->setMimeData(data.release(), QClipboard::Clipboard);
    return true;
}

void clsClipboard::sb_HandOver()
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())
        || !QGuiApplication::platformName().startsWith(QLatin1String("wayland")))
        return;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard->ownsClipboard())
        return;
    QEventLoop loop;
    QTimer::singleShot(kWaylandHandOverMs, &loop, &QEventLoop::quit);
    // Somebody else's content now: nothing of ours to keep.
    QObject::connect(clipboard, &QClipboard::dataChanged, &loop, [&loop, clipboard] {
        if (!clipboard->ownsClipboard())
            loop.quit();
    });
    loop.exec();
}

bool clsClipboard::CopyOEMText(const std::string& text)
{
    return ClipboardAll_Copy(text, base::clipboardFormat::kOemText);
}
bool clsClipboard::CopyDIF(const std::string& text) { return ClipboardAll_Copy(text, base::clipboardFormat::kDif); }
bool clsClipboard::CopyUNICODETEXT(const std::string& text)
{
    return ClipboardAll_Copy(text, base::clipboardFormat::kUnicodeText);
}
bool clsClipboard::CopySYLK(const std::string& text) { return ClipboardAll_Copy(text, base::clipboardFormat::kSylk); }
bool clsClipboard::CopyXlTable(const std::string& text)
{
    return ClipboardAll_Copy(text, fc_RegisterFormat("XlTable"));
}
bool clsClipboard::CopyBiff5(const std::string& text) { return ClipboardAll_Copy(text, fc_RegisterFormat("Biff5")); }
bool clsClipboard::CopyCsv(const std::string& text) { return ClipboardAll_Copy(text, fc_RegisterFormat("Csv")); }

} // namespace zdr::util::ui
