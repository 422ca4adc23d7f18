#pragma once
// An interaction that records every message and answers from a script.

#include "common/interaction.h"

#include <deque>
#include <string>
#include <vector>

namespace corvane::testing {

class FakeInteraction : public Interaction {
public:
    struct Shown {
        std::string text;
        std::string caption;
        MessageIcon icon;
    };

    std::vector<Shown> messages;  // showMessage and ask, in order
    std::deque<Answer> answers;   // consumed by ask(); Cancel when empty
    std::deque<std::string> fileNames;
    std::deque<std::string> accessCodes;

    void showMessage(const std::string& text, const std::string& caption, MessageIcon icon) override
    {
        messages.push_back({text, caption, icon});
    }

    Answer ask(const std::string& text, const std::string& caption, Buttons, MessageIcon icon) override
    {
        messages.push_back({text, caption, icon});
        if (answers.empty())
            return Answer::Cancel;
        Answer a = answers.front();
        answers.pop_front();
        return a;
    }

    std::optional<std::string> askFileName(const std::string&, const std::string&, bool) override
    {
        return Pop(fileNames);
    }

    std::optional<std::string> askAccessCode() override { return Pop(accessCodes); }

private:
    static std::optional<std::string> Pop(std::deque<std::string>& q)
    {
        if (q.empty())
            return std::nullopt;
        std::string s = q.front();
        q.pop_front();
        return s;
    }
};

} // namespace corvane::testing
