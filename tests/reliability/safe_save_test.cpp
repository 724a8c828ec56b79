// Saving a recording and the settings file where the file system refuses
// the bytes: full, or mounted read-only. The file being replaced must stay
// exactly as it was, no temporary file may be left, and the failure must
// come back as the system's error number for the message the user sees.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "app/sys_param.h"
#include "document/byte_stream.h"
#include "document/tonewarp_doc.h"
#include "document/wave_file_io.h"
#include "platform/heap.h"
#include "tests/support/ordinary_user.h"
#include "tests/support/small_fs.h"
#include "tests/support/test_dir.h"
#include "tests/support/wave_bytes.h"

namespace {

namespace fs = std::filesystem;

std::set<std::string> names_in(const fs::path& dir) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir)) names.insert(e.path().filename().string());
    return names;
}

// A document of `frames` frames read from memory, every frame in range.
std::unique_ptr<CTonewarpDoc> recording(int frames, std::uint32_t seed) {
    auto doc = std::make_unique<CTonewarpDoc>();
    const std::string file = stereo_wave(pattern_samples(2 * frames, seed));
    memory_istream in(file);
    doc->read_wave_file(in);
    doc->extr_stt_ptr = 0;
    doc->extr_dt_cnt = frames;
    return doc;
}

// Runs body with the current directory set to dir.
template <typename F>
void inside(const fs::path& dir, F body) {
    const fs::path old = fs::current_path();
    fs::current_path(dir);
    body();
    fs::current_path(old);
}

class safe_save : public in_test_dir {
   protected:
    safe_save() { shared_heap = get_process_heap(); }
    // Gives the directory its write permission back, where it was taken.
    static void writable_again(const fs::path& dir) {
        std::error_code ec;
        fs::permissions(dir, fs::perms::owner_all, ec);
    }

    // 256 KB: room for a small recording, not for a 200 000-byte one besides it.
    small_fs vol{"vol", 256 * 1024};
    const std::string old_song = stereo_wave(pattern_samples(2 * 2000, 7));
};

TEST_F(safe_save, ARecordingSavedOntoAFullFileSystemLeavesTheOldFileAsItWas) {
    const auto doc = recording(50000, 11);
    if (vol.mounted()) {
        write_file_bytes("vol/song.wav", old_song);
        ASSERT_TRUE(vol.fill());
        EXPECT_EQ(save_wave_file(*doc, "vol/song.wav"), ENOSPC);
        EXPECT_EQ(read_file_bytes("vol/song.wav"), old_song);
        EXPECT_EQ(names_in("vol"), (std::set<std::string>{"filler", "song.wav"}));
        // Save As under a new name on the full disk leaves no part of a file either.
        EXPECT_EQ(save_wave_file(*doc, "vol/copy.wav"), ENOSPC);
        EXPECT_EQ(names_in("vol"), (std::set<std::string>{"filler", "song.wav"}));
        // With the space back the same save goes through.
        vol.unfill();
        EXPECT_EQ(save_wave_file(*doc, "vol/song.wav"), 0);
        EXPECT_EQ(read_file_bytes("vol/song.wav").size(), 44u + 200000u);
    } else {
        // Without the privilege to mount: a file-size limit refuses the bytes instead.
        write_file_bytes("song.wav", old_song);
        int err = 0;
        {
            file_size_limit limit(64 * 1024);
            err = save_wave_file(*doc, "song.wav");
        }
        EXPECT_EQ(err, EFBIG) << vol.why_not();
        EXPECT_EQ(read_file_bytes("song.wav"), old_song);
        EXPECT_EQ(names_in("."), (std::set<std::string>{"song.wav", "vol"}));
    }
}

TEST_F(safe_save, ARecordingSavedIntoAReadOnlyDirectoryLeavesTheOldFileAsItWas) {
    const auto doc = recording(1000, 3);
    int expected = EROFS;
    if (vol.mounted()) {
        write_file_bytes("vol/song.wav", old_song);
        ASSERT_TRUE(vol.make_read_only()) << vol.why_not();
    } else if (geteuid() != 0) {
        write_file_bytes("vol/song.wav", old_song);
        fs::permissions("vol", fs::perms::owner_read | fs::perms::owner_exec);
        expected = EACCES;
    } else {
        GTEST_SKIP() << "as root without the privilege to mount no directory is read-only (" << vol.why_not()
                     << ")";
    }
    EXPECT_EQ(save_wave_file(*doc, "vol/song.wav"), expected);
    EXPECT_EQ(read_file_bytes("vol/song.wav"), old_song);
    EXPECT_EQ(names_in("vol"), std::set<std::string>{"song.wav"});
    writable_again("vol");
}

