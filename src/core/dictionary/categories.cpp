#include "dictionary/categories.h"

#include <array>

namespace corvane {
namespace {

using K = CategoryKind;

constexpr std::array<CategoryInfo, kCategoryCount> kCategories{{
    {"Pulse Input Configuration", K::Configuration, 0},
    {"Digital I/O Configuration", K::Configuration, 0},
    {"Analog I/O Configuration", K::Configuration, 0},
    {"System Configuration", K::Configuration, 0},
    {"Security Configuration", K::Configuration, 0},
    {"Alarm Configuration", K::Configuration, 0},
    {"User Alarm Configuration", K::Configuration, 0},
    {"Communications Configuration", K::Configuration, 0},
    {"Load Arm Configuration", K::Configuration, 0},
    {"Meter Configuration", K::Configuration, 0},
    {"Product Configuration", K::Configuration, 0},
    {"Recipe Configuration", K::Configuration, 0},
    {"System Run Data", K::RunData, 1},
    {"Transaction Data", K::RunData, 1},
    {"Batch Data", K::RunData, 1},
    {"Product Run Data", K::RunData, 1},
    {"Product Run Data for Batch", K::RunData, 1},
    {"Digital I/O Status", K::RunData, 1},
    {"Analog I/O Values", K::RunData, 1},
    {"Recipe Run Data", K::RunData, 1},
    {"Meter Run Data", K::RunData, 1},
    {"System Alarms", K::RunData, 1},
    {"Load Arm Alarms", K::RunData, 1},
    {"Meter Alarms", K::RunData, 1},
    {"Product Alarm Status", K::RunData, 1},
    {"System Commands", K::RunData, 2},
    {"Digital Output Commands", K::RunData, 2},
    {"User Data", K::RunData, 0},
    {"Meter Commands", K::RunData, 2},
    {"Recipe Alarms", K::RunData, 1},
    {"Analog Output Commands", K::RunData, 2},
    {"Arm Commands", K::RunData, 2},
}};

constexpr CategoryInfo kNoCategory{"", K::RunData, 2};

} // namespace

const CategoryInfo& Category(int category)
{
    if (category < 0 || category >= kCategoryCount)
        return kNoCategory;
    return kCategories[static_cast<std::size_t>(category)];
}

std::string_view CategoryName(int category) { return Category(category).name; }

int PlacementClass(int category) { return Category(category).placement; }

bool IsOfferedCategory(int category)
{
    // The security configuration holds the access codes and is never offered.
    return category >= 0 && category < kCategoryCount && category != 4 && PlacementClass(category) != 2;
}

} // namespace corvane
