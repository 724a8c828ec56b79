#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "app/err_log.h"
#include "app/sys_param.h"
#include "tests/support/ordinary_user.h"
#include "tests/support/test_dir.h"

namespace {

// Builds a settings file byte by byte, independently of sys_param_t.
struct settings_bytes {
    std::string b = std::string(240, '\0');
    void i32(std::size_t off, std::int32_t v) {
        for (int k = 0; k < 4; ++k) b[off + k] = static_cast<char>((static_cast<std::uint32_t>(v) >> (8 * k)) & 0xFF);
    }
    void f64(std::size_t off, double v) {
        std::uint64_t u;
        std::memcpy(&u, &v, 8);
        for (int k = 0; k < 8; ++k) b[off + k] = static_cast<char>((u >> (8 * k)) & 0xFF);
    }
    void text(std::size_t off, const std::string& s) { b.replace(off, s.size(), s); }
    void font(const std::string& s) {
        b.replace(160, 80, std::string(80, '\0'));
        text(160, s);
    }
    // A file in which every field holds a valid non-default value.
    static settings_bytes valid() {
        settings_bytes s;
        s.i32(4, 20);
        s.i32(8, 30);
        s.i32(12, 1200);
        s.i32(16, 800);
        s.i32(36, 16);
        s.f64(40, 6000.0);
        s.f64(48, 4000.0);
        s.f64(56, 200000.0);
        s.f64(64, 500.0);
        s.f64(72, 400.0);
        s.f64(80, -1.5);
        s.i32(156, 14);
        s.text(160, "IPAGothic");
        return s;
    }
};

using settings = in_test_dir;

TEST_F(settings, AMissingFileIsCreatedWithTheDefaults) {
    load_sys_param();
    const std::string file = read_file_bytes(sys_param_file_name);
    ASSERT_EQ(file.size(), 240u);
    settings_bytes d;
    d.i32(4, 10);
    d.i32(8, 10);
    d.i32(12, 1000);
    d.i32(16, 740);
    d.i32(36, 8);
    d.f64(40, 5000.0);
    d.f64(48, 3000.0);
    d.f64(56, 355632.475);
    d.f64(64, 123.5);
    d.f64(72, 300.0);
    d.f64(80, 32.375);
    d.i32(156, 12);
    d.text(160, "\x82\x6c\x82\x72\x20\x83\x53\x83\x56\x83\x62\x83\x4e");
    EXPECT_EQ(file, d.b);
}

TEST_F(settings, AValidFileIsTakenFieldByFieldAndReservedBytesSurvive) {
    settings_bytes s = settings_bytes::valid();
    s.b[0] = 'R';
    s.b[25] = 'E';
    s.b[100] = 'S';
    s.b[130] = 'V';
    write_file_bytes(sys_param_file_name, s.b);
    load_sys_param();
    EXPECT_EQ(sys_param.main_win_x, 20);
    EXPECT_EQ(sys_param.main_win_y, 30);
    EXPECT_EQ(sys_param.main_win_w, 1200);
    EXPECT_EQ(sys_param.main_win_h, 800);
    EXPECT_EQ(sys_param.part_max, 16);
    EXPECT_EQ(sys_param.min_vol_prm, 6000.0);
    EXPECT_EQ(sys_param.sim_snd_prm, 4000.0);
    EXPECT_EQ(sys_param.set_prm1, 200000.0);
    EXPECT_EQ(sys_param.set_prm2, 500.0);
    EXPECT_EQ(sys_param.set_prm3, 400.0);
    EXPECT_EQ(sys_param.set_prm4, -1.5);
    EXPECT_EQ(sys_param.font_size, 14);
    EXPECT_STREQ(sys_param.font_name, "IPAGothic");
    EXPECT_EQ(disp_font_size, 14);
    EXPECT_STREQ(disp_font_name, "IPAGothic");
    save_sys_param();
    EXPECT_EQ(read_file_bytes(sys_param_file_name), s.b) << "saving writes back what was read";
}

TEST_F(settings, SetPrm3IsTestedAgainstTheAlreadyTestedSetPrm2) {
    settings_bytes s = settings_bytes::valid();
    s.f64(64, 5.0);    // set_prm2 out of range: becomes 123.5
    s.f64(72, 200.0);  // valid against the stored 5.0? no: against 123.5, so replaced
    write_file_bytes(sys_param_file_name, s.b);
    load_sys_param();
    EXPECT_EQ(sys_param.set_prm2, 123.5);
    EXPECT_EQ(sys_param.set_prm3, 300.0);
}

TEST_F(settings, TheDefaultSetPrm3FailsAgainstTheDefaultSetPrm2ButIsKept) {
    settings_bytes s = settings_bytes::valid();
    s.f64(64, 123.5);
    s.f64(72, 100.0);
    write_file_bytes(sys_param_file_name, s.b);
    load_sys_param();
    EXPECT_EQ(sys_param.set_prm3, 100.0) << "a value between 0 and set_prm2 is kept";
    s.f64(72, 123.6);
    write_file_bytes(sys_param_file_name, s.b);
    load_sys_param();
    EXPECT_EQ(sys_param.set_prm3, 300.0);
}

TEST_F(settings, OutOfRangeAndNanFieldsFallBackOneByOne) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    settings_bytes s = settings_bytes::valid();
    s.i32(4, -32000);  // a window closed while minimised
    s.i32(8, 4000);
    s.i32(12, 99);
    s.i32(36, 257);
    s.f64(40, nan);
    s.f64(48, 499.999);
    s.f64(56, nan);
    s.f64(64, nan);
    s.f64(72, nan);
    s.f64(80, nan);  // set_prm4 is never tested
    s.i32(156, 7);
    write_file_bytes(sys_param_file_name, s.b);
    load_sys_param();
    EXPECT_EQ(sys_param.main_win_x, 10);
    EXPECT_EQ(sys_param.main_win_y, 10);
    EXPECT_EQ(sys_param.main_win_w, 1000);
    EXPECT_EQ(sys_param.main_win_h, 800) << "the valid neighbour is kept";
    EXPECT_EQ(sys_param.part_max, 8);
    EXPECT_EQ(sys_param.min_vol_prm, 5000.0);
    EXPECT_EQ(sys_param.sim_snd_prm, 3000.0);
    EXPECT_EQ(sys_param.set_prm1, 355632.475);
    EXPECT_EQ(sys_param.set_prm2, 123.5);
    EXPECT_EQ(sys_param.set_prm3, 300.0);
    EXPECT_TRUE(std::isnan(sys_param.set_prm4));
    EXPECT_EQ(sys_param.font_size, 12);
    EXPECT_STREQ(sys_param.font_name, "IPAGothic");
}

