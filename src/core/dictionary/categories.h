#pragma once
// The 32 register categories: 0-11 hold program codes, 12-31 run data.

#include <string_view>

namespace corvane {

constexpr int kCategoryCount = 32;
constexpr int kFirstRunDataCategory = 12;

enum class CategoryKind { Configuration, RunData };

struct CategoryInfo {
    std::string_view name;
    CategoryKind kind;
    // Data-item selection tree: 1 offered first in category order, 0 offered
    // after those, 2 never offered.
    int placement;
};

// The category's row; an out-of-range number yields an empty name, placement 2.
const CategoryInfo& Category(int category);

std::string_view CategoryName(int category);
int PlacementClass(int category);
// Whether the data-item selection tree offers the category at all.
bool IsOfferedCategory(int category);
constexpr bool IsConfigurationCategory(int category) { return category >= 0 && category < kFirstRunDataCategory; }

} // namespace corvane
