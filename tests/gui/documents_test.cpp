#include <gtest/gtest.h>

#include <QAction>
#include <QFileInfo>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QPrinter>
#include <QSettings>
#include <cstring>

#include "app/gui/child_frame.h"
#include "app/gui/command_ids.h"
#include "app/gui/print_view.h"
#include "document/tonewarp_doc.h"
#include "tests/gui/gui_test_support.h"

namespace {

using namespace cmd;

QString abs_path(const char* name) { return QFileInfo(QString::fromUtf8(name)).absoluteFilePath(); }

std::string ramp_wave(int n) {
    std::vector<std::pair<short, short>> f;
    for (int i = 0; i < n; ++i)
        f.emplace_back(static_cast<short>(i * 7 - 300), static_cast<short>(-i * 5 + 11));
    return wave_bytes(f);
}

// The recent-file entries the shown file menu lists.
QStringList recent_entries(CMainFrame* frame) {
    QStringList shown;
    for (QAction* a : frame->menuBar()->actions().first()->menu()->actions()) {
        const int id = a->data().toInt();
        if (a->isVisible() && id >= ID_FILE_MRU_FILE1 && id < ID_FILE_MRU_FILE1 + 4 &&
            a->text().startsWith('&')) {
            shown.append(a->text());
        }
    }
    return shown;
}

using documents = gui_test;

TEST_F(documents, FileNewMakesNumberedDocumentsOf512SilentFrames) {
    auto app = start_app();
    app->main_frame()->dispatch(ID_FILE_NEW);
    app->main_frame()->dispatch(ID_FILE_NEW);
    const auto& docs = app->doc_template().documents();
    ASSERT_EQ(docs.size(), 2u);
    EXPECT_EQ(docs[0]->title() + " " + docs[1]->title(), QString("ToneWp1 ToneWp2"));
    const std::string zeros(2048, '\0');
    for (const auto& d : docs) {
        const CTonewarpDoc& doc = d->doc();
        EXPECT_TRUE(d->path().isEmpty());
        EXPECT_EQ(doc.frame_count(), 512);
        ASSERT_TRUE(doc.orgn_dt != nullptr && doc.mdfy_dt != nullptr);
        EXPECT_EQ(std::memcmp(doc.orgn_dt, zeros.data(), 2048), 0);
        EXPECT_EQ(std::memcmp(doc.mdfy_dt, zeros.data(), 2048), 0);
    }
}

TEST_F(documents, OpenSaveAsAndSaveThroughTheMenuCommandsKeepEverySample) {
    const std::string original = ramp_wave(300);
    write_file_bytes("song.wav", original);
    auto app = start_app();
    CMainFrame* frame = app->main_frame();

    files_.answers = {"song.wav"};
    frame->dispatch(ID_FILE_OPEN);
    ASSERT_EQ(app->doc_template().documents().size(), 1u);
    doc_entry* d = app->doc_template().documents()[0].get();
    EXPECT_EQ(d->path(), abs_path("song.wav"));
    EXPECT_EQ(d->doc().frame_count(), 300);
    EXPECT_EQ(frame->windowTitle(), QString("Tone_Warp Extractor - song.wav"));

    // Save As without an extension gets ".wav"; the document takes the new name.
    files_.answers = {"copy"};
    frame->dispatch(ID_FILE_SAVE_AS);
    EXPECT_EQ(files_.suggestions.last(), abs_path("song.wav"));
    EXPECT_EQ(read_file_bytes("copy.wav"), original);
    EXPECT_EQ(d->frames().first()->windowTitle(), QString("copy.wav"));
    EXPECT_EQ(frame->windowTitle(), QString("Tone_Warp Extractor - copy.wav"));

    // Save writes the document's own file again without asking.
    d->doc().mdfy_dt[0] = 0x55;
    frame->dispatch(ID_FILE_SAVE);
    EXPECT_EQ(files_.suggestions.size(), 1);
    const std::string saved = read_file_bytes("copy.wav");
    ASSERT_EQ(saved.size(), original.size());
    EXPECT_EQ(static_cast<unsigned char>(saved[44]), 0x55);
    EXPECT_EQ(read_file_bytes("song.wav"), original);
    EXPECT_TRUE(messages_.shown.empty());
}

TEST_F(documents, SavingANewDocumentAsksForANameAndACancelWritesNothing) {
    auto app = start_app();
    doc_entry* d = app->doc_template().file_new();
    app->main_frame()->dispatch(ID_FILE_SAVE);
    EXPECT_EQ(files_.suggestions, QStringList({"ToneWp1"}));
    EXPECT_EQ(d->title(), QString("ToneWp1"));

    files_.answers = {"silence.wav"};
    app->main_frame()->dispatch(ID_FILE_SAVE);
    const std::string file = read_file_bytes("silence.wav");  // 46 header bytes: 18-byte format chunk
    ASSERT_EQ(file.size(), 46u + 2048u);
    EXPECT_EQ(file.substr(46), std::string(2048, '\0'));
    EXPECT_EQ(d->title(), QString("silence.wav"));
}

TEST_F(documents, FilesThatCannotBeOpenedOrWrittenAreReportedByNameAndReason) {
    write_file_bytes("song.wav", ramp_wave(10));
    auto app = start_app();
    CMainFrame* frame = app->main_frame();
    files_.answers = {"missing.wav"};
    frame->dispatch(ID_FILE_OPEN);
    EXPECT_TRUE(app->doc_template().documents().empty());
    EXPECT_TRUE(app->doc_template().recent_files().paths().isEmpty());
    ASSERT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(messages_.shown[0].caption, QString::fromUtf8("確認"));
    EXPECT_EQ(messages_.shown[0].owner, frame);
    EXPECT_EQ(messages_.shown[0].text, QString::fromUtf8("ファイルを開けません!!　　\nmissing.wav\n(%1)")
                                           .arg(QString::fromLocal8Bit(std::strerror(ENOENT))));

    doc_entry* d = app->doc_template().open_document_file("song.wav");
    files_.answers = {"no_such_dir/out.wav"};
    frame->dispatch(ID_FILE_SAVE_AS);
    ASSERT_EQ(messages_.shown.size(), 2u);
    EXPECT_TRUE(
        messages_.texts()[1].startsWith(QString::fromUtf8("ファイルに保存できません!!　　\nno_such_dir")));
    EXPECT_EQ(d->title(), QString("song.wav"));
}

TEST_F(documents, ARejectedFileOpensWithoutAPathAndAnOpenFileIsOnlyBroughtForward) {
    std::string eight_bit = ramp_wave(4);
    eight_bit[34] = 8;  // bits per sample
    write_file_bytes("bad.wav", eight_bit);
    write_file_bytes("good.wav", ramp_wave(20));
    auto app = start_app();
    doc_entry* bad = app->doc_template().open_document_file("bad.wav");
    ASSERT_NE(bad, nullptr);
    EXPECT_TRUE(bad->doc().is_bad_file());
    EXPECT_TRUE(messages_.shown.empty()) << "the view tells the user, not the shell";

    EXPECT_TRUE(bad->path().isEmpty()) << "Save must ask for a name";

    doc_entry* good = app->doc_template().open_document_file("good.wav");
    app->doc_template().open_document_file("bad.wav");
    EXPECT_EQ(app->doc_template().open_document_file("./good.wav"), good);
    EXPECT_EQ(app->doc_template().documents().size(), 3u) << "a rejected file opens anew";
    EXPECT_EQ(app->main_frame()->active_child(), good->frames().first());
}

TEST_F(documents, CloseClosesEveryWindowOfTheActiveDocumentOnly) {
    auto app = start_app();
    CMainFrame* frame = app->main_frame();
    doc_entry* first = app->doc_template().file_new();
    frame->dispatch(ID_WINDOW_NEW);
    doc_entry* second = app->doc_template().file_new();
    frame->mdi_area()->setActiveSubWindow(first->frames().first());
    frame->dispatch(ID_FILE_CLOSE);
    process_events();
    ASSERT_EQ(app->doc_template().documents().size(), 1u);
    EXPECT_EQ(app->doc_template().documents()[0].get(), second);
    EXPECT_EQ(frame->mdi_area()->subWindowList().size(), 1);
}

TEST_F(documents, TheRecentFileListKeepsFourFilesNewestFirstAcrossStarts) {
    for (const char* n : {"1.wav", "2.wav", "3.wav", "4.wav", "5.wav"}) write_file_bytes(n, ramp_wave(4));
    const QStringList newest_first = {"&1 3.wav", "&2 5.wav", "&3 4.wav", "&4 2.wav"};
    {
        auto app = start_app();
        EXPECT_TRUE(recent_entries(app->main_frame()).isEmpty());
        for (const char* n : {"1.wav", "2.wav", "3.wav", "4.wav", "5.wav", "3.wav"}) {
            ASSERT_NE(app->doc_template().open_document_file(n), nullptr) << n;
        }
        EXPECT_EQ(recent_entries(app->main_frame()), newest_first);
    }
    QSettings profile("Local AppWizard-Generated Applications", "Tonewarp");
    EXPECT_EQ(profile.value("Recent File List/File1").toString(), abs_path("3.wav"));
    EXPECT_EQ(profile.value("Recent File List/File4").toString(), abs_path("2.wav"));

    auto app = start_app();
    CMainFrame* frame = app->main_frame();
    EXPECT_EQ(recent_entries(frame), newest_first);
    frame->dispatch(ID_FILE_MRU_FILE1 + 2);
    ASSERT_EQ(app->doc_template().documents().size(), 1u);
    EXPECT_EQ(app->doc_template().documents()[0]->title(), QString("4.wav"));
    EXPECT_EQ(recent_entries(frame).first(), QString("&1 4.wav"));

    // A file that has gone is reported and drops out of the list.
    std::filesystem::remove("5.wav");
    frame->dispatch(ID_FILE_MRU_FILE1 + 2);
    EXPECT_EQ(messages_.shown.size(), 1u);
    EXPECT_EQ(recent_entries(frame), QStringList({"&1 4.wav", "&2 3.wav", "&3 2.wav"}));
}

TEST_F(documents, PrintingDrawsTheActiveViewOntoAPage) {
    auto app = start_app();
    doc_entry* d = app->doc_template().file_new();
    QPrinter printer;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName("page.pdf");
    ASSERT_TRUE(print_view(d->frames().first()->view(), printer, d->title()));
    EXPECT_EQ(read_file_bytes("page.pdf").substr(0, 5), "%PDF-");
    EXPECT_FALSE(print_view(nullptr, printer, d->title()));
}

}  // namespace
