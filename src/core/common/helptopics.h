#pragma once
// Help topic numbers and the page of the user manual each one opens.

#include <string>

namespace corvane {

namespace helptopic {
inline constexpr int Default = 100;            // no window names a topic
inline constexpr int ConfigurationWindow = 200; // directory tree and parameter list
inline constexpr int Communications = 300;      // the Communications menu and its dialogs
inline constexpr int Printing = 400;            // print, print preview, print setup
inline constexpr int GeneralOptions = 1140;     // "Corvane General Options"
// A program code's editor: 10000 + 1000 * directory class + code number.
inline constexpr int FirstProgramCode = 10000;
inline constexpr int LastProgramCode = 15999;
} // namespace helptopic

// "page.html#anchor" of a topic, relative to the manual's folder; an unknown
// topic opens the manual's first page.
std::string HelpPage(int topic);

// The address that opens a topic of the manual kept in `manualFolder`.
std::string HelpUrl(const std::string& manualFolder, int topic);

} // namespace corvane
