#pragma once

#include "project/ProjectDocument.h"

#include <cstddef>
#include <string>
#include <string_view>

// The project file: an XML document whose root holds one element per stored
// control. Reading checks the whole file before anything is handed back, so a
// malformed file never half-restores a project.
namespace zdr::project {

inline constexpr std::string_view kProjectRootName = "ZendorFileCopy";
inline constexpr std::string_view kProjectExtension = "ZdrPrj";
// A project file is small; anything larger is not one.
inline constexpr std::size_t kMaxProjectFileSize = 16u * 1024u * 1024u;

// Parses a project file's bytes. On failure description says why in German
// and doc is untouched.
bool parseProjectXml(std::string_view xml, std::string_view rootName, ProjectDocument& doc,
                     std::string& description);
bool readProjectFile(const std::string& fileName, std::string_view rootName, ProjectDocument& doc,
                     std::string& description);

std::string writeProjectXml(const ProjectDocument& doc, std::string_view rootName);
// Writes through a temporary file, so a failed save keeps the old file.
bool writeProjectFile(const std::string& fileName, std::string_view rootName, const ProjectDocument& doc,
                      std::string& description);

} // namespace zdr::project
