#include "util/MsgBox.h"

#include "base/ProgramInfo.h"
#include "base/Text.h"

#include <QMessageBox>
#include <QString>

namespace zdr::util::ui {

namespace {

Answerer& answerer()
{
    static Answerer instance;
    return instance;
}

QMessageBox::Icon qtIcon(Icon icon)
{
    switch (icon) {
    case Icon::Critical: return QMessageBox::Critical;
    case Icon::Question: return QMessageBox::Question;
    case Icon::Exclamation: return QMessageBox::Warning;
    case Icon::Information: return QMessageBox::Information;
    case Icon::None: break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons qtButtons(Buttons buttons)
{
    switch (buttons) {
    case Buttons::Ok: return QMessageBox::Ok;
    case Buttons::OkCancel: return QMessageBox::Ok | QMessageBox::Cancel;
    case Buttons::YesNo: return QMessageBox::Yes | QMessageBox::No;
    case Buttons::YesNoCancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    case Buttons::AbortRetryIgnore: return QMessageBox::Abort | QMessageBox::Retry | QMessageBox::Ignore;
    case Buttons::RetryCancel: return QMessageBox::Retry | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

Answer fromQt(int button)
{
    switch (button) {
    case QMessageBox::Yes: return Answer::Yes;
    case QMessageBox::No: return Answer::No;
    case QMessageBox::Cancel: return Answer::Cancel;
    case QMessageBox::Abort: return Answer::Abort;
    case QMessageBox::Retry: return Answer::Retry;
    case QMessageBox::Ignore: return Answer::Ignore;
    default: return Answer::Ok;
    }
}

} // namespace

Answer msgBox(QWidget* owner, const std::string& text, Buttons buttons, Icon icon, const std::string& title)
{
    MessageRequest request{text, title.empty() ? std::string(base::kProgramTitle) : title, icon, buttons};
    if (answerer())
        return answerer()(request);
    QMessageBox box(qtIcon(icon), QString::fromStdString(request.title),
                    QString::fromStdString(base::replaceAll(text, "\r\n", "\n")), qtButtons(buttons), owner);
    return fromQt(box.exec());
}

Answer MsgBoxQuestioner::ask(const MessageRequest& request)
{
    return msgBox(owner_, request.text, request.buttons, request.icon, request.title);
}

void setAnswerer(Answerer answerer_) { answerer() = std::move(answerer_); }

} // namespace zdr::util::ui
