#include "engine/clsZip.h"

#include "platform/FileIo.h"
#include "platform/Paths.h"
#include "platform/PendingFile.h"

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zip.h>

#include <deque>
#include <set>
#include <vector>

namespace zdr::engine {

namespace {

// libzip brings the crypto and compression libraries it was built with
// (libcrypto the largest): loaded when the first archive is packed, so
// every other run starts without them.
#define ZDR_ZIP_FUNCTIONS(X)                                                                                           \
    X(zip_close)                                                                                                       \
    X(zip_dir_add)                                                                                                     \
    X(zip_discard)                                                                                                     \
    X(zip_error_code_system)                                                                                           \
    X(zip_error_fini)                                                                                                  \
    X(zip_error_init_with_code)                                                                                        \
    X(zip_error_strerror)                                                                                              \
    X(zip_error_system_type)                                                                                           \
    X(zip_file_add)                                                                                                    \
    X(zip_file_set_external_attributes)                                                                                \
    X(zip_file_set_mtime)                                                                                              \
    X(zip_get_error)                                                                                                   \
    X(zip_name_locate)                                                                                                 \
    X(zip_open)                                                                                                        \
    X(zip_register_progress_callback_with_state)                                                                       \
    X(zip_set_file_compression)                                                                                        \
    X(zip_source_buffer)                                                                                               \
    X(zip_source_file)                                                                                                 \
    X(zip_source_free)

struct ZipLibrary {
#define ZDR_ZIP_MEMBER(name) decltype(&::name) name = nullptr;
    ZDR_ZIP_FUNCTIONS(ZDR_ZIP_MEMBER)
#undef ZDR_ZIP_MEMBER
    bool loaded = false;
};

// The library, loaded once; `loaded` is false where it is not installed.
const ZipLibrary& zipLibrary()
{
    static const ZipLibrary library = [] {
        ZipLibrary l;
        void* handle = dlopen("libzip.so.4", RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr)
            return l;
        l.loaded = true;
#define ZDR_ZIP_BIND(name)                                                                                             \
    l.name = reinterpret_cast<decltype(&::name)>(dlsym(handle, #name));                                                \
    l.loaded = l.loaded && l.name != nullptr;
        ZDR_ZIP_FUNCTIONS(ZDR_ZIP_BIND)
#undef ZDR_ZIP_BIND
        return l; // the handle stays open for the program's life
    }();
    return library;
}

// The zip command's own level: as fast, and archives of the same size.
constexpr zip_uint32_t kLevel = 6;

// A failure of the archive in German: a system error by the system's text,
// one of the library's own with its text after a German word.
std::string zipErrorText(zip_error_t* error)
{
    if (zipLibrary().zip_error_system_type(error) == ZIP_ET_SYS)
        return platform::systemMessage(platform::fromErrno(zipLibrary().zip_error_code_system(error)));
    return std::string("Fehler im Zip-Archiv: ") + zipLibrary().zip_error_strerror(error);
}

std::string libraryText(zip_t* archive) { return zipErrorText(zipLibrary().zip_get_error(archive)); }

} // namespace

struct clsZip::Impl {
    std::string zipFile;
    std::string basePath;
    std::vector<std::string> specs;
    std::function<void()> progress;
    bool success = false;
    // What the archive reads only when it is written: the link texts (a
    // deque, so earlier texts stay where they are).
    std::deque<std::string> linkTexts;

    bool addFolders(zip_t* archive, const std::string& name, std::set<std::string>& folders);
    bool addEntry(zip_t* archive, const std::string& name, std::string& errorText);
    bool write(const std::string& temporary, std::string& errorText);
};

clsZip::clsZip() : impl_(std::make_unique<Impl>()) {}
clsZip::~clsZip() = default;

const std::string& clsZip::ZipFile() const { return impl_->zipFile; }
void clsZip::ZipFile(const std::string& path) { impl_->zipFile = path; }
const std::string& clsZip::BasePath() const { return impl_->basePath; }
void clsZip::BasePath(const std::string& folder) { impl_->basePath = folder; }
void clsZip::ClearFileSpecs() { impl_->specs.clear(); }
void clsZip::AddFileSpec(const std::string& name) { impl_->specs.push_back(name); }
std::size_t clsZip::FileSpecCount() const { return impl_->specs.size(); }
const std::string& clsZip::FileSpec(std::size_t index) const { return impl_->specs.at(index); }
void clsZip::Progress(std::function<void()> onProgress) { impl_->progress = std::move(onProgress); }
bool clsZip::Success() const { return impl_->success; }

// The folder entries on the way to a name, each once.
bool clsZip::Impl::addFolders(zip_t* archive, const std::string& name, std::set<std::string>& folders)
{
    for (std::size_t slash = name.find('/'); slash != std::string::npos; slash = name.find('/', slash + 1)) {
        const std::string folder = name.substr(0, slash);
        if (folders.insert(folder).second && zipLibrary().zip_dir_add(archive, folder.c_str(), ZIP_FL_ENC_GUESS) < 0)
            return false;
    }
    return true;
}

bool clsZip::Impl::addEntry(zip_t* archive, const std::string& name, std::string& errorText)
{
    const std::string path = basePath.empty() ? name : platform::joinPath(basePath, name);
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) {
        errorText = path + ": " + platform::systemMessage(platform::lastError());
        return false;
    }
    zip_source_t* source = nullptr;
    if (S_ISLNK(st.st_mode)) {
        std::string text(static_cast<std::size_t>(st.st_size) + 1, '\0');
        const ssize_t n = ::readlink(path.c_str(), text.data(), text.size());
        if (n < 0 || static_cast<std::size_t>(n) >= text.size()) {
            errorText = path + ": "
                + platform::systemMessage(n < 0 ? platform::lastError() : platform::error::kSharingViolation);
            return false;
        }
        text.resize(static_cast<std::size_t>(n));
        linkTexts.push_back(std::move(text));
        source = zipLibrary().zip_source_buffer(archive, linkTexts.back().data(), linkTexts.back().size(), 0);
    } else if (S_ISREG(st.st_mode)) {
        source = zipLibrary().zip_source_file(archive, path.c_str(), 0, -1);
    } else {
        errorText = path + ": " + platform::systemMessage(platform::error::kNotSupported);
        return false;
    }
    const zip_int64_t index =
        source == nullptr ? -1 : zipLibrary().zip_file_add(archive, name.c_str(), source, ZIP_FL_ENC_GUESS);
    if (index < 0) {
        if (source != nullptr)
            zipLibrary().zip_source_free(source);
        errorText = name + ": " + libraryText(archive);
        return false;
    }
    const auto entry = static_cast<zip_uint64_t>(index);
    // The mode (and the link kind) in the Unix way, so unpacking restores them.
    const bool ok = zipLibrary().zip_file_set_external_attributes(archive, entry, 0, ZIP_OPSYS_UNIX,
                                                                  static_cast<zip_uint32_t>(st.st_mode) << 16)
            == 0
        && zipLibrary().zip_file_set_mtime(archive, entry, st.st_mtime, 0) == 0
        && (S_ISLNK(st.st_mode) || zipLibrary().zip_set_file_compression(archive, entry, ZIP_CM_DEFLATE, kLevel) == 0);
    if (!ok)
        errorText = name + ": " + libraryText(archive);
    return ok;
}

bool clsZip::Impl::write(const std::string& temporary, std::string& errorText)
{
    int code = 0;
    zip_t* archive = zipLibrary().zip_open(temporary.c_str(), ZIP_CREATE | ZIP_EXCL, &code);
    if (archive == nullptr) {
        zip_error_t error;
        zipLibrary().zip_error_init_with_code(&error, code);
        errorText = zipErrorText(&error);
        zipLibrary().zip_error_fini(&error);
        return false;
    }
    if (progress)
        zipLibrary().zip_register_progress_callback_with_state(
            archive, 0.01, [](zip_t*, double, void* self) { static_cast<Impl*>(self)->progress(); }, nullptr, this);
    std::set<std::string> folders;
    for (const std::string& name : specs) {
        if (!addFolders(archive, name, folders)) {
            errorText = name + ": " + libraryText(archive);
            zipLibrary().zip_discard(archive);
            return false;
        }
        if (!addEntry(archive, name, errorText)) {
            zipLibrary().zip_discard(archive);
            return false;
        }
    }
    // Reads every file now and writes the archive.
    if (zipLibrary().zip_close(archive) != 0) {
        errorText = libraryText(archive);
        zipLibrary().zip_discard(archive);
        return false;
    }
    return true;
}

bool clsZip::HoldsFileSpecs() const
{
    if (!zipLibrary().loaded)
        return false;
    int code = 0;
    zip_t* archive = zipLibrary().zip_open(impl_->zipFile.c_str(), ZIP_RDONLY | ZIP_CHECKCONS, &code);
    if (archive == nullptr)
        return false;
    bool all = true;
    for (const std::string& name : impl_->specs)
        all = all && zipLibrary().zip_name_locate(archive, name.c_str(), 0) >= 0;
    zipLibrary().zip_discard(archive);
    return all;
}

bool clsZip::Zip(std::string& errorText)
{
    Impl& z = *impl_;
    z.success = false;
    z.linkTexts.clear();
    const std::string temporary = platform::temporarySibling(z.zipFile);
    platform::ErrorCode code = 0;
    std::string reason;
    if (!zipLibrary().loaded) {
        errorText = "Fehler bei Sicherungsdatei '" + z.zipFile + "': die Zip-Bibliothek (libzip.so.4) fehlt";
        return false;
    }
    if (z.write(temporary, reason)) {
        if (platform::moveIntoPlace(AT_FDCWD, temporary, z.zipFile, false, code)) {
            z.success = true;
            return true;
        }
        reason = platform::systemMessage(code);
    }
    ::unlink(temporary.c_str());
    errorText = "Fehler bei Sicherungsdatei '" + z.zipFile + "': " + reason;
    return false;
}

} // namespace zdr::engine