TEST_F(settings, FontNamesOutsideEightToSixtyBytesAreReplaced) {
    for (const std::size_t len : {7u, 61u, 80u}) {
        settings_bytes s = settings_bytes::valid();
        s.font(std::string(len, 'F'));  // 80 bytes: no NUL in the field at all
        write_file_bytes(sys_param_file_name, s.b);
        load_sys_param();
        EXPECT_STREQ(sys_param.font_name, default_font_name_cp932) << len;
        EXPECT_EQ(sys_param.font_name[13], '\0') << "the rest of the field is cleared";
        EXPECT_EQ(sys_param.font_name[79], '\0');
    }
    for (const std::size_t len : {8u, 60u}) {
        settings_bytes s = settings_bytes::valid();
        s.font(std::string(len, 'F'));
        write_file_bytes(sys_param_file_name, s.b);
        load_sys_param();
        EXPECT_EQ(std::string(sys_param.font_name), std::string(len, 'F'));
    }
}

TEST_F(settings, AHundredByteFileReplacesOnlyItsBytes) {
    settings_bytes s = settings_bytes::valid();
    write_file_bytes(sys_param_file_name, s.b.substr(0, 100));
    load_sys_param();
    EXPECT_EQ(sys_param.main_win_w, 1200);
    EXPECT_EQ(sys_param.set_prm4, -1.5);   // bytes 80..87, inside the file
    EXPECT_EQ(sys_param.font_size, 12);    // beyond byte 100: default
    EXPECT_STREQ(sys_param.font_name, default_font_name_cp932);
    EXPECT_EQ(read_file_bytes(sys_param_file_name).size(), 100u) << "not rewritten at start";
}

TEST_F(settings, AnEmptyFileIsReadButNotRewrittenUntilExit) {
    write_file_bytes(sys_param_file_name, "");
    load_sys_param();
    EXPECT_EQ(sys_param.main_win_w, 1000);
    EXPECT_EQ(read_file_bytes(sys_param_file_name).size(), 0u);
    save_sys_param();
    EXPECT_EQ(read_file_bytes(sys_param_file_name).size(), 240u);
}

TEST_F(settings, LoadingSwitchesTheLogOffAndDeletesTheOldLog) {
    log_on_flg = 1;
    put_err_log("old run");
    ASSERT_TRUE(std::filesystem::exists(err_log_file_name));
    load_sys_param();
    EXPECT_EQ(log_on_flg, 0);
    EXPECT_FALSE(std::filesystem::exists(err_log_file_name));
    EXPECT_EQ(shared_heap, get_process_heap());
}

// The main_win_x field of the settings file on disk.
std::int32_t saved_win_x(const std::filesystem::path& file) {
    const std::string b = read_file_bytes(file);
    if (b.size() < 8) return -1;
    std::uint32_t u = 0;
    for (int k = 0; k < 4; ++k) u |= static_cast<std::uint32_t>(static_cast<unsigned char>(b[4 + k])) << (8 * k);
    return static_cast<std::int32_t>(u);
}

