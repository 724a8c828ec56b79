// Numbers as text in the "C" locale: "." is the decimal point whatever locale
// the process runs in.
//
// Qt's application object sets the C library's locale from the environment;
// under de_DE.UTF-8 or fr_FR.UTF-8 plain printf would write "355632,475" and
// strtod would stop at the ".". The dialogs' fields and the diagnostic log
// format and read their numbers through these routines instead. Only the
// calling thread is switched, and only for the length of the call.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <string>

// vsnprintf in the C locale, appending the whole text to out (no length
// limit). A format error appends nothing.
void c_vappendf(std::string& out, const char* fmt, std::va_list ap);

// snprintf in the C locale; returns what snprintf returns.
int c_snprintf(char* buf, std::size_t size, const char* fmt, ...) __attribute__((format(printf, 3, 4)));

// strtod in the C locale.
double c_strtod(const char* text, char** end);
