// `cmake --install` of this build into a scratch prefix, then what a Linux
// desktop reads there: the programs, the desktop entry, the hicolor icons and
// the AppStream metadata. The system's validators run when installed.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "tests/support/test_dir.h"

namespace {

namespace fs = std::filesystem;

const char* const app_id = "org.tonewarp.extractor";

int shell(const std::string& cmd) {
    const int w = std::system(cmd.c_str());
    return WIFEXITED(w) ? WEXITSTATUS(w) : -1;
}

bool have(const char* tool) { return shell(std::string("command -v ") + tool + " >/dev/null 2>&1") == 0; }

// The keys of the [Desktop Entry] group, localised keys included.
std::map<std::string, std::string> desktop_keys(const fs::path& p) {
    std::map<std::string, std::string> keys;
    std::istringstream in(read_file_bytes(p));
    bool in_entry = false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line[0] == '[') in_entry = line == "[Desktop Entry]";
        const auto eq = line.find('=');
        if (in_entry && eq != std::string::npos) keys[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return keys;
}

std::set<std::string> split(const std::string& list, char sep) {
    std::set<std::string> out;
    std::istringstream in(list);
    for (std::string item; std::getline(in, item, sep);)
        if (!item.empty()) out.insert(item);
    return out;
}

// Width and height from a PNG's IHDR chunk; {0, 0} when it is no PNG.
std::pair<int, int> png_size(const fs::path& p) {
    const std::string b = read_file_bytes(p);
    if (b.size() < 24 || b.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || b.compare(12, 4, "IHDR") != 0)
        return {0, 0};
    auto be32 = [&](std::size_t at) {
        return (static_cast<unsigned char>(b[at]) << 24) | (static_cast<unsigned char>(b[at + 1]) << 16) |
               (static_cast<unsigned char>(b[at + 2]) << 8) | static_cast<unsigned char>(b[at + 3]);
    };
    return {be32(16), be32(20)};
}

// The text between <tag> and </tag>, every occurrence.
std::vector<std::string> xml_texts(const std::string& xml, const std::string& tag) {
    std::vector<std::string> out;
    const std::string open = "<" + tag + ">", close = "</" + tag + ">";
    for (auto at = xml.find(open); at != std::string::npos; at = xml.find(open, at + 1)) {
        const auto from = at + open.size();
        out.push_back(xml.substr(from, xml.find(close, from) - from));
    }
    return out;
}

class installed : public ::testing::Test {
   protected:
    static void SetUpTestSuite() {
        char tmpl[] = "/tmp/tw-install-XXXXXX";
        prefix_ = mkdtemp(tmpl);
        install_status_ =
            shell(std::string("'") + TW_CMAKE_COMMAND + "' --install '" + TW_BINARY_DIR + "' --prefix '" +
                  prefix_.string() + "' >'" + (prefix_ / "install.log").string() + "' 2>&1");
    }
    static void TearDownTestSuite() { fs::remove_all(prefix_); }
    void SetUp() override { ASSERT_EQ(install_status_, 0) << read_file_bytes(prefix_ / "install.log"); }

    static fs::path share() { return prefix_ / "share"; }
    static fs::path desktop_file() { return share() / "applications" / (std::string(app_id) + ".desktop"); }
    static fs::path metainfo_file() { return share() / "metainfo" / (std::string(app_id) + ".metainfo.xml"); }

