#pragma once
// Arguments of one subcommand: positional words and "--name value",
// "--name=value" or "--flag" options from a declared list. An argument
// "@FILE" is replaced by the whitespace-separated words of FILE, so that
// option sets can be kept in files (lines starting with '#' are comments).

#include <initializer_list>
#include <string>
#include <vector>

namespace plughost {

class CommandLine {
public:
    struct Option {
        const char* name;  // without the dashes
        bool takesValue;
    };

    using Options = std::vector<Option>;

    explicit CommandLine(Options options);

    // One list of several: a command's own options and those of the shared
    // steps it takes.
    static Options joined(std::initializer_list<Options> groups);

    // False with `error` set on an unknown option, a missing value or an
    // unreadable @FILE.
    bool parse(const std::vector<std::string>& args, std::string* error);

    const std::vector<std::string>& positionals() const { return positionals_; }
    bool has(const std::string& name) const;
    // The last value given for `name`, or `fallback`.
    std::string value(const std::string& name, const std::string& fallback = "") const;
    // Every value given for `name`, in order.
    std::vector<std::string> values(const std::string& name) const;
    // The last value as a number; false with `error` set when it is not one
    // or lies outside [low, high]. Leaves `out` alone when the option is absent.
    bool number(const std::string& name, double low, double high, double& out,
                std::string* error) const;

private:
    bool expand(const std::string& arg, std::vector<std::string>& out, std::string* error,
                int depth);
    const Option* find(const std::string& name) const;

    std::vector<Option> options_;
    std::vector<std::string> positionals_;
    std::vector<std::pair<std::string, std::string>> given_;
};

}  // namespace plughost
