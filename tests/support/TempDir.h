#pragma once

#include <string>
#include <string_view>

namespace zdr::test {

// A fresh folder for one test, removed with everything in it at the end.
// Lives under $ZDR_TEST_TMP when set (the build's test folder), else /tmp.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(std::string_view relative) const;

    // Writes a file (making its folders); returns its full path.
    std::string write(std::string_view relative, std::string_view content) const;
    std::string mkdir(std::string_view relative) const;
    std::string read(std::string_view relative) const;

private:
    std::string path_;
};

} // namespace zdr::test
