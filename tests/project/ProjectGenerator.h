#pragma once

#include "project/ProjectDocument.h"

#include <random>

namespace zdr::test {

// Random projects of the main window's stored controls, with the characters
// that stress the file format: "|", "~°~", umlauts, markup, blanks.
class ProjectGenerator {
public:
    explicit ProjectGenerator(unsigned seed, bool controlCharacters) : random_(seed), control_(controlCharacters) {}
    project::ProjectDocument next();

private:
    std::string text(std::size_t maxPieces);
    std::mt19937 random_;
    bool control_;
};

} // namespace zdr::test
