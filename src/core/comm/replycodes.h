#pragma once
// Texts of the controller's rejection codes ("NO" followed by a number).

#include <string>

namespace corvane {

std::string ReplyCodeText(int code);

} // namespace corvane
