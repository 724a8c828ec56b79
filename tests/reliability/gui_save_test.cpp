// Save from the application's menu where the file system refuses the bytes:
// the user gets the save-failure message naming the file and the system's
// reason, the file on disk stays as it was, and the document keeps its name.

#include <gtest/gtest.h>
#include <unistd.h>

#include <QDir>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <filesystem>

#include "app/gui/command_ids.h"
#include "app/gui/main_frame.h"
#include "document/tonewarp_doc.h"
#include "tests/gui/gui_test_support.h"
#include "tests/support/small_fs.h"

namespace {

namespace fs = std::filesystem;

std::string ramp(int frames) {
    std::vector<std::pair<short, short>> f;
    for (int i = 0; i < frames; ++i) f.emplace_back(static_cast<short>(i * 3), static_cast<short>(-i));
    return wave_bytes(f);
}

QString save_failed_text(const QString& path, int err) {
    return QString::fromUtf8("ファイルに保存できません!!　　\n%1\n(%2)")
        .arg(QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()),
             QString::fromLocal8Bit(std::strerror(err)));
}

class gui_save : public gui_test {
   protected:
    // Opens vol/song.wav through File Open and changes the working copy, so
    // that a save that went through would be seen.
    doc_entry* open_song(CTonewarpApp& app) {
        files_.answers = {"vol/song.wav"};
        app.main_frame()->dispatch(cmd::ID_FILE_OPEN);
        if (app.doc_template().documents().size() != 1) return nullptr;
        doc_entry* d = app.doc_template().documents()[0].get();
        d->doc().mdfy_dt[0] ^= 0x55;
        return d;
    }

    small_fs vol{"vol", 256 * 1024};
    const std::string song = ramp(20000);  // 80 KB of samples
};

TEST_F(gui_save, SaveOntoAFullDiskTellsTheUserAndKeepsTheFile) {
    write_file_bytes("vol/song.wav", song);
    auto app = start_app();
    doc_entry* d = open_song(*app);
    ASSERT_NE(d, nullptr);
    int err = ENOSPC;
    if (vol.mounted()) {
        ASSERT_TRUE(vol.fill());
        app->main_frame()->dispatch(cmd::ID_FILE_SAVE);
    } else {
        err = EFBIG;
        file_size_limit limit(4096);
        app->main_frame()->dispatch(cmd::ID_FILE_SAVE);
    }
    ASSERT_EQ(messages_.shown.size(), 1u) << vol.why_not();
    EXPECT_EQ(messages_.shown[0].caption, QString::fromUtf8("確認"));
    EXPECT_EQ(messages_.shown[0].owner, app->main_frame());
    EXPECT_EQ(messages_.shown[0].text, save_failed_text("vol/song.wav", err));
    EXPECT_EQ(read_file_bytes("vol/song.wav"), song);
    EXPECT_EQ(d->title(), QString("song.wav"));

    // Once there is room the same command saves.
    vol.unfill();
    app->main_frame()->dispatch(cmd::ID_FILE_SAVE);
    EXPECT_EQ(messages_.shown.size(), 1u);
    EXPECT_NE(read_file_bytes("vol/song.wav"), song);
}

TEST_F(gui_save, SaveIntoAReadOnlyDirectoryTellsTheUserAndKeepsTheFile) {
    write_file_bytes("vol/song.wav", song);
    auto app = start_app();
    doc_entry* d = open_song(*app);
    ASSERT_NE(d, nullptr);
    int err = EROFS;
    if (vol.mounted()) {
        ASSERT_TRUE(vol.make_read_only()) << vol.why_not();
    } else if (geteuid() != 0) {
        fs::permissions("vol", fs::perms::owner_read | fs::perms::owner_exec);
        err = EACCES;
    } else {
        GTEST_SKIP() << "as root without the privilege to mount no directory is read-only (" << vol.why_not()
                     << ")";
    }
    app->main_frame()->dispatch(cmd::ID_FILE_SAVE);
    std::error_code ec;
    fs::permissions("vol", fs::perms::owner_all, ec);
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].text, save_failed_text("vol/song.wav", err));
    EXPECT_EQ(read_file_bytes("vol/song.wav"), song);
}

}  // namespace
