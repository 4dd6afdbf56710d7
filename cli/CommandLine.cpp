#include "cli/CommandLine.h"

#include <charconv>

namespace tav::cli {

CommandLine::CommandLine(std::set<std::string> flags, std::set<std::string> options,
                         std::set<std::string> repeated)
    : m_flags(std::move(flags)), m_options(std::move(options)), m_repeated(std::move(repeated)) {
    m_options.insert(m_repeated.begin(), m_repeated.end());
}

Status CommandLine::parse(const std::vector<std::string>& args) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (optionsEnded || arg.size() < 2 || arg[0] != '-') {
            m_positionals.push_back(arg);
        } else if (arg == "--") {
            optionsEnded = true;
        } else if (m_flags.count(arg)) {
            m_flagsSeen.insert(arg);
        } else if (m_options.count(arg)) {
            if (i + 1 == args.size()) {
                return Status::failure(arg + " needs a value");
            }
            auto& values = m_values[arg];
            if (!values.empty() && !m_repeated.count(arg)) {
                return Status::failure(arg + " may be given only once");
            }
            values.push_back(args[++i]);
        } else {
            return Status::failure("unknown option " + arg);
        }
    }
    return Status::success();
}

std::optional<std::string> CommandLine::value(const std::string& option) const {
    auto it = m_values.find(option);
    if (it == m_values.end() || it->second.empty())
        return std::nullopt;
    return it->second.front();
}

std::vector<std::string> CommandLine::values(const std::string& option) const {
    auto it = m_values.find(option);
    return it == m_values.end() ? std::vector<std::string>{} : it->second;
}

Result<int> CommandLine::intValue(const std::string& option, int min, int max, int fallback) const {
    const auto text = value(option);
    if (!text)
        return fallback;
    int number = 0;
    const auto [end, ec] = std::from_chars(text->data(), text->data() + text->size(), number);
    if (ec != std::errc() || end != text->data() + text->size() || number < min || number > max) {
        return Result<int>::failure(option + " takes a whole number from " + std::to_string(min) +
                                    " to " + std::to_string(max) + ", not '" + *text + "'");
    }
    return number;
}

} // namespace tav::cli