TEST_F(safe_save, SavingOverAWriteProtectedFileIsRefusedAndLeavesItAsItWas) {
    // The directory may be written; the file itself is read-only (r--r--r--).
    fs::create_directories("ro");
    write_file_bytes("ro/song.wav", old_song);
    if (geteuid() == 0) {
        ASSERT_EQ(chown("ro", 65534, 65534), 0);
        ASSERT_EQ(chown("ro/song.wav", 65534, 65534), 0);
        fs::permissions(".", fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    }
    fs::permissions("ro/song.wav", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const int err = as_ordinary_user([] {
        const auto doc = recording(1000, 5);
        return save_wave_file(*doc, "ro/song.wav");
    });
    EXPECT_EQ(err, EACCES);
    EXPECT_TRUE(read_file_bytes("ro/song.wav") == old_song);
    EXPECT_EQ(names_in("ro"), std::set<std::string>{"song.wav"});
}

TEST_F(safe_save, AWriteProtectedSettingsFileIsNotReplacedAtExit) {
    fs::create_directories("ro");
    sys_param_t p;
    set_default_sys_param(p);
    p.main_win_x = 222;
    const std::string old(reinterpret_cast<const char*>(&p), sizeof p);
    write_file_bytes("ro/Tonewarp.Inf", old);
    if (geteuid() == 0) {
        ASSERT_EQ(chown("ro", 65534, 65534), 0);
        ASSERT_EQ(chown("ro/Tonewarp.Inf", 65534, 65534), 0);
        fs::permissions(".", fs::perms::owner_all | fs::perms::group_exec | fs::perms::others_exec);
    }
    fs::permissions("ro/Tonewarp.Inf",
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const int r = as_ordinary_user([] {
        if (chdir("ro") != 0) return 1;
        load_sys_param();
        sys_param.main_win_x = 444;
        save_sys_param();
        return chdir("..") == 0 ? 0 : 1;
    });
    set_default_sys_param(sys_param);
    EXPECT_EQ(r, 0);
    EXPECT_TRUE(read_file_bytes("ro/Tonewarp.Inf") == old);
    EXPECT_EQ(names_in("ro"), std::set<std::string>{"Tonewarp.Inf"});
}

// The settings file of the working directory, saved at exit with a changed block.
class safe_settings : public safe_save {
   protected:
    void SetUp() override {
        sys_param_t p;
        set_default_sys_param(p);
        p.main_win_x = 321;
        p.part_max = 12;
        old_settings.assign(reinterpret_cast<const char*>(&p), sizeof p);
    }
    void TearDown() override { set_default_sys_param(sys_param); }

    // Loads the old file in dir, changes the block and saves it at "exit".
    void save_changed_settings(const fs::path& dir) {
        inside(dir, [] {
            load_sys_param();
            sys_param.main_win_x = 999;
            sys_param.part_max = 3;
        });
        prepare_failure();
        inside(dir, [] { save_sys_param(); });
    }
    virtual void prepare_failure() {}

    std::string old_settings;
};

class settings_on_full_disk : public safe_settings {
    void prepare_failure() override {
        if (vol.mounted()) {
            ASSERT_TRUE(vol.fill());
        }
    }
};

TEST_F(settings_on_full_disk, SavingTheSettingsOntoAFullFileSystemKeepsTheOldFile) {
    const fs::path dir = vol.mounted() ? fs::path("vol") : fs::path("plain");
    fs::create_directories(dir);
    write_file_bytes(dir / "Tonewarp.Inf", old_settings);
    if (vol.mounted()) {
        save_changed_settings(dir);
    } else {
        file_size_limit limit(100);
        save_changed_settings(dir);
    }
    EXPECT_EQ(read_file_bytes(dir / "Tonewarp.Inf"), old_settings);
    EXPECT_FALSE(fs::exists(dir / "Tonewarp.Inf.tmp"));
    EXPECT_EQ(sys_param.main_win_x, 999) << "the program runs on with the values it has";
}

class settings_in_read_only_dir : public safe_settings {
    void prepare_failure() override {
        if (vol.mounted()) {
            ASSERT_TRUE(vol.make_read_only()) << vol.why_not();
        } else {
            fs::permissions("vol", fs::perms::owner_read | fs::perms::owner_exec);
        }
    }
};

TEST_F(settings_in_read_only_dir, SavingTheSettingsIntoAReadOnlyPlaceLeavesNoTemporaryAndNoHalfFile) {
    if (!vol.mounted() && geteuid() == 0) {
        GTEST_SKIP() << "as root without the privilege to mount no directory is read-only (" << vol.why_not()
                     << ")";
    }
    write_file_bytes("vol/Tonewarp.Inf", old_settings);
    save_changed_settings("vol");
    writable_again("vol");
    const std::string now = read_file_bytes("vol/Tonewarp.Inf");
    if (vol.mounted()) {
        // A read-only file system: the file cannot be written either.
        EXPECT_EQ(now, old_settings);
    } else {
        // Only the directory is read-only: the writable file is written in place.
        ASSERT_EQ(now.size(), sizeof(sys_param_t));
        sys_param_t p;
        std::memcpy(&p, now.data(), sizeof p);
        EXPECT_EQ(p.main_win_x, 999);
        EXPECT_EQ(p.part_max, 3);
    }
    EXPECT_EQ(names_in("vol"), std::set<std::string>{"Tonewarp.Inf"});
}

}  // namespace
