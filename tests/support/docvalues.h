#pragma once
// Compares the values and security levels of two configuration documents.

#include "configdoc/corvanedoc.h"
#include "dictionary/directories.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace corvane::testing {

// Every code `compared` accepts holds the same value and level in both; at
// least 250 codes must be compared, so that an empty comparison fails.
inline void ExpectSameValues(const CCorvaneDoc& expected, const CCorvaneDoc& actual,
                             const std::function<bool(const DBParam&)>& compared)
{
    auto a = actual.chain().all();
    auto e = expected.chain().all();
    ASSERT_EQ(a.size(), e.size());
    int checked = 0;
    for (std::size_t i = 0; i < e.size(); ++i) {
        if (!compared(e[i]))
            continue;
        ++checked;
        SCOPED_TRACE(std::string(DirectoryName(e[i].directory())) + " " + e[i].entry().description);
        EXPECT_EQ(actual.valueText(a[i]), expected.valueText(e[i]));
        EXPECT_EQ(actual.securityLevel(a[i]), expected.securityLevel(e[i]));
    }
    EXPECT_GT(checked, 250);
}

} // namespace corvane::testing
