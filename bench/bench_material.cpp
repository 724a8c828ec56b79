// Writes the score of the benchmark recordings, deterministically.
//
//   bench_material midi FILE SECONDS   a Standard MIDI File (format 1): four
//                                      General MIDI instruments entering at
//                                      0, 10, 20 and 30 s, SECONDS long
//   bench_material sox-notes VOICE     one voice's 8-second pattern for
//                                      rendering with sox where no synthesiser
//                                      is installed: a line "ENTRY_S LEFT_GAIN
//                                      RIGHT_GAIN", then one "SYNTH LEN_S GAP_S
//                                      HZ" line per note (GAP_S: silence after
//                                      the note until the next one starts)
//
// The notes come from a fixed linear congruential generator, so every run
// writes the same bytes. The rendering itself (fluidsynth or sox) is done by
// bench/make_material.sh.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int ticks_per_quarter = 480;
constexpr int tempo_us = 500000;  // 120 beats a minute: one tick is 1/960 s
constexpr int ticks_per_second = 960;

// One voice of the mix: its General MIDI program, where it enters, its
// stereo position (MIDI pan 0 left .. 127 right), its note range and rhythm.
struct voice {
    const char* name;
    const char* sox_synth;  // sox's stand-in for the instrument
    int program;
    int channel;
    int entry_s;
    int pan;
    int low_note;    // lowest note of the voice's scale walk
    int step_ticks;  // time between note starts
    int len_ticks;   // sounding length of a note
    int velocity;
};

constexpr voice voices[] = {
    {"piano", "pluck", 0, 0, 0, 44, 55, 240, 220, 96},           // Acoustic Grand Piano, eighth notes
    {"bass", "pluck", 32, 1, 10, 64, 33, 480, 440, 110},         // Acoustic Bass, quarter notes
    {"strings", "sawtooth", 48, 2, 20, 88, 60, 1920, 1900, 80},  // String Ensemble 1, whole notes
    {"flute", "sine", 73, 3, 30, 30, 72, 360, 300, 90},          // Flute, dotted eighths
};

// A major scale over two octaves, as semitone offsets.
constexpr int scale[] = {0, 2, 4, 5, 7, 9, 11, 12, 14, 16, 17, 19, 21, 23, 24};
constexpr int scale_len = sizeof scale / sizeof scale[0];

struct lcg {
    std::uint32_t s;
    int next(int range) {
        s = s * 1664525u + 1013904223u;
        return static_cast<int>((s >> 16) % static_cast<std::uint32_t>(range));
    }
};

// The voice's notes from tick 0 of its own pattern: a walk over the scale
// in steps of at most two degrees.
struct note {
    long start;  // ticks
    int len;     // ticks
    int key;
};

std::vector<note> voice_notes(const voice& v, long until_ticks) {
    std::vector<note> out;
    lcg g{static_cast<std::uint32_t>(v.program * 7919 + 17)};
    int degree = scale_len / 2;
    for (long t = 0; t < until_ticks; t += v.step_ticks) {
        degree += g.next(5) - 2;
        if (degree < 0) degree = 1;
        if (degree >= scale_len) degree = scale_len - 2;
        out.push_back({t, v.len_ticks, v.low_note + scale[degree]});
    }
    return out;
}

