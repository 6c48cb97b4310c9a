#pragma once

#include <stdexcept>
#include <string>

namespace rm {

// A failure of the merge or of the spreadsheet layer: a stable number and a
// description text (UTF-8) for the user. Numbers are listed in ErrorNumbers.h.
class Error : public std::runtime_error {
public:
    Error(int number, const std::string& description)
        : std::runtime_error(description), m_number(number), m_description(description) {}

    int number() const { return m_number; }
    const std::string& description() const { return m_description; }

private:
    int m_number;
    std::string m_description;
};

} // namespace rm
