#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "eds/EdsCheck.h"

namespace kr39 {

// A finding of the library check: the file it concerns (a file of the library, or the name of
// a generated EDS such as "station[KR39PS24].EDS") and the finding itself.
struct LibraryFinding {
    std::string File;
    EdsFinding Finding;
};

// Checks a module library: the catalog reads; every catalog module has its description file
// (shorter than 32768 bytes, each parameter line with "<BOXNO>") and its "a" and "b" pictures;
// every bus node its 16 pictures _00 to _15; pn.dat, the master template and the module files
// are ASCII with CR LF line ends; and the EDS of a station with each module alone, and of
// stations with all modules (16 at a time), passes CheckEds; its findings are passed on.
std::vector<LibraryFinding> CheckModuleLibrary(const std::filesystem::path& modulesDir);

} // namespace kr39
