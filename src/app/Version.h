#pragma once

// The program's title and its three-part version (the project's version in CMakeLists.txt).
namespace rendix {

inline constexpr const char* kProgramTitle = "Rendix";
inline constexpr int kVersionMajor = 1;
inline constexpr int kVersionMinor = 0;
inline constexpr int kVersionRevision = 1;

}  // namespace rendix
