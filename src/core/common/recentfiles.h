#pragma once
// The most-recently-used file list: newest first, at most its size, kept in
// the settings store under "Recent File List" as File1, File2, ...

#include <string>
#include <vector>

namespace corvane {

class Settings;

inline constexpr int kRecentFileCount = 8;

class RecentFiles {
public:
    explicit RecentFiles(Settings& settings, int size = kRecentFileCount);

    // Puts a file at the top (moving it when it is already listed) and stores the list.
    void add(const std::string& path);
    // Drops a file, for example one that could not be opened again.
    void remove(const std::string& path);
    const std::vector<std::string>& files() const { return files_; }
    int size() const { return size_; }

    // Menu text of entry i (0-based): "&1 name" with the file's name.
    std::string menuText(int index) const;

    void load();

private:
    void save();

    Settings& settings_;
    int size_;
    std::vector<std::string> files_;
};

} // namespace corvane
