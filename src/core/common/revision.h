#pragma once

namespace corvane {

// The revision of this tool and of the controller firmware it supports.
inline constexpr float TOOL_REVISION = 0.03f;

} // namespace corvane
