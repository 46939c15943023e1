#pragma once

#include "base/ClipboardWriter.h"

#include <string_view>

namespace zdr::util::ui {

// The system clipboard. Text is UTF-8 inside the program and goes on the
// clipboard as Unicode text, whatever its length: the text formats (1, 7,
// 13) all become the platform's text, which other programs read as UTF-16 or
// UTF-8 as they need. Other formats carry the UTF-8 bytes under a format of
// their own name. Bytes that are not UTF-8 (names from disk) are replaced.
class clsClipboard : public base::ClipboardWriter {
public:
    bool ClipboardAll_Copy(const std::string& text, std::uint32_t format) override;

    bool CopyOEMText(const std::string& text);
    bool CopyDIF(const std::string& text);
    bool CopyUNICODETEXT(const std::string& text);
    bool CopySYLK(const std::string& text);
    bool CopyXlTable(const std::string& text);
    bool CopyBiff5(const std::string& text);
    bool CopyCsv(const std::string& text);

    // The number of a format known by name, the same for the same name while
    // the program runs (from 0xC000 on, as registered formats are numbered).
    static std::uint32_t fc_RegisterFormat(std::string_view name);

    // Before the program ends, with the application still there. The
    // desktop's clipboard manager keeps what the program put on the clipboard
    // only if it can still ask the program for it: under X11 Qt hands it over
    // (SAVE_TARGETS) as the application goes; under Wayland the desktop reads
    // a new clipboard when it changes, so the program answers a moment more.
    static void sb_HandOver();
};

} // namespace zdr::util::ui
