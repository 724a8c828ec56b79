// The manual pages against what they describe: tonewarp-cli(1) against the
// built tool's --help (every option, command, output file and exit status
// that one names, the other names too), tonewarp(1) against the README's
// list of the files the program reads and writes. The pages are read as
// configured for this build (build/packaging/man/), the text that is
// gzipped and installed.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/test_dir.h"

namespace {

// The page's text as man shows it, roughly: font changes dropped, the
// escapes the pages use turned into their characters.
std::string unescape(std::string s) {
    static const std::vector<std::pair<std::string, std::string>> escapes = {
        {"\\-", "-"},    {"\\(em", "--"}, {"\\(bu", "*"}, {"\\(mu", "x"},
        {"\\(->", "->"}, {"\\&", ""},     {"\\ ", " "},   {"\\e", "\\"},
    };
    s = std::regex_replace(s, std::regex(R"(\\f(\[[A-Z]*\]|\([A-Z]{2}|[BIRP]))"), "");
    for (const auto& [from, to] : escapes)
        for (auto at = s.find(from); at != std::string::npos; at = s.find(from, at + to.size()))
            s.replace(at, from.size(), to);
    return s;
}

// The arguments of a macro line, quotes removed.
std::vector<std::string> macro_args(const std::string& rest) {
    std::vector<std::string> out;
    for (std::size_t i = 0; i < rest.size();) {
        while (i < rest.size() && rest[i] == ' ') ++i;
        if (i >= rest.size()) break;
        const bool quoted = rest[i] == '"';
        const auto end = rest.find(quoted ? '"' : ' ', i + 1);
        out.push_back(rest.substr(i + (quoted ? 1 : 0),
                                  end == std::string::npos ? std::string::npos : end - i - (quoted ? 1 : 0)));
        i = end == std::string::npos ? rest.size() : end + (quoted ? 1 : 0);
    }
    return out;
}

struct man_page {
    std::string th;                                         // the .TH line's arguments
    std::map<std::string, std::vector<std::string>> lines;  // section -> its text lines
    std::map<std::string, std::vector<std::string>> tags;   // section -> the tags of its .TP items
    std::string text;                                       // every text line
};

man_page parse_page(const std::string& roff) {
    man_page page;
    std::istringstream in(roff);
    std::string section;
    bool tag_next = false;
    for (std::string raw; std::getline(in, raw);) {
        if (raw.rfind(".\\\"", 0) == 0) continue;  // a comment
        std::string line;
        if (!raw.empty() && raw[0] == '.') {
            const auto sp = raw.find(' ');
            const std::string macro = raw.substr(1, sp == std::string::npos ? std::string::npos : sp - 1);
            const auto args = macro_args(sp == std::string::npos ? "" : raw.substr(sp + 1));
            if (macro == "TH") {
                for (const auto& a : args) page.th += unescape(a) + " ";
                continue;
            }
            if (macro == "SH" || macro == "SS") {
                section.clear();
                for (const auto& a : args) section += (section.empty() ? "" : " ") + unescape(a);
                continue;
            }
            if (macro == "TP") {
                tag_next = true;
                continue;
            }
            if (macro == "B" || macro == "I") {
                for (const auto& a : args) line += (line.empty() ? "" : " ") + a;
            } else if (macro == "BR" || macro == "RB" || macro == "IR" || macro == "RI" || macro == "BI" ||
                       macro == "IB") {
                for (const auto& a : args) line += a;
            } else {
                continue;  // .PP, .IP, .nf, .fi: no text of their own
            }
        } else {
            line = raw;
        }
        line = unescape(line);
        if (tag_next) page.tags[section].push_back(line);
        tag_next = false;
        page.lines[section].push_back(line);
        page.text += line + "\n";
    }
    return page;
}

std::set<std::string> matches(const std::string& text, const std::regex& re, int group = 0) {
    std::set<std::string> out;
    for (std::sregex_iterator it(text.begin(), text.end(), re), end; it != end; ++it)
        out.insert((*it)[group]);
    return out;
}

bool has(const std::vector<std::string>& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) != v.end();
}

// The lines of --help after the one that starts with head, up to the next
// empty line.
std::vector<std::string> help_block(const std::string& help, const std::string& head) {
    std::vector<std::string> out;
    std::istringstream in(help);
    bool inside = false;
    for (std::string line; std::getline(in, line);) {
        if (!inside) {
            inside = line.rfind(head, 0) == 0;
            continue;
        }
        if (line.empty()) break;
        out.push_back(line);
    }
    return out;
}

// "  --start FRAME   first frame ..." -> "--start FRAME": the words before
// the first run of two spaces.
std::string head_words(const std::string& line) {
    const auto from = line.find_first_not_of(' ');
    const auto gap = line.find("  ", from);
    return line.substr(from, gap == std::string::npos ? std::string::npos : gap - from);
}

std::string run(const std::string& cmd) {
    std::string out;
    if (FILE* p = popen(cmd.c_str(), "r")) {
        char buf[4096];
        for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) out.append(buf, n);
        pclose(p);
    }
    return out;
}

const std::regex option_re(R"(--[a-z][a-z0-9-]*)");

class cli_page : public ::testing::Test {
   protected:
    static void SetUpTestSuite() {
        help_ = run(std::string("'") + TW_CLI_PATH + "' --help");
        version_ = run(std::string("'") + TW_CLI_PATH + "' --version");
        page_ = parse_page(read_file_bytes(std::string(TW_MAN_DIR) + "/tonewarp-cli.1"));
    }
    void SetUp() override {
        ASSERT_NE(help_.find("Usage:"), std::string::npos) << help_;
        ASSERT_FALSE(page_.text.empty());
    }
    static inline std::string help_, version_;
    static inline man_page page_;
};

