#include "document/wave_file_io.h"

#include <cerrno>

#include "document/file_stream.h"

int open_wave_file(CTonewarpDoc& doc, const std::string& path) {
    file_istream in;
    if (const int e = in.open(path); e != 0) return e;
    doc.read_wave_file(in);
    return in.error();
}

int save_wave_file(CTonewarpDoc& doc, const std::string& path) {
    file_replace_ostream out;
    if (const int e = out.open(path); e != 0) return e;
    if (doc.write_wave_file(out) != 0) return out.error() != 0 ? out.error() : EIO;
    return out.commit();
}