    static inline fs::path prefix_;
    static inline int install_status_ = -1;
};

TEST_F(installed, TheProgramsRunFromTheBinFolderOfThePrefix) {
    const fs::path cli = prefix_ / "bin" / "tonewarp-cli";
    ASSERT_TRUE(fs::exists(cli));
    EXPECT_EQ(shell("'" + cli.string() + "' --version >'" + (prefix_ / "version.txt").string() + "'"), 0);
    EXPECT_EQ(read_file_bytes(prefix_ / "version.txt"), "Tonewarp Version 1.03\n");
    if (!TW_HAVE_GUI) GTEST_SKIP() << "built without the desktop application";
    const fs::path gui = prefix_ / "bin" / "tonewarp";
    ASSERT_TRUE(fs::exists(gui));
    EXPECT_NE(fs::status(gui).permissions() & fs::perms::owner_exec, fs::perms::none);
}

TEST_F(installed, TheDesktopEntryStartsTheInstalledProgramForWaveFiles) {
    if (!TW_HAVE_GUI) GTEST_SKIP() << "built without the desktop application";
    auto keys = desktop_keys(desktop_file());
    EXPECT_EQ(keys["Name"], "Tone_Warp Extractor");
    // The command is a program of the prefix's bin folder, found through PATH.
    const std::string exec = keys["Exec"];
    const std::string program = exec.substr(0, exec.find(' '));
    EXPECT_TRUE(fs::exists(prefix_ / "bin" / program)) << exec;
    EXPECT_EQ(split(keys["MimeType"], ';'),
              (std::set<std::string>{"audio/x-wav", "audio/wav", "audio/vnd.wave"}));
    // The icon is the theme name every size of the icons below is installed under.
    EXPECT_EQ(keys["Icon"], app_id);

    if (!have("desktop-file-validate")) GTEST_SKIP() << "desktop-file-validate is not installed";
    const fs::path out = prefix_ / "desktop-validate.txt";
    EXPECT_EQ(shell("desktop-file-validate '" + desktop_file().string() + "' >'" + out.string() + "' 2>&1"),
              0)
        << read_file_bytes(out);
    EXPECT_EQ(read_file_bytes(out), "");  // not even a hint
}

TEST_F(installed, EveryIconIsAPictureOfTheSizeItsFolderNames) {
    if (!TW_HAVE_GUI) GTEST_SKIP() << "built without the desktop application";
    const fs::path hicolor = share() / "icons" / "hicolor";
    std::set<int> sizes;
    for (const auto& e : fs::directory_iterator(hicolor)) {
        const std::string folder = e.path().filename().string();
        const fs::path icon =
            e.path() / "apps" / (std::string(app_id) + (folder == "scalable" ? ".svg" : ".png"));
        ASSERT_TRUE(fs::exists(icon)) << icon;
        if (folder == "scalable") {
            const std::string svg = read_file_bytes(icon);
            EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
            EXPECT_NE(svg.find("<svg xmlns=\"http://www.w3.org/2000/svg\""), std::string::npos);
            EXPECT_NE(svg.find("</svg>"), std::string::npos);
            continue;
        }
        const int n = std::atoi(folder.c_str());
        EXPECT_EQ(folder, std::to_string(n) + "x" + std::to_string(n));
        EXPECT_EQ(png_size(icon), std::pair(n, n)) << icon;
        sizes.insert(n);
    }
    EXPECT_EQ(sizes, (std::set<int>{16, 22, 24, 32, 48, 64, 128, 256}));
}

TEST_F(installed, TheMetadataNamesTheDesktopEntryAndTheProgramsAndValidates) {
    if (!TW_HAVE_GUI) GTEST_SKIP() << "built without the desktop application";
    const std::string xml = read_file_bytes(metainfo_file());
    EXPECT_EQ(xml_texts(xml, "id"), std::vector<std::string>{app_id});
    EXPECT_NE(
        xml.find("<launchable type=\"desktop-id\">" + desktop_file().filename().string() + "</launchable>"),
        std::string::npos);
    for (const std::string& b : xml_texts(xml, "binary")) EXPECT_TRUE(fs::exists(prefix_ / "bin" / b)) << b;
    EXPECT_EQ(xml_texts(xml, "binary").size(), 2u);
    const auto types = xml_texts(xml, "mediatype");
    EXPECT_EQ(std::set<std::string>(types.begin(), types.end()),
              split(desktop_keys(desktop_file())["MimeType"], ';'));
    EXPECT_NE(xml.find("<release version=\"1.03\""), std::string::npos);  // the version the programs report

    if (!have("appstreamcli")) GTEST_SKIP() << "appstreamcli is not installed";
    const fs::path out = prefix_ / "appstream-validate.txt";
    EXPECT_EQ(shell("appstreamcli validate --no-net '" + metainfo_file().string() + "' >'" + out.string() +
                    "' 2>&1"),
              0)
        << read_file_bytes(out);
}

}  // namespace
