#include "cli/cli_extract_opts.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <span>
#include <thread>

#include "app/param_rules.h"
#include "app/sys_param.h"

namespace {

bool parse_frame(const std::string& text, long long& v) {
    if (text.empty()) return false;
    errno = 0;
    char* end = nullptr;
    v = std::strtoll(text.c_str(), &end, 10);
    return errno == 0 && end != nullptr && *end == '\0';
}

// A count option's value: a whole number of at least min.
bool parse_count(const std::string& text, long long min, long long& v) {
    return parse_frame(text, v) && v >= min;
}

}  // namespace

std::string parse_extract_opts(const cli_args& args, extract_opts& o) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::string name = a;
        std::optional<std::string> value;
        if (a.rfind("--", 0) == 0) {
            if (const auto eq = a.find('='); eq != std::string::npos) {
                name = a.substr(0, eq);
                value = a.substr(eq + 1);
            }
        } else {
            o.files.push_back(a);
            continue;
        }
        if (name == "--log") {
            if (value) return "--log takes no value";
            o.log = true;
            continue;
        }
        const bool known = name == "--start" || name == "--end" || name == "--out" || name == "--part-max" ||
                           name == "--min-vol" || name == "--sim-snd" || name == "--threads" ||
                           name == "--jobs";
        if (!known) return "unknown option '" + name + "'";
        if (!value) {
            if (i + 1 >= args.size()) return name + " needs a value";
            value = args[++i];
        }
        if (name == "--start" || name == "--end") {
            long long v = 0;
            if (!parse_frame(*value, v)) return name + " needs a frame index, not '" + *value + "'";
            (name == "--start" ? o.start : o.end) = v;
        } else if (name == "--threads" || name == "--jobs") {
            const bool threads = name == "--threads";
            long long v = 0;
            if (!parse_count(*value, threads ? 1 : 0, v))
                return name + " needs a whole number of at least " + (threads ? "1" : "0") + ", not '" + *value + "'";
            if (threads) {
                o.threads = v;
            } else {
                o.jobs = v;
            }
        } else if (name == "--out") {
            if (value->empty()) return "--out needs a folder";
            o.out_dir = *value;
        } else if (name == "--part-max") {
            o.part_max = *value;
        } else if (name == "--min-vol") {
            o.min_vol = *value;
        } else {
            o.sim_snd = *value;
        }
    }
    if (o.files.empty()) return "no FILE given";
    return check_out_dirs(o);
}

int engine_threads(const extract_opts& o, unsigned cores) {
    if (o.threads) return *o.threads >= 2 ? 2 : 1;
    return cores >= 2 ? 2 : 1;
}

int engine_threads(const extract_opts& o) { return engine_threads(o, std::thread::hardware_concurrency()); }

int batch_jobs(const extract_opts& o, unsigned cores) {
    long long n = o.jobs == 0 ? static_cast<long long>(cores) : o.jobs;
    n = std::min<long long>(n, static_cast<long long>(o.files.size()));
    return static_cast<int>(std::max<long long>(n, 1));
}

const char* apply_param_overrides(const extract_opts& o) {
    const auto rules = ext_param_rules();
    for (std::size_t k = 0; k < rules.size(); ++k) {
        const std::optional<std::string>* text = nullptr;
        switch (rules[k].field) {
            case param_field_id::part_max:
                text = &o.part_max;
                break;
            case param_field_id::min_vol_prm:
                text = &o.min_vol;
                break;
            case param_field_id::sim_snd_prm:
                text = &o.sim_snd;
                break;
            default:
                break;
        }
        if (text == nullptr || !text->has_value()) continue;
        const std::string one[1] = {**text};
        if (const char* msg = param_dlg_ok(rules.subspan(k, 1), one, sys_param)) return msg;
    }
    return nullptr;
}

bool extract_range(const extract_opts& o, int frame_cnt, int& first, int& last) {
    const long long top = std::max(frame_cnt - 1, 0);
    first = o.start ? static_cast<int>(std::clamp(*o.start, 0LL, top)) : 0;
    last = o.end ? static_cast<int>(std::clamp(*o.end, 0LL, top)) : frame_cnt - 1;
    return !(o.start && o.end && first >= last);
}

std::string default_out_dir(const std::string& file) {
    return std::filesystem::path(file).stem().string() + "_parts";
}

std::string out_dir_for(const extract_opts& o, const std::string& file) {
    if (o.files.size() <= 1) return o.out_dir.empty() ? default_out_dir(file) : o.out_dir;
    if (o.out_dir.empty()) return default_out_dir(file);
    return (std::filesystem::path(o.out_dir) / default_out_dir(file)).string();
}

std::string check_out_dirs(const extract_opts& o) {
    std::set<std::string> seen;
    for (const std::string& f : o.files) {
        const std::string dir = out_dir_for(o, f);
        if (!seen.insert(dir).second) return "two FILEs would write into the same folder '" + dir + "'";
    }
    return {};
}

int batch_status(const std::vector<int>& statuses) {
    int worst = 0;
    for (const int s : statuses) worst = std::max(worst, s);
    return worst;
}

std::string part_file_stem(const std::string& utf8_name) {
    std::string name = utf8_name;
    while (!name.empty() && name.back() == '.') name.pop_back();
    std::string out;
    for (std::size_t i = 0; i < name.size();) {
        const auto c = static_cast<unsigned char>(name[i]);
        const bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                          c == '_' || c == '-';
        out += keep ? static_cast<char>(c) : '_';
        // One '_' for a whole multi-byte character.
        ++i;
        while (i < name.size() && (static_cast<unsigned char>(name[i]) & 0xC0) == 0x80) ++i;
    }
    return out.empty() ? "_" : out;
}
