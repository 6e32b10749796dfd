#include "testhost/host_script.h"

#include <map>
#include <stdexcept>

namespace {

struct Arity {
    size_t least;
    size_t most;
};

const std::map<std::string, Arity>& Verbs() {
    static const std::map<std::string, Arity> verbs = {
        {"mailboxes", {1, 1}},    {"wait-window", {1, 2}},    {"tick", {2, 2}},
        {"untick", {2, 2}},       {"check", {1, 1}},          {"uncheck", {1, 1}},
        {"choose", {2, 2}},       {"type", {2, 2}},           {"date", {2, 2}},
        {"press", {1, 1}},        {"wait-task", {0, 1}},      {"open-archive", {1, 1}},
        {"select-row", {1, 1}},   {"picture", {1, 1}},        {"close-window", {0, 0}},
        {"sleep", {1, 1}},        {"picture-screen", {1, 1}}, {"wait-other", {1, 2}},
        {"close-other", {1, 1}},  {"menu", {1, 1}},           {"find", {1, 1}},
        {"wait-caption", {1, 2}}, {"save-as", {1, 1}},        {"empty-trash", {0, 0}},
        {"open-row", {0, 0}},     {"selected-row", {0, 0}},
    };
    return verbs;
}

std::invalid_argument Problem(int line, const std::string& text) {
    return std::invalid_argument("script line " + std::to_string(line) + ": " + text);
}

std::vector<std::string> SplitWords(const std::string& text, int line) {
    std::vector<std::string> words;
    size_t at = 0;
    while (true) {
        while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) {
            ++at;
        }
        if (at >= text.size()) {
            return words;
        }
        std::string word;
        if (text[at] == '"') {
            ++at;
            while (true) {
                if (at >= text.size()) {
                    throw Problem(line, "a quoted text has no closing quote");
                }
                if (text[at] == '"') {
                    if (at + 1 < text.size() && text[at + 1] == '"') {
                        word += '"';
                        at += 2;
                        continue;
                    }
                    ++at;
                    break;
                }
                word += text[at++];
            }
        } else {
            while (at < text.size() && text[at] != ' ' && text[at] != '\t') {
                word += text[at++];
            }
        }
        words.push_back(word);
    }
}

} // namespace

std::vector<ScriptStep> ParseHostScript(const std::string& text) {
    std::vector<ScriptStep> steps;
    int line = 0;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string content = text.substr(start, end - start);
        start = end + 1;
        ++line;
        if (!content.empty() && content.back() == '\r') {
            content.pop_back();
        }
        std::vector<std::string> words = SplitWords(content, line);
        if (words.empty() || words.front()[0] == '#') {
            continue;
        }
        const auto verb = Verbs().find(words.front());
        if (verb == Verbs().end()) {
            throw Problem(line, "unknown step \"" + words.front() + "\"");
        }
        const size_t count = words.size() - 1;
        if (count < verb->second.least || count > verb->second.most) {
            throw Problem(line, "\"" + words.front() + "\" takes " +
                                    std::to_string(verb->second.least) +
                                    (verb->second.most != verb->second.least
                                         ? " to " + std::to_string(verb->second.most)
                                         : std::string()) +
                                    " argument(s)");
        }
        if ((words[0] == "tick" || words[0] == "untick") && words[1] != "mailboxes" &&
            words[1] != "archives") {
            throw Problem(line, "\"" + words[0] + "\" needs \"mailboxes\" or \"archives\"");
        }
        steps.push_back(
            {line, words.front(), std::vector<std::string>(words.begin() + 1, words.end())});
    }
    return steps;
}
