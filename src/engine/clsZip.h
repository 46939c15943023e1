#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace zdr::engine {

// One zip archive of a list of files, packed in one go (the backup's
// archive of replaced files). Names are relative to BasePath and go into
// the archive as they are, folders included, with an entry for each folder
// on their way; links are stored as links. The archive is written under a
// temporary name beside ZipFile and given its name only when complete; an
// existing file of that name is never replaced.
class clsZip {
public:
    clsZip();
    ~clsZip();
    clsZip(const clsZip&) = delete;
    clsZip& operator=(const clsZip&) = delete;

    const std::string& ZipFile() const;
    void ZipFile(const std::string& path);
    // The folder the names count from (empty: the current folder).
    const std::string& BasePath() const;
    void BasePath(const std::string& folder);

    void ClearFileSpecs();
    void AddFileSpec(const std::string& name);
    std::size_t FileSpecCount() const;
    const std::string& FileSpec(std::size_t index) const;

    // Called now and then while the archive is written (the user interface
    // may run there).
    void Progress(std::function<void()> onProgress);

    // Packs the listed files; false with a text when the archive could not
    // be written (nothing is left behind then).
    [[nodiscard]] bool Zip(std::string& errorText);
    // The last Zip succeeded.
    bool Success() const;
    // ZipFile is a complete archive that holds an entry of every listed
    // name (how a killed run's finished archive is told from a stray file).
    bool HoldsFileSpecs() const;

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace zdr::engine
