#include "engine/FileCompare.h"

#include "engine/EntryFilter.h"
#include "engine/SizeText.h"
#include "util/DateText.h"
#include "util/Text.h"

namespace zdr::engine {

namespace {

constexpr std::uint32_t kComparedBits = platform::attr::kReadOnly | platform::attr::kHidden
    | platform::attr::kSystem | platform::attr::kCompressed;

std::string sizeText(const platform::FileEntry& entry) { return fc_SizeText(static_cast<double>(entry.size) / 1024); }

} // namespace

bool fc_FilesEqual(const platform::FileEntry& source, const platform::FileEntry& target, bool onlyNewer)
{
    if (onlyNewer)
        return source.lastWrite <= target.lastWrite;
    return (source.attributes & kComparedBits) == (target.attributes & kComparedBits) && source.size == target.size
        && source.lastWrite == target.lastWrite;
}

std::string fc_AttributeText(std::uint32_t attributes)
{
    static const struct {
        std::uint32_t bit;
        const char* word;
    } words[] = {
        {platform::attr::kReadOnly, "schreigeschützt"}, {platform::attr::kHidden, "versteckt"},
        {platform::attr::kSystem, "System"},            {platform::attr::kArchive, "Archiv"},
        {platform::attr::kNormal, "normal"},            {platform::attr::kTemporary, "temporär"},
        {platform::attr::kCompressed, "kompirmiert"},
    };
    std::vector<std::string> set;
    for (const auto& w : words) {
        if ((attributes & w.bit) != 0)
            set.emplace_back(w.word);
    }
    return util::join(set, ", ");
}

std::string fc_DifferenceText(const platform::FileEntry& source, const platform::FileEntry& target, bool onlyNewer)
{
    const util::LocalDateTime s = fc_FileDate(source);
    const util::LocalDateTime t = fc_FileDate(target);
    std::string text;
    if (t != s) {
        text = "'" + util::formatDateTime(s) + (t < s ? "' (x  =>  x): '" : "' (x  ~>  x): '") + util::formatDateTime(t)
            + "' - ";
    }
    if (onlyNewer) {
        text += " '" + sizeText(source);
    } else {
        if ((source.attributes & kComparedBits) != (target.attributes & kComparedBits))
            text += "'" + fc_AttributeText(source.attributes) + "' Attribute ungleich: '"
                + fc_AttributeText(target.attributes) + "' - ";
        if (source.size != target.size)
            text += "'" + sizeText(source) + "' Größe ungleich: '" + sizeText(target) + "' - ";
    }
    // The last piece's " - " goes (its quote stays).
    if (util::endsWith(text, "' - "))
        text.resize(text.size() - 3);
    return text;
}

} // namespace zdr::engine
