#include "terminal/terminallog.h"

#include "common/cformat.h"
#include "terminal/pathcase.h"

namespace corvane {

namespace {
constexpr const char* kWeekdays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
constexpr const char* kMonths[] = {"January", "February", "March",     "April",   "May",      "June",
                                   "July",    "August",   "September", "October", "November", "December"};
} // namespace

std::string LogStartedLine(std::time_t when)
{
    std::tm t{};
    localtime_r(&when, &t);
    return CFormat("Log started %s, %s %02d, %d %02d:%02d:%02d\r\n", kWeekdays[t.tm_wday], kMonths[t.tm_mon],
                   t.tm_mday, t.tm_year + 1900, t.tm_hour, t.tm_min, t.tm_sec);
}

bool TerminalLog::open(const std::string& path)
{
    close();
    if (path.empty())
        return false;
    const std::string resolved = ResolvePathIgnoringCase(path, true);
    file_ = std::fopen(resolved.c_str(), "wb");
    if (!file_)
        return false;
    path_ = resolved;
    write(LogStartedLine(std::time(nullptr)));
    return true;
}

void TerminalLog::close()
{
    if (file_)
        std::fclose(file_);
    file_ = nullptr;
    path_.clear();
}

void TerminalLog::write(std::string_view bytes)
{
    if (!file_)
        return;
    std::fwrite(bytes.data(), 1, bytes.size(), file_);
    std::fflush(file_);
}

TerminalLog& TerminalLog::shared()
{
    static TerminalLog log;
    return log;
}

} // namespace corvane
