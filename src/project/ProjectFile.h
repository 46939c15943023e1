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
// What one file may make the program hold: a value (an element's text, one
// field of a task line) of at most 64 KiB, twice the longest path a task
// folder can be; at most 10,000 tasks (or list entries) per element. A file
// beyond them is damaged.
inline constexpr std::size_t kMaxProjectFieldBytes = 64u * 1024u;
inline constexpr std::size_t kMaxProjectRows = 10000;

// Parses a project file's bytes. On failure description says why in German
// and doc is untouched. Refused as damaged: XML that is not well-formed
// (also a NUL or a control character written as is, or a reference to a
// NUL or to no character), an element that occurs twice, and anything
// beyond the limits above.
bool parseProjectXml(std::string_view xml, std::string_view rootName, ProjectDocument& doc, std::string& description);
bool readProjectFile(const std::string& fileName, std::string_view rootName, ProjectDocument& doc,
                     std::string& description);

std::string writeProjectXml(const ProjectDocument& doc, std::string_view rootName);
// Writes through a temporary file, so a failed save keeps the old file.
bool writeProjectFile(const std::string& fileName, std::string_view rootName, const ProjectDocument& doc,
                      std::string& description);

} // namespace zdr::project
