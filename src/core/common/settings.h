#pragma once
// The per-user settings, stored under the company "Halvard Meter" and the
// application "Corvane". Every key and its default is named once, here.

#include <memory>
#include <string>

class QSettings;

namespace corvane {

struct IntSetting {
    const char* section;
    const char* name;
    int defaultValue;
};

namespace settings {
inline constexpr IntSetting MRUFileCount{"General", "MRUFileCount", 8};
inline constexpr IntSetting ViewShowSecLvl{"ParamView", "ShowSecLvl", 0};
inline constexpr IntSetting ViewShowUnused{"ParamView", "ShowUnused", 0};
inline constexpr IntSetting ViewTextCharSet{"ParamView", "TextCharSet", 0};
inline constexpr IntSetting PrintShowSecLvl{"ParamPrint", "ShowSecLvl", 0};
inline constexpr IntSetting PrintSuppressBelowLvl{"ParamPrint", "SuppressBelowLvl", 0};
inline constexpr IntSetting PrintSuppressUnused{"ParamPrint", "SuppressUnused", 0};

// Network ports of the controller; overridable so that tests and the
// simulator can use free loopback ports.
inline constexpr IntSetting ControllerTcpPort{"Comm", "TcpPort", 7734};
inline constexpr IntSetting ControllerFtpPort{"Comm", "FtpPort", 21};
} // namespace settings

inline constexpr const char* kDefaultLineSettings = "38400,N,8,1";
inline constexpr int kDefaultProtocol = 1; // minicomputer framing

class Settings {
public:
    // The user's own settings store.
    Settings();
    // A private store in an INI file (tests, portable use).
    explicit Settings(const std::string& iniFile);
    ~Settings();
    Settings(const Settings&) = delete;
    Settings& operator=(const Settings&) = delete;

    int value(const IntSetting& key) const;
    void setValue(const IntSetting& key, int value);

    // Serial line settings of COM n, "%d,%c,%d,%d" (speed, parity, data, stop).
    std::string lineSettings(int comPort) const;
    void setLineSettings(int comPort, const std::string& text);
    // Framing of COM n: 0 terminal, 1 minicomputer.
    int protocol(int comPort) const;
    void setProtocol(int comPort, int protocol);
    // The device behind COM n; /dev/ttyS<n-1> unless chosen otherwise.
    std::string devicePath(int comPort) const;
    void setDevicePath(int comPort, const std::string& path);

    // The transaction log file the spreadsheet template reads.
    std::string spreadsheetLogFileName() const;
    void setSpreadsheetLogFileName(const std::string& path);

    void sync();
    QSettings& store() { return *store_; }

private:
    std::unique_ptr<QSettings> store_;
};

} // namespace corvane