TEST_F(cli_page, NamesTheSameOptionsAsHelp) {
    const auto in_help = matches(help_, option_re);
    const auto on_page = matches(page_.text, option_re);
    for (const auto& o : in_help)
        EXPECT_TRUE(on_page.count(o)) << "--help names " << o << ", the page does not";
    for (const auto& o : on_page)
        EXPECT_TRUE(in_help.count(o)) << "the page names " << o << ", --help does not";
    EXPECT_TRUE(in_help.count("--start") && in_help.count("--help")) << help_;
}

TEST_F(cli_page, DescribesEveryOptionOfExtractWithTheArgumentHelpGivesIt) {
    std::set<std::string> listed;
    for (const auto& line : help_block(help_, "Options of extract"))
        if (line.rfind("  -", 0) == 0) listed.insert(head_words(line));  // short options too
    ASSERT_GE(listed.size(), 7u) << help_;
    const auto& tags = page_.tags["OPTIONS"];
    EXPECT_EQ(std::set<std::string>(tags.begin(), tags.end()), listed)
        << "the items of the page's OPTIONS against the option lines of --help";
}

TEST_F(cli_page, HasEveryCommandInItsSynopsisAndDescribesIt) {
    std::set<std::string> commands, synopsis;
    for (const auto& line : help_block(help_, "Commands:"))
        if (line.size() > 2 && line[2] >= 'a' && line[2] <= 'z') commands.insert(head_words(line));
    ASSERT_GE(commands.size(), 4u) << help_;
    const std::string tool = "tonewarp-cli ";
    for (const auto& line : page_.lines["SYNOPSIS"])
        if (line.rfind(tool, 0) == 0 && line[tool.size()] != '-') synopsis.insert(line.substr(tool.size()));
    EXPECT_EQ(synopsis, commands) << "the command lines of SYNOPSIS against the commands of --help";
    const auto& tags = page_.tags["COMMANDS"];
    for (const auto& c : commands) EXPECT_TRUE(has(tags, c)) << "COMMANDS has no item for " << c;
    for (const char* o : {"--help", "--version"})
        EXPECT_TRUE(has(tags, o)) << "COMMANDS has no item for " << o;
    // What --version prints, word for word.
    ASSERT_FALSE(version_.empty());
    EXPECT_NE(page_.text.find(version_.substr(0, version_.size() - 1)), std::string::npos) << version_;
}

TEST_F(cli_page, ListsTheExitStatusesOfHelp) {
    std::set<std::string> in_help;
    for (const auto& line : help_block(help_, "Exit status:"))
        if (std::smatch m; std::regex_match(line, m, std::regex(R"(  ([0-9]+)  .*)"))) in_help.insert(m[1]);
    ASSERT_GE(in_help.size(), 4u) << help_;
    const auto& tags = page_.tags["EXIT STATUS"];
    EXPECT_EQ(std::set<std::string>(tags.begin(), tags.end()), in_help);
}

TEST_F(cli_page, DescribesEveryFileHelpNames) {
    std::set<std::string> in_help;
    for (const auto& line : help_block(help_, "Files extract writes"))
        if (std::smatch m; std::regex_match(line, m, std::regex(R"(  ([^ ]+)  .*)"))) in_help.insert(m[1]);
    ASSERT_EQ(in_help.count("mix.wav"), 1u) << help_;
    // The settings file and the log, wherever --help speaks of them.
    for (const auto& f : matches(help_, std::regex(R"([A-Za-z_]+\.(Inf|Lst))"))) in_help.insert(f);
    ASSERT_TRUE(in_help.count("Tonewarp.Inf") && in_help.count("Err_Log.Lst")) << help_;
    const auto& tags = page_.tags["FILES"];
    for (const auto& f : in_help) EXPECT_TRUE(has(tags, f)) << "FILES has no item for " << f;
}

TEST_F(cli_page, CarriesTheProjectsVersion) {
    EXPECT_EQ(page_.th.rfind("TONEWARP-CLI 1 ", 0), 0u) << page_.th;
    EXPECT_NE(page_.th.find(std::string("Tonewarp ") + TW_PROJECT_VERSION + " "), std::string::npos)
        << page_.th;
}

TEST(program_page, NamesEveryFileOfTheReadmesFilesSection) {
    const std::string readme = read_file_bytes(std::string(TW_SOURCE_DIR) + "/README.md");
    const auto from = readme.find("\n## Files the program reads and writes");
    ASSERT_NE(from, std::string::npos);
    const std::string section = readme.substr(from, readme.find("\n## ", from + 1) - from);
    // The files of the section: what a list item starts with, and every path from ~ or /.
    auto files = matches(section, std::regex(R"(\n- `([^`]+)`)"), 1);
    for (const auto& p : matches(section, std::regex(R"(`([~/][^`]*)`)"), 1)) files.insert(p);
    ASSERT_GE(files.size(), 3u) << section;

    man_page page = parse_page(read_file_bytes(std::string(TW_MAN_DIR) + "/tonewarp.1"));
    const auto& tags = page.tags["FILES"];
    for (const auto& f : files) EXPECT_TRUE(has(tags, f)) << "FILES of tonewarp(1) has no item for " << f;
    EXPECT_EQ(page.th.rfind("TONEWARP 1 ", 0), 0u) << page.th;
    EXPECT_NE(page.th.find(std::string("Tonewarp ") + TW_PROJECT_VERSION + " "), std::string::npos)
        << page.th;
    EXPECT_NE(page.text.find("README.md"), std::string::npos);  // the guide it points to
}

}  // namespace
