// The Debian package that CPack makes of this build (cmake/TonewarpPackage.cmake):
// its control fields, its files against those of `cmake --install` under
// /usr, the programs inside, and lintian's verdict. Needs cpack, dpkg-deb,
// dpkg-shlibdeps, file and lintian (scripts/install-deps.sh installs them);
// without them every test is skipped with a message, except under CI, where
// a missing tool is a failure.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/test_dir.h"

namespace {

namespace fs = std::filesystem;

int shell(const std::string& cmd) {
    const int w = std::system(cmd.c_str());
    return WIFEXITED(w) ? WEXITSTATUS(w) : -1;
}

std::string quoted(const fs::path& p) { return "'" + p.string() + "'"; }

// One entry of `dpkg-deb -c`: "-rw-r--r-- root/root 1234 2026-12-09 12:00 ./usr/bin/x".
struct deb_entry {
    std::string mode, owner, path;
};

class debian_package : public ::testing::Test {
   protected:
    static void SetUpTestSuite() {
        for (const char* tool : {"dpkg-deb", "dpkg-shlibdeps", "file", "lintian"})
            if (shell(std::string("command -v ") + tool + " >/dev/null 2>&1") != 0)
                missing_ += std::string(" ") + tool;
        if (!fs::exists(TW_CPACK_COMMAND)) missing_ += " cpack";
        if (!missing_.empty()) return;

        char tmpl[] = "/tmp/tw-package-XXXXXX";
        work_ = mkdtemp(tmpl);
        const fs::path log = work_ / "cpack.log";
        cpack_status_ =
            shell("cd " + quoted(work_) + " && '" + TW_CPACK_COMMAND + "' -G DEB --config '" + TW_BINARY_DIR +
                  "/CPackConfig.cmake' -B " + quoted(work_ / "out") + " >" + quoted(log) + " 2>&1");
        cpack_log_ = read_file_bytes(log);
        std::error_code ec;  // no folder at all when cpack failed early
        for (const auto& e : fs::directory_iterator(work_ / "out", ec))
            if (e.path().extension() == ".deb") deb_ = e.path();

        // The same build installed under /usr into a scratch root; the manifest
        // lists what it wrote.
        const fs::path root = work_ / "root";
        install_status_ =
            shell("DESTDIR=" + quoted(root) + " '" + TW_CMAKE_COMMAND + "' --install '" + TW_BINARY_DIR +
                  "' --prefix /usr >" + quoted(work_ / "install.log") + " 2>&1");
        const std::string manifest = read_file_bytes(fs::path(TW_BINARY_DIR) / "install_manifest.txt");
        std::istringstream in(manifest);
        for (std::string line; std::getline(in, line);) {
            if (line.rfind(root.string(), 0) == 0) line.erase(0, root.string().size());
            if (!line.empty()) installed_.insert(line);
        }
        if (!deb_.empty()) {
            contents_ = output("dpkg-deb -c " + quoted(deb_));
            shell("dpkg-deb -x " + quoted(deb_) + " " + quoted(work_ / "x"));
        }
    }
    static void TearDownTestSuite() {
        if (!work_.empty()) fs::remove_all(work_);
    }
    void SetUp() override {
        if (!missing_.empty()) {
            const std::string why = "missing:" + missing_ + " (scripts/install-deps.sh installs them)";
            if (const char* ci = std::getenv("CI"); ci != nullptr && std::string(ci) == "true") FAIL() << why;
            GTEST_SKIP() << why;
        }
        ASSERT_EQ(cpack_status_, 0) << cpack_log_;
        ASSERT_FALSE(deb_.empty()) << cpack_log_;
    }

    static std::string output(const std::string& cmd) {
        const fs::path out = work_ / "cmd.out";
        shell(cmd + " >" + quoted(out) + " 2>&1");
        return read_file_bytes(out);
    }
    static std::string field(const std::string& name) {
        std::string v = output("dpkg-deb -f " + quoted(deb_) + " " + name);
        while (!v.empty() && v.back() == '\n') v.pop_back();
        return v;
    }
    static std::vector<deb_entry> entries() {
        std::vector<deb_entry> out;
        std::istringstream in(contents_);
        for (std::string line; std::getline(in, line);) {
            std::istringstream words(line);
            deb_entry e;
            std::string size, date, time;
            words >> e.mode >> e.owner >> size >> date >> time;
            std::getline(words >> std::ws, e.path);
            if (const auto arrow = e.path.find(" -> "); arrow != std::string::npos) e.path.erase(arrow);
            if (e.path.rfind("./", 0) == 0) e.path.erase(0, 1);
            if (e.path.size() > 1 && e.path.back() == '/') e.path.pop_back();
            out.push_back(e);
        }
        return out;
    }

