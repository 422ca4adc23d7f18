#include "common/interaction.h"

namespace corvane {

Answer SilentInteraction::ask(const std::string&, const std::string&, Buttons buttons, MessageIcon)
{
    switch (buttons) {
    case Buttons::Ok:
    case Buttons::OkCancel: return Answer::Ok;
    case Buttons::YesNo:
    case Buttons::YesNoCancel: return Answer::Yes;
    case Buttons::RetryCancel: return Answer::Cancel;
    case Buttons::AbortRetryIgnore: return Answer::Abort;
    }
    return Answer::Cancel;
}

} // namespace corvane
