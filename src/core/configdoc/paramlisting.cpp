#include "configdoc/paramlisting.h"

#include "common/cformat.h"
#include "dictionary/directories.h"

namespace corvane {

std::string ParamValueColumn(const DBParam& param, const ValueImages& images)
{
    if (!param.hasValue())
        return {};
    std::string text = param.ValueText(images);
    if (param.entry().hasOptions()) {
        text += ' ';
        text += param.OptionText(images);
    }
    return text;
}

std::string SecurityLevelText(const DBParam& param, const ValueImages& images)
{
    const int level = param.SecurityLevel(images);
    return level == 0 ? std::string("N/A") : CFormat("%d", level);
}

bool IsShownInDirectory(const DBParam& param, int directory)
{
    if (directory == kWildMeterDirectory && param.isBlendOnly())
        return false;
    if (directory == kBlendMeterDirectory && param.isWildOnly())
        return false;
    return true;
}

std::vector<int> ListingDirectories(std::optional<int> selection)
{
    std::vector<int> directories;
    auto addRange = [&](int first, int last) {
        for (int d = first; d <= last; ++d)
            directories.push_back(d);
    };
    if (!selection) {
        addRange(1, 10);
        addRange(kFirstRecipe, kLastRecipe);
    } else if (*selection == kConfigurationDirectory) {
        addRange(1, 4);
    } else if (*selection == kRecipeDirectory) {
        addRange(kFirstRecipe, kLastRecipe);
    } else if (Directory(*selection)) {
        directories.push_back(*selection);
    }
    return directories;
}

std::string DirectoryTitle(int directory)
{
    return CFormat("%s Directory", std::string(DirectoryName(directory)).c_str());
}

std::string ListingCodeLine(const DBParam& param, const ValueImages& images, const ListingOptions& options)
{
    std::string value;
    if (!param.hasValue())
        value = " ";
    else if (param.entry().hasOptions())
        value = CFormat("%d %s", param.ValueByte(images), std::string(param.OptionText(images)).c_str());
    else
        value = param.ValueText(images);
    std::string line = CFormat("%-40.40s %-32.32s", std::string(param.description()).c_str(), value.c_str());
    if (options.showLevels) {
        const int level = param.SecurityLevel(images);
        line += level == 0 ? std::string("    N/A") : CFormat("    %d", level);
    }
    return line;
}

std::vector<std::string> ListingSection(const DirectoryChain& chain, const ValueImages& images, int directory,
                                        const ListingOptions& options)
{
    std::vector<std::string> lines{DirectoryTitle(directory), std::string()};
    for (const DBParam& p : chain.directory(directory)) {
        if (!IsShownInDirectory(p, directory))
            continue;
        if (options.suppressBelowLevel > 0 && p.SecurityLevel(images) <= options.suppressBelowLevel)
            continue;
        lines.push_back(ListingCodeLine(p, images, options));
    }
    lines.emplace_back();
    lines.emplace_back();
    return lines;
}

std::vector<std::string> ListingLines(const DirectoryChain& chain, const ValueImages& images,
                                      const std::vector<int>& directories, const ListingOptions& options)
{
    std::vector<std::string> lines;
    for (int d : directories) {
        auto section = ListingSection(chain, images, d, options);
        lines.insert(lines.end(), section.begin(), section.end());
    }
    return lines;
}

} // namespace corvane