    static inline std::string missing_, cpack_log_, contents_;
    static inline fs::path work_, deb_;
    static inline int cpack_status_ = -1, install_status_ = -1;
    static inline std::set<std::string> installed_;
};

TEST_F(debian_package, IsNamedTonewarpWithTheProgramsVersionAndTheBuildsArchitecture) {
    std::string arch = output("dpkg --print-architecture");
    arch.erase(arch.find_last_not_of('\n') + 1);
    EXPECT_EQ(field("Package"), "tonewarp");
    EXPECT_EQ(field("Version"), TW_PROJECT_VERSION);
    EXPECT_EQ(field("Architecture"), arch);
    EXPECT_EQ(deb_.filename().string(), std::string("tonewarp_") + TW_PROJECT_VERSION + "_" + arch + ".deb");
    // The version the packaged program reports is the package's.
    EXPECT_EQ(output(quoted(work_ / "x/usr/bin/tonewarp-cli") + " --version"),
              std::string("Tonewarp Version ") + TW_PROJECT_VERSION + "\n");
}

TEST_F(debian_package, DependsOnThePackagesOfTheLibrariesTheProgramsLink) {
    const std::string depends = field("Depends");
    // Found by dpkg-shlibdeps in the binaries, not written by hand (names as
    // prefixes: Ubuntu's carry a t64 suffix).
    for (const char* p : {"libc6 (", "libstdc++6", "libsndfile1"})
        EXPECT_NE(depends.find(p), std::string::npos) << p << " in " << depends;
    if (TW_HAVE_GUI) {
        for (const char* p : {"libqt6widgets6", "libqt6printsupport6", "libsdl2-2.0-0"})
            EXPECT_NE(depends.find(p), std::string::npos) << p << " in " << depends;
        EXPECT_EQ(field("Recommends"), "fonts-ipafont-gothic");
    }
    // Every package it names is one this machine has: the one that built the programs.
    std::istringstream in(depends);
    for (std::string dep; std::getline(in, dep, ',');) {
        dep = dep.substr(dep.find_first_not_of(' '));
        const std::string name = dep.substr(0, dep.find_first_of(" :|"));
        EXPECT_EQ(shell("dpkg-query -W '" + name + "' >/dev/null 2>&1"), 0) << name;
    }
}

TEST_F(debian_package, HasAShortAndALongDescription) {
    std::istringstream in(field("Description"));
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    ASSERT_GE(lines.size(), 4u) << field("Description");
    EXPECT_LE(lines[0].size(), 80u);
    EXPECT_EQ(lines[0].find("tonewarp"), std::string::npos) << "the summary repeats the package name";
    for (std::size_t i = 1; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].rfind(" ", 0), 0u) << lines[i];
        EXPECT_LE(lines[i].size(), 80u) << lines[i];
    }
    EXPECT_EQ(field("Section"), "sound");
    EXPECT_EQ(field("Maintainer").find('<') != std::string::npos, true) << field("Maintainer");
}

TEST_F(debian_package, HoldsExactlyTheFilesOfCmakeInstallUnderUsr) {
    ASSERT_EQ(install_status_, 0) << read_file_bytes(work_ / "install.log");
    ASSERT_GE(installed_.size(), 4u);
    std::set<std::string> packed;
    for (const deb_entry& e : entries()) {
        EXPECT_EQ(e.owner, "root/root") << e.path;
        EXPECT_TRUE(e.path == "/" || e.path == "/usr" || e.path.rfind("/usr/", 0) == 0) << e.path;
        if (e.mode[0] == 'd') {
            EXPECT_EQ(e.mode, "drwxr-xr-x") << e.path;
            continue;
        }
        packed.insert(e.path);
        const bool program = e.path.rfind("/usr/bin/", 0) == 0;
        EXPECT_EQ(e.mode, program ? "-rwxr-xr-x" : "-rw-r--r--") << e.path;
    }
    EXPECT_EQ(packed, installed_);
    for (const char* f : {"/usr/bin/tonewarp-cli", "/usr/share/man/man1/tonewarp-cli.1.gz",
                          "/usr/share/doc/tonewarp/copyright", "/usr/share/doc/tonewarp/changelog.gz",
                          "/usr/share/doc/tonewarp/README.md"})
        EXPECT_TRUE(packed.count(f)) << f;
    if (TW_HAVE_GUI) {
        for (const char* f : {"/usr/bin/tonewarp", "/usr/share/man/man1/tonewarp.1.gz",
                              "/usr/share/applications/org.tonewarp.extractor.desktop"})
            EXPECT_TRUE(packed.count(f)) << f;
    }
}

TEST_F(debian_package, StartsItsChangelogWithThisVersion) {
    // A new version needs its entry in packaging/changelog.
    const std::string top =
        output("gzip -dc " + quoted(work_ / "x/usr/share/doc/tonewarp/changelog.gz") + " | head -n 1");
    EXPECT_EQ(top.rfind(std::string("tonewarp (") + TW_PROJECT_VERSION + ") ", 0), 0u) << top;
}

TEST_F(debian_package, PassesLintianWithoutErrorsOrWarnings) {
    // A warning is fixed, or kept with its reason in a lintian override shipped
    // as /usr/share/lintian/overrides/tonewarp; informational tags are shown only.
    const std::string report =
        output("lintian --fail-on error,warning --display-info --tag-display-limit 0 " + quoted(deb_) +
               "; echo \"lintian status $?\"");
    std::cout << report;
    EXPECT_NE(report.find("lintian status 0\n"), std::string::npos) << report;
    std::istringstream in(report);
    for (std::string line; std::getline(in, line);) {
        EXPECT_NE(line.rfind("E: ", 0), 0u) << line;
        EXPECT_NE(line.rfind("W: ", 0), 0u) << line;
    }
}

}  // namespace
