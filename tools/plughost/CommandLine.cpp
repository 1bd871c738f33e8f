#include "tools/plughost/CommandLine.h"

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace plughost {

CommandLine::CommandLine(Options options) : options_(std::move(options)) {}

CommandLine::Options CommandLine::joined(std::initializer_list<Options> groups) {
    Options all;
    for (const Options& group : groups) all.insert(all.end(), group.begin(), group.end());
    return all;
}

const CommandLine::Option* CommandLine::find(const std::string& name) const {
    for (const Option& o : options_)
        if (name == o.name) return &o;
    return nullptr;
}

bool CommandLine::expand(const std::string& arg, std::vector<std::string>& out, std::string* error,
                         int depth) {
    if (arg.size() < 2 || arg[0] != '@') {
        out.push_back(arg);
        return true;
    }
    if (depth > 8) {
        if (error) *error = arg + ": argument files nest too deeply";
        return false;
    }
    std::ifstream in(arg.substr(1));
    if (!in) {
        if (error) *error = arg.substr(1) + ": cannot read the argument file";
        return false;
    }
    std::string line;
    while (std::getline(in, line)) {
        const auto first = line.find_first_not_of(" \t\r");
        if (first == std::string::npos || line[first] == '#') continue;
        std::istringstream words(line);
        std::string word;
        while (words >> word)
            if (!expand(word, out, error, depth + 1)) return false;
    }
    return true;
}

bool CommandLine::parse(const std::vector<std::string>& args, std::string* error) {
    std::vector<std::string> words;
    for (const auto& a : args)
        if (!expand(a, words, error, 0)) return false;
    positionals_.clear();
    given_.clear();
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (w.size() < 3 || w.compare(0, 2, "--") != 0) {
            positionals_.push_back(w);
            continue;
        }
        std::string name = w.substr(2);
        std::string value;
        bool inlineValue = false;
        const auto eq = name.find('=');
        if (eq != std::string::npos) {
            value = name.substr(eq + 1);
            name.resize(eq);
            inlineValue = true;
        }
        const Option* option = find(name);
        if (!option) {
            if (error) *error = "unknown option --" + name;
            return false;
        }
        if (option->takesValue && !inlineValue) {
            if (i + 1 >= words.size()) {
                if (error) *error = "option --" + name + " needs a value";
                return false;
            }
            value = words[++i];
        } else if (!option->takesValue && inlineValue) {
            if (error) *error = "option --" + name + " takes no value";
            return false;
        }
        given_.emplace_back(name, value);
    }
    return true;
}

bool CommandLine::has(const std::string& name) const {
    for (const auto& g : given_)
        if (g.first == name) return true;
    return false;
}

std::string CommandLine::value(const std::string& name, const std::string& fallback) const {
    std::string result = fallback;
    for (const auto& g : given_)
        if (g.first == name) result = g.second;
    return result;
}

std::vector<std::string> CommandLine::values(const std::string& name) const {
    std::vector<std::string> result;
    for (const auto& g : given_)
        if (g.first == name) result.push_back(g.second);
    return result;
}

bool CommandLine::number(const std::string& name, double low, double high, double& out,
                         std::string* error) const {
    if (!has(name)) return true;
    const std::string text = value(name);
    char* end = nullptr;
    const double v = std::strtod(text.c_str(), &end);
    if (text.empty() || *end != 0 || !std::isfinite(v) || v < low || v > high) {
        if (error) {
            std::ostringstream s;
            s << "--" << name << " " << text << ": expected a number from " << low << " to "
              << high;
            *error = s.str();
        }
        return false;
    }
    out = v;
    return true;
}

}  // namespace plughost
