#include "engine/FileCompare.h"

#include "base/Text.h"
#include "engine/SizeText.h"
#include "platform/LinkCopy.h"
#include "platform/Metadata.h"

#include <algorithm>

namespace zdr::engine {

namespace {

constexpr std::uint32_t kComparedBits =
    platform::attr::kReadOnly | platform::attr::kHidden | platform::attr::kSystem | platform::attr::kCompressed;

std::string sizeText(const platform::FileEntry& entry) { return fc_SizeText(static_cast<double>(entry.size) / 1024); }

} // namespace

base::LocalDateTime fc_FileTimeToDate(std::int64_t fileTime, bool local)
{
    return local ? base::LocalDateTime::fromUnixNanos(fileTime) : base::LocalDateTime::fromUnixNanosUtc(fileTime);
}

namespace {

std::int64_t fileTimeUnits(std::int64_t nanos) { return nanos / kFileTimeUnit - (nanos % kFileTimeUnit < 0 ? 1 : 0); }

} // namespace

bool fc_SameTime(std::int64_t a, std::int64_t b, std::int64_t precision)
{
    if (precision <= kFileTimeUnit)
        return fileTimeUnits(a) == fileTimeUnits(b);
    return (a > b ? a - b : b - a) < precision;
}

bool fc_NotLater(std::int64_t source, std::int64_t target, std::int64_t precision)
{
    if (precision <= kFileTimeUnit)
        return fileTimeUnits(source) <= fileTimeUnits(target);
    return source - target < precision;
}

bool fc_FilesEqual(const platform::FileEntry& source, const platform::FileEntry& target, bool onlyNewer,
                   std::int64_t precision)
{
    if (onlyNewer)
        return fc_NotLater(source.lastWrite, target.lastWrite, precision);
    return (source.attributes & kComparedBits) == (target.attributes & kComparedBits) && source.size == target.size
        && fc_SameTime(source.lastWrite, target.lastWrite, precision);
}

std::vector<std::string> fc_KeptDifferences(const platform::FileEntry& source, const platform::FileEntry& target,
                                            const std::string& sourceFile, const std::string& targetFile,
                                            std::uint32_t wantedMode, bool modesKept)
{
    std::vector<std::string> words;
    if (source.isSymlink() || target.isSymlink()) {
        if (!platform::sameLinkText(sourceFile, targetFile))
            words.emplace_back("Linkziel");
        return words;
    }
    if (modesKept && target.mode != wantedMode)
        words.emplace_back("Rechte");
    // Only root gives owners; anyone else's copies are their own.
    if (modesKept
        && (platform::ownerToGive(source.owner, source.group) || platform::ownerToGive(target.owner, target.group))
        && (source.owner != target.owner || source.group != target.group))
        words.emplace_back("Besitzer");
    // Any change of the source's ACLs or attributes moves its change time
    // past that of its copy, which was made (or brought up to date) after
    // it: only then are both read (a call by path on each side, per file).
    if (source.change <= target.change)
        return words;
    platform::ExtendedAttributes from;
    platform::ExtendedAttributes to;
    if (!platform::readExtendedAttributes(sourceFile, from) || !platform::readExtendedAttributes(targetFile, to)
        || from == to)
        return words;
    const auto acls = [](const platform::ExtendedAttributes& a) {
        return std::make_pair(a.find(platform::kAccessAcl), a.find(platform::kDefaultAcl));
    };
    const auto [fromAccess, fromDefault] = acls(from);
    const auto [toAccess, toDefault] = acls(to);
    const auto same = [](const std::string* a, const std::string* b) { return a == b || (a && b && *a == *b); };
    const bool aclDiffers = !same(fromAccess, toAccess) || !same(fromDefault, toDefault);
    if (aclDiffers)
        words.emplace_back("ACL");
    const auto others = [](const platform::ExtendedAttributes& a) {
        std::size_t n = 0;
        for (const auto& item : a.items)
            n += item.first.rfind("system.posix_acl_", 0) == 0 ? 0 : 1;
        return n;
    };
    // Differing beyond the ACLs: not the same number of others, or one of them.
    bool othersDiffer = others(from) != others(to);
    for (const auto& [name, value] : from.items) {
        if (othersDiffer || name.rfind("system.posix_acl_", 0) == 0)
            continue;
        const std::string* there = to.find(name);
        othersDiffer = there == nullptr || *there != value;
    }
    if (othersDiffer)
        words.emplace_back("erweiterte Attribute");
    return words;
}

std::string fc_AttributeText(std::uint32_t attributes)
{
    static const struct {
        std::uint32_t bit;
        const char* word;
    } words[] = {
        {platform::attr::kReadOnly, "schreigeschützt"},
        {platform::attr::kHidden, "versteckt"},
        {platform::attr::kSystem, "System"},
        {platform::attr::kArchive, "Archiv"},
        {platform::attr::kNormal, "normal"},
        {platform::attr::kTemporary, "temporär"},
        {platform::attr::kCompressed, "kompirmiert"},
    };
    std::vector<std::string> set;
    for (const auto& w : words) {
        if ((attributes & w.bit) != 0)
            set.emplace_back(w.word);
    }
    return base::join(set, ", ");
}

namespace {

// Below a second, in seconds: "0,25", "0,000000001".
std::string subSecondText(std::int64_t nanos)
{
    std::string digits = std::to_string(nanos < 0 ? -nanos : nanos);
    digits.insert(0, 9 - std::min<std::size_t>(digits.size(), 9), '0');
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    return "0," + digits;
}

} // namespace

std::string fc_DifferenceText(const platform::FileEntry& source, const platform::FileEntry& target, bool onlyNewer,
                              std::int64_t precision)
{
    const base::LocalDateTime s = fc_FileTimeToDate(source.lastWrite, true);
    const base::LocalDateTime t = fc_FileTimeToDate(target.lastWrite, true);
    std::string text;
    if (!fc_SameTime(source.lastWrite, target.lastWrite, precision)) {
        text = "'" + base::formatDateTime(s)
            + (target.lastWrite < source.lastWrite ? "' (x  =>  x): '" : "' (x  ~>  x): '") + base::formatDateTime(t)
            + "' - ";
        // Both read alike to the second: the difference itself is the reason.
        if (t == s)
            text.insert(text.size() - 3,
                        " Zeitunterschied: '" + subSecondText(source.lastWrite - target.lastWrite) + " s'");
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
    if (base::endsWith(text, "' - "))
        text.resize(text.size() - 3);
    return text;
}

} // namespace zdr::engine