void put_be(std::string& s, std::uint32_t v, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

void put_var(std::string& s, std::uint32_t v) {
    char buf[5];
    int n = 0;
    buf[n++] = static_cast<char>(v & 0x7F);
    while ((v >>= 7) != 0) buf[n++] = static_cast<char>((v & 0x7F) | 0x80);
    while (n > 0) s.push_back(buf[--n]);
}

struct event {
    long tick;
    int order;  // note-offs before note-ons at the same tick
    std::string bytes;
};

std::string track_chunk(std::vector<event> ev, long end_tick) {
    std::stable_sort(ev.begin(), ev.end(), [](const event& a, const event& b) {
        return a.tick != b.tick ? a.tick < b.tick : a.order < b.order;
    });
    std::string body;
    long now = 0;
    for (const event& e : ev) {
        put_var(body, static_cast<std::uint32_t>(e.tick - now));
        body += e.bytes;
        now = e.tick;
    }
    put_var(body, static_cast<std::uint32_t>(end_tick > now ? end_tick - now : 0));
    body += std::string("\xFF\x2F\x00", 3);  // end of track
    std::string chunk = "MTrk";
    put_be(chunk, static_cast<std::uint32_t>(body.size()), 4);
    return chunk + body;
}

std::string midi_file(int seconds) {
    const long end_tick = static_cast<long>(seconds) * ticks_per_second;
    std::string out = "MThd";
    put_be(out, 6, 4);
    put_be(out, 1, 2);  // format 1
    put_be(out, 1 + sizeof voices / sizeof voices[0], 2);
    put_be(out, ticks_per_quarter, 2);

    // Tempo track.
    std::vector<event> tempo;
    std::string t = "\xFF\x51\x03";
    put_be(t, tempo_us, 3);
    tempo.push_back({0, 0, t});
    out += track_chunk(tempo, end_tick);

    for (const voice& v : voices) {
        std::vector<event> ev;
        const char ch = static_cast<char>(v.channel);
        ev.push_back({0, 0, std::string{static_cast<char>(0xC0 | ch), static_cast<char>(v.program)}});
        ev.push_back({0, 0, std::string{static_cast<char>(0xB0 | ch), 10, static_cast<char>(v.pan)}});
        ev.push_back({0, 0, std::string{static_cast<char>(0xB0 | ch), 7, 100}});
        const long entry = static_cast<long>(v.entry_s) * ticks_per_second;
        if (entry < end_tick) {
            for (const note& n : voice_notes(v, end_tick - entry)) {
                const long on = entry + n.start;
                const long off = std::min(on + n.len, end_tick);
                if (off <= on) continue;
                ev.push_back({on, 1,
                              std::string{static_cast<char>(0x90 | ch), static_cast<char>(n.key),
                                          static_cast<char>(v.velocity)}});
                ev.push_back(
                    {off, 0, std::string{static_cast<char>(0x80 | ch), static_cast<char>(n.key), 64}});
            }
        }
        out += track_chunk(ev, end_tick);
    }
    return out;
}

int usage() {
    std::fprintf(stderr,
                 "usage: bench_material midi FILE SECONDS\n"
                 "       bench_material sox-notes VOICE   (VOICE 0 .. 3)\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "midi") == 0) {
        const int seconds = std::atoi(argv[3]);
        if (seconds < 1 || seconds > 86400) return usage();
        const std::string bytes = midi_file(seconds);
        std::FILE* f = std::fopen(argv[2], "wb");
        if (f == nullptr || std::fwrite(bytes.data(), 1, bytes.size(), f) != bytes.size() ||
            std::fclose(f) != 0) {
            std::perror(argv[2]);
            return 1;
        }
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "sox-notes") == 0) {
        const int which = std::atoi(argv[2]);
        if (which < 0 || which > 3 || argv[2][0] < '0' || argv[2][0] > '3') return usage();
        const voice& v = voices[which];
        const long period = 8L * ticks_per_second;
        std::printf("%d %.4f %.4f\n", v.entry_s, (127 - v.pan) / 127.0, v.pan / 127.0);
        const std::vector<note> notes = voice_notes(v, period);
        for (std::size_t i = 0; i < notes.size(); ++i) {
            const long next = i + 1 < notes.size() ? notes[i + 1].start : period;
            const long len = std::min<long>(notes[i].len, next - notes[i].start);  // cut at the period's end
            const double hz = 440.0 * std::pow(2.0, (notes[i].key - 69) / 12.0);
            std::printf("%s %.6f %.6f %.4f\n", v.sox_synth, static_cast<double>(len) / ticks_per_second,
                        static_cast<double>(next - notes[i].start - len) / ticks_per_second, hz);
        }
        return 0;
    }
    return usage();
}
