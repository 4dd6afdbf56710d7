// A small parser for the commands' arguments: flags, options with a value, repeated options
// and positional arguments, with one clear message for whatever is wrong.
#pragma once

#include "common/Status.h"

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace tav::cli {

class CommandLine {
public:
    // `flags` take no value; `options` take one (given as "--name VALUE"); `repeated` options
    // may be given more than once. "--" ends the options.
    CommandLine(std::set<std::string> flags, std::set<std::string> options,
                std::set<std::string> repeated = {});

    // Fails, saying why, when an option is unknown, lacks its value or is given twice.
    Status parse(const std::vector<std::string>& args);

    bool has(const std::string& flag) const { return m_flagsSeen.count(flag) != 0; }
    std::optional<std::string> value(const std::string& option) const;
    std::vector<std::string> values(const std::string& option) const;
    const std::vector<std::string>& positionals() const { return m_positionals; }

    // The option's value as a whole number within [min, max]; `fallback` when it is absent.
    // Fails, saying why, when the value is not such a number.
    Result<int> intValue(const std::string& option, int min, int max, int fallback) const;

private:
    std::set<std::string> m_flags, m_options, m_repeated;
    std::set<std::string> m_flagsSeen;
    std::map<std::string, std::vector<std::string>> m_values;
    std::vector<std::string> m_positionals;
};

} // namespace tav::cli
