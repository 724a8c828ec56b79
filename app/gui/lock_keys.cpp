#include "app/gui/lock_keys.h"

#include <QGuiApplication>

#ifdef TW_HAVE_X11
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#endif

namespace {

#ifdef TW_HAVE_X11
// Reads one named indicator lamp; a name the keymap does not have reads off.
bool named_indicator(Display* dpy, const char* name) {
    const Atom atom = XInternAtom(dpy, name, True);
    if (atom == None) return false;
    Bool on = False;
    if (!XkbGetNamedIndicator(dpy, atom, nullptr, &on, nullptr, nullptr)) return false;
    return on == True;
}

lock_key_state read_x11(Display* dpy) {
    lock_key_state s;
    s.kana = named_indicator(dpy, "Kana");
    s.caps = named_indicator(dpy, "Caps Lock");
    s.num = named_indicator(dpy, "Num Lock");
    s.scroll = named_indicator(dpy, "Scroll Lock");
    return s;
}
#endif

}  // namespace

lock_key_source system_lock_key_source() {
#ifdef TW_HAVE_X11
    if (auto* x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr) {
        if (Display* dpy = x11->display()) {
            return [dpy] { return read_x11(dpy); };
        }
    }
#endif
    return [] { return lock_key_state{}; };
}
