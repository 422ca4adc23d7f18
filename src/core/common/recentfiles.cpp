#include "common/recentfiles.h"

#include "common/settings.h"

#include <QSettings>

#include <algorithm>

namespace corvane {

namespace {
constexpr const char* kSection = "Recent File List";

QString Key(int i)
{
    return QStringLiteral("%1/File%2").arg(QLatin1String(kSection)).arg(i + 1);
}
} // namespace

RecentFiles::RecentFiles(Settings& settings, int size) : settings_(settings), size_(std::max(size, 0))
{
    load();
}

void RecentFiles::load()
{
    files_.clear();
    QSettings& store = settings_.store();
    for (int i = 0; i < size_; ++i) {
        QString path = store.value(Key(i)).toString();
        if (path.isEmpty())
            continue;
        std::string p = path.toStdString();
        if (std::find(files_.begin(), files_.end(), p) == files_.end())
            files_.push_back(std::move(p));
    }
}

void RecentFiles::add(const std::string& path)
{
    if (path.empty() || size_ == 0)
        return;
    std::erase(files_, path);
    files_.insert(files_.begin(), path);
    if (static_cast<int>(files_.size()) > size_)
        files_.resize(size_);
    save();
}

void RecentFiles::remove(const std::string& path)
{
    if (std::erase(files_, path) > 0)
        save();
}

std::string RecentFiles::menuText(int index) const
{
    if (index < 0 || index >= static_cast<int>(files_.size()))
        return {};
    const std::string& path = files_[index];
    auto slash = path.find_last_of('/');
    std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    // A literal "&" in a file name must not become a mnemonic.
    std::string escaped;
    for (char c : name) {
        if (c == '&')
            escaped += '&';
        escaped += c;
    }
    return "&" + std::to_string(index + 1) + " " + escaped;
}

void RecentFiles::save()
{
    QSettings& store = settings_.store();
    for (int i = 0; i < size_; ++i) {
        if (i < static_cast<int>(files_.size()))
            store.setValue(Key(i), QString::fromStdString(files_[i]));
        else
            store.remove(Key(i));
    }
    store.sync();
}

} // namespace corvane
