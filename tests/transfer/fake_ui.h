// FakeUi: stands in for the dialog and writes down everything a command shows.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "transfer/transfer_ui.h"

// Stands in for the dialog: writes down everything the command shows, in
// order, as lines such as "warn Ошибка чтения программы", "range 0 2",
// "pos 1", and answers questions from a queue.
class FakeUi : public ITransferUi {
public:
    std::vector<std::string> events;
    // The detail of every warning, information and question, in order.
    std::vector<std::string> details;
    std::deque<bool> answers;

    using ITransferUi::ShowWarning;
    void ShowWarning(const std::string& text, const std::string& detail) override
    {
        events.push_back("warn " + text);
        details.push_back(detail);
    }
    void ShowInformation(const std::string& text, const std::string& detail) override
    {
        events.push_back("info " + text);
        details.push_back(detail);
    }
    // Answered from `answers`, No when it runs out.
    bool AskYesNo(const std::string& question, const std::string& detail) override
    {
        events.push_back("ask " + question);
        details.push_back(detail);
        if (answers.empty())
            return false;
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
    void SetProgressRange(int low, int high) override
    {
        events.push_back("range " + std::to_string(low) + " " + std::to_string(high));
    }
    void SetProgressPos(int pos) override { events.push_back("pos " + std::to_string(pos)); }

    std::vector<std::string> Warnings() const
    {
        std::vector<std::string> warnings;
        for (const std::string& e : events)
            if (e.rfind("warn ", 0) == 0)
                warnings.push_back(e.substr(5));
        return warnings;
    }
    // The messages with their details, as the command line prints them.
    std::vector<std::string> Shown() const
    {
        std::vector<std::string> lines;
        std::size_t detail = 0;
        for (const std::string& e : events) {
            const std::string::size_type space = e.find(' ');
            const std::string tag = e.substr(0, space);
            if (tag != "warn" && tag != "info" && tag != "ask")
                continue;
            lines.push_back(e.substr(space + 1));
            if (detail < details.size() && !details[detail].empty())
                lines.push_back(details[detail]);
            ++detail;
        }
        return lines;
    }
    // The progress events alone.
    std::vector<std::string> Progress() const
    {
        std::vector<std::string> progress;
        for (const std::string& e : events)
            if (e.rfind("range ", 0) == 0 || e.rfind("pos ", 0) == 0)
                progress.push_back(e);
        return progress;
    }
};