// The names in a directory, sorted.
std::vector<std::string> names_in(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(settings, SavingReplacesTheFileAtomically) {
    load_sys_param();
    sys_param.main_win_x = 123;
    save_sys_param();
    EXPECT_EQ(read_file_bytes(sys_param_file_name).size(), 240u);
    EXPECT_FALSE(std::filesystem::exists(std::string(sys_param_file_name) + ".tmp"));
    load_sys_param();
    EXPECT_EQ(sys_param.main_win_x, 123);
}

TEST_F(settings, WithoutATemporaryFileTheSettingsAreWrittenInPlace) {
    load_sys_param();
    sys_param.main_win_x = 123;
    save_sys_param();
    // A directory in the way of the temporary file makes creating it fail,
    // for root as for anyone: the file is written in place instead.
    std::filesystem::create_directory(std::string(sys_param_file_name) + ".tmp");
    sys_param.main_win_x = 456;
    EXPECT_EQ(save_sys_param(), 0);
    EXPECT_EQ(read_file_bytes(sys_param_file_name).size(), 240u);
    EXPECT_EQ(saved_win_x(sys_param_file_name), 456);
    EXPECT_TRUE(std::filesystem::is_directory(std::string(sys_param_file_name) + ".tmp"));
}

// Makes a directory read-only for the life of the object.
struct read_only_dir {
    explicit read_only_dir(const std::filesystem::path& d) : dir(d) {
        std::filesystem::permissions(dir, std::filesystem::perms(0555));
    }
    ~read_only_dir() { std::filesystem::permissions(dir, std::filesystem::perms(0700)); }
    std::filesystem::path dir;
};

TEST_F(settings, AReadOnlyDirectoryStillGetsItsWritableSettingsFileSaved) {
    load_sys_param();
    std::filesystem::permissions(sys_param_file_name, std::filesystem::perms(0666));
    sys_param.main_win_x = 789;
    int r = 0;
    {
        const read_only_dir locked(dir_.path());
        r = as_ordinary_user([] { return save_sys_param(); });
    }
    if (r == -1) {
        GTEST_SKIP() << "root without the right to become another user: a read-only directory "
                        "does not stop root (WithoutATemporaryFileTheSettingsAreWrittenInPlace "
                        "covers the fallback)";
    }
    EXPECT_EQ(saved_win_x(sys_param_file_name), 789);
    EXPECT_EQ(names_in("."), std::vector<std::string>{sys_param_file_name});
}

TEST_F(settings, SavingThroughSymbolicLinksWritesTheFileTheyPointTo) {
    namespace fs = std::filesystem;
    fs::create_directories("conf/real");
    write_file_bytes("conf/real/settings.bin", settings_bytes::valid().b);
    // Tonewarp.Inf -> conf/hop -> real/settings.bin, the second link relative to conf/.
    fs::create_symlink("conf/hop", sys_param_file_name);
    fs::create_symlink("real/settings.bin", "conf/hop");
    load_sys_param();
    ASSERT_EQ(sys_param.main_win_x, 20);
    sys_param.main_win_x = 321;
    save_sys_param();
    EXPECT_TRUE(fs::is_symlink(sys_param_file_name));
    EXPECT_TRUE(fs::is_symlink("conf/hop"));
    EXPECT_EQ(saved_win_x("conf/real/settings.bin"), 321);
    EXPECT_EQ(names_in("."), (std::vector<std::string>{sys_param_file_name, "conf"}));
    EXPECT_EQ(names_in("conf/real"), std::vector<std::string>{"settings.bin"}) << "no temporary left";

    // A link to a file not there yet: the file is made where the link points.
    fs::remove("conf/real/settings.bin");
    save_sys_param();
    EXPECT_TRUE(fs::is_symlink(sys_param_file_name));
    EXPECT_EQ(saved_win_x("conf/real/settings.bin"), 321);
}

TEST_F(settings, SavingKeepsTheFilesPermissionBits) {
    namespace fs = std::filesystem;
    const mode_t old_mask = umask(022);
    load_sys_param();
    for (const fs::perms mode : {fs::perms(0600), fs::perms(0664)}) {
        fs::permissions(sys_param_file_name, mode);
        sys_param.main_win_x += 1;
        save_sys_param();
        EXPECT_EQ(saved_win_x(sys_param_file_name), sys_param.main_win_x);
        EXPECT_EQ(static_cast<unsigned>(fs::status(sys_param_file_name).permissions()), static_cast<unsigned>(mode));
    }
    umask(old_mask);
}

TEST_F(settings, AnUnreadableFileIsReplacedByDefaults) {
    std::filesystem::create_directory(sys_param_file_name);  // exists, cannot be read as a file
    EXPECT_EQ(load_sys_param(), 0);
    EXPECT_EQ(sys_param.main_win_w, 1000);
}

}  // namespace
