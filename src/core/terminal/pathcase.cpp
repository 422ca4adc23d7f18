#include "terminal/pathcase.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <vector>

namespace corvane {

namespace {

bool Exists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

// The entry of `folder` whose name equals `name` without case; empty for none.
std::string MatchInFolder(const std::string& folder, const std::string& name)
{
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return {};
    std::string found;
    while (dirent* entry = ::readdir(dir)) {
        if (strcasecmp(entry->d_name, name.c_str()) == 0) {
            found = entry->d_name;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

} // namespace

std::string ResolvePathIgnoringCase(const std::string& path, bool leafMayBeNew)
{
    if (path.empty() || Exists(path))
        return path;
    std::vector<std::string> parts;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t slash = path.find('/', start);
        parts.push_back(path.substr(start, slash == std::string::npos ? std::string::npos : slash - start));
        if (slash == std::string::npos)
            break;
        start = slash + 1;
    }
    std::string resolved = path[0] == '/' ? "/" : "";
    for (std::size_t i = 0; i < parts.size(); ++i) {
        const std::string& part = parts[i];
        if (part.empty())
            continue;
        const bool leaf = i + 1 == parts.size();
        std::string candidate = resolved + part;
        if (!Exists(candidate)) {
            const std::string match = MatchInFolder(resolved, part);
            if (!match.empty())
                candidate = resolved + match;
            else if (!(leaf && leafMayBeNew))
                return path;
        }
        resolved = leaf ? candidate : candidate + "/";
    }
    return resolved;
}

} // namespace corvane
