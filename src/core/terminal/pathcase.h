#pragma once
// Names typed into the terminal are upper-cased while short, as the
// controller's commands are; on a file system that tells case apart, a macro
// or log name is found again by matching each path component without case.

#include <string>

namespace corvane {

// The existing path that equals `path` but for the case of its components;
// with `leafMayBeNew`, only the folders must exist and the last component is
// kept when nothing matches it. `path` itself when nothing better is found.
std::string ResolvePathIgnoringCase(const std::string& path, bool leafMayBeNew = false);

} // namespace corvane
