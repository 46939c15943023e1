#include "app/mdlFolderCopyCallback.h"

#include "app/frmStart.h"

#include <algorithm>

namespace zdr::app {

namespace wire = shellext::wire;

wire::Reply fc_HandOffWindowProc(frmStart& form, const wire::Message& message)
{
    const std::string_view payload(message.payload.data(), std::min(message.payload.size(), wire::kMaxPayload));
    const std::string text(payload.substr(0, payload.find('\0')));
    bool accepted = true;
    if (message.dwData == wire::kEntry)
        accepted = form.fc_AddData(text);
    else if (message.dwData == wire::kEnd)
        accepted = form.fc_ReadySendData(text);
    return accepted ? wire::Reply::Accepted : wire::Reply::Refused;
}

} // namespace zdr::app
