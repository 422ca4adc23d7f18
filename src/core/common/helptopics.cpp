#include "common/helptopics.h"

#include <QUrl>

namespace corvane {

namespace {

struct TopicRange {
    int first;
    int last;
    const char* page; // with its anchor
};

// Program-code topics by directory class: 0 configuration, 1 system, 2 meters, 5 recipes.
constexpr TopicRange kTopics[] = {
    {helptopic::Default, helptopic::Default, "index.html"},
    {helptopic::ConfigurationWindow, helptopic::ConfigurationWindow, "configuration-window.html"},
    {helptopic::Communications, helptopic::Communications, "communications.html"},
    {helptopic::Printing, helptopic::Printing, "options-printing.html#printing"},
    {helptopic::GeneralOptions, helptopic::GeneralOptions, "options-printing.html#general-options"},
    {10000, 10999, "value-editors.html#class-configuration"},
    {11000, 11999, "value-editors.html#class-system"},
    {12000, 12999, "value-editors.html#class-meters"},
    {15000, 15999, "value-editors.html#class-recipes"},
    {helptopic::FirstProgramCode, helptopic::LastProgramCode, "value-editors.html"},
};

} // namespace

std::string HelpPage(int topic)
{
    for (const TopicRange& r : kTopics)
        if (topic >= r.first && topic <= r.last)
            return r.page;
    return "index.html";
}

std::string HelpUrl(const std::string& manualFolder, int topic)
{
    std::string page = HelpPage(topic);
    std::string anchor;
    if (auto hash = page.find('#'); hash != std::string::npos) {
        anchor = page.substr(hash + 1);
        page.resize(hash);
    }
    QUrl url = QUrl::fromLocalFile(QString::fromStdString(manualFolder + "/" + page));
    if (!anchor.empty())
        url.setFragment(QString::fromStdString(anchor));
    return url.toString().toStdString();
}

} // namespace corvane
