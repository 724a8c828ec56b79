#include "cli/ordered_saves.h"

#include <cerrno>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "cli/cli_common.h"
#include "document/file_stream.h"

namespace {

constexpr std::size_t scratch_bytes = 1 << 20;

// The files of an extraction are results that a run makes again: each is
// whole under its name, but the system writes it to disk in its own time.
constexpr bool wait_for_disk = false;

class ordered_saves {
   public:
    explicit ordered_saves(const std::vector<file_save>& saves) : saves_(saves) {}

    // Takes the next file until none is left or one failed.
    void work() {
        const auto scratch = std::make_unique_for_overwrite<unsigned char[]>(scratch_bytes);
        for (;;) {
            std::size_t k = 0;
            {
                const std::lock_guard lock(m_);
                if (stop_ || next_take_ >= saves_.size()) return;
                k = next_take_++;
            }
            const file_save& s = saves_[k];
            file_replace_ostream out;
            int e = out.open(cli_path(s.path.string()));
            out.leave_zero_blocks_as_holes();
            if (e == 0 && s.write(out, {scratch.get(), scratch_bytes}) != 0) e = out.error() != 0 ? out.error() : EIO;

            // Its turn to be renamed into place; out is discarded when the list ended before it.
            std::unique_lock lock(m_);
            turn_.wait(lock, [&] { return stop_ || next_commit_ == k; });
            if (stop_) return;
            if (e == 0) e = out.commit(wait_for_disk);
            if (e != 0) {
                cli_print_file_error(s.path.string(), e);
                status_ = cli_exit_io;
                stop_ = true;
            } else {
                ++next_commit_;
            }
            turn_.notify_all();
        }
    }

    int status() const { return status_; }

   private:
    const std::vector<file_save>& saves_;
    std::mutex m_;
    std::condition_variable turn_;
    std::size_t next_take_ = 0;
    std::size_t next_commit_ = 0;
    bool stop_ = false;
    int status_ = cli_exit_ok;
};

}  // namespace

int save_in_order(const std::vector<file_save>& saves, int threads) {
    ordered_saves run(saves);
    std::thread helper;
    if (threads >= 2 && saves.size() >= 2) {
        try {
            helper = std::thread([&run] { run.work(); });
        } catch (const std::system_error&) {
            // this thread alone
        }
    }
    run.work();
    if (helper.joinable()) helper.join();
    return run.status();
}
