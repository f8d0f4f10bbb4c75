"""The harness's own X connection to a display: it counts the frames a program presents into
a window, from the X Damage events of that window, and sends keys through XTest.

Every presented frame draws the whole picture into the window, whether or not it changed,
and the server reports each drawing request as one damage notification (its rectangles come
as one or more events, all but the last marked "more"). Counting those needs nothing from
the program. The count is read after a round trip to the server, so it covers every frame
the server took before the moment it is read; keys go through the same connection, so "the
key went down after frame n" is exact on the server's side.
"""

import ctypes
import functools
import select

RAW_RECTANGLES = 0  # XDamageReportRawRectangles: one event per rectangle drawn, never merged
DAMAGE_NOTIFY = 0
CLIENT_MESSAGE = 33
USE_CORE_KEYBOARD = 0x100  # XkbUseCoreKbd


class _DamageNotify(ctypes.Structure):  # up to "more": the fields after it are not read
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("drawable", ctypes.c_ulong), ("damage", ctypes.c_ulong),
                ("level", ctypes.c_int), ("more", ctypes.c_int)]


class _ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class _Event(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("damage", _DamageNotify),
                ("pad", ctypes.c_long * 24)]  # an XEvent is 24 longs


_ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)


@_ERROR_HANDLER
def _ignore_error(display, event):
    """A window that is gone by the time a request names it is not the harness's fault:
    Xlib's default handler would end the whole test process."""
    return 0


class _Xlib:
    def __init__(self):
        x11 = ctypes.cdll.LoadLibrary("libX11.so.6")
        damage = ctypes.cdll.LoadLibrary("libXdamage.so.1")
        xtst = ctypes.cdll.LoadLibrary("libXtst.so.6")
        p, ul, i = ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int
        for lib, name, restype, argtypes in [
                (x11, "XOpenDisplay", p, [ctypes.c_char_p]),
                *((x11, name, i, [p]) for name in ("XCloseDisplay", "XConnectionNumber",
                                                   "XPending")),
                (x11, "XNextEvent", i, [p, ctypes.POINTER(_Event)]),
                (x11, "XSync", i, [p, i]),
                (x11, "XSetErrorHandler", p, [_ERROR_HANDLER]),
                (x11, "XStringToKeysym", ul, [ctypes.c_char_p]),
                (x11, "XInternAtom", ul, [p, ctypes.c_char_p, i]),
                (x11, "XSendEvent", i, [p, ul, i, ctypes.c_long, p]),
                (x11, "XKeysymToKeycode", ctypes.c_ubyte, [p, ul]),
                (x11, "XkbKeysymToModifiers", ctypes.c_uint, [p, ul]),
                (x11, "XkbLockModifiers", i, [p, ctypes.c_uint, ctypes.c_uint, ctypes.c_uint]),
                (x11, "XkbLockGroup", i, [p, ctypes.c_uint, ctypes.c_uint]),
                (damage, "XDamageQueryExtension", i, [p, ctypes.POINTER(i),
                                                      ctypes.POINTER(i)]),
                (damage, "XDamageCreate", ul, [p, ul, i]),
                (xtst, "XTestFakeKeyEvent", i, [p, ctypes.c_uint, i, ul])]:
            function = getattr(lib, name)
            function.restype, function.argtypes = restype, argtypes
            setattr(self, name, function)
        self.XSetErrorHandler(_ignore_error)


@functools.lru_cache(maxsize=None)
def xlib():
    """The one set of X libraries of the process, loaded on first use."""
    return _Xlib()


class Connection:
    """An X connection of the harness to one display."""

    def __init__(self, display_name):
        self.x = xlib()
        self.display = self.x.XOpenDisplay(display_name.encode())
        if not self.display:
            raise RuntimeError("cannot open display " + display_name)
        base, error = ctypes.c_int(), ctypes.c_int()
        if not self.x.XDamageQueryExtension(self.display, ctypes.byref(base),
                                            ctypes.byref(error)):
            raise RuntimeError("the display has no Damage extension")
        self.damage_event = base.value + DAMAGE_NOTIFY
        self._lock_num_lock()
        self.frames = 0
        self.event = _Event()

    def watch(self, window):
        """Counts from now on the frames drawn into window."""
        self.x.XDamageCreate(self.display, window, RAW_RECTANGLES)
        self.x.XSync(self.display, 0)

    def count(self):
        """The frames presented so far: every one the server has drawn by now."""
        self.x.XSync(self.display, 0)
        self._read_events()
        return self.frames

    def _read_events(self):
        while self.x.XPending(self.display):
            self.x.XNextEvent(self.display, ctypes.byref(self.event))
            if self.event.type == self.damage_event and not self.event.damage.more:
                self.frames += 1

    def wait_for_events(self, seconds):
        """Sleeps until the server sends something, or for seconds at most."""
        self._read_events()
        select.select([self.x.XConnectionNumber(self.display)], [], [], seconds)

    def _lock_num_lock(self):
        """Num Lock on, as a keyboard usually starts: the keypad's keys are then its digits
        (KP_8), which Wine turns into the numpad's virtual keys, and not the arrows and page
        keys they stand for with Num Lock off."""
        mask = self.x.XkbKeysymToModifiers(self.display, self.x.XStringToKeysym(b"Num_Lock"))
        self.x.XkbLockModifiers(self.display, USE_CORE_KEYBOARD, mask, mask)
        self.x.XSync(self.display, 0)

    def lock_group(self, group):
        """Makes the keymap's group (0 for the first layout) the active one, as a desktop's
        layout switch does: the keymap itself stays as it is."""
        self.x.XkbLockGroup(self.display, USE_CORE_KEYBOARD, group)
        self.x.XSync(self.display, 0)

    def key(self, keysym, down):
        """Presses or releases the key of keysym, an unshifted key or a keypad digit, in the
        keyboard mapping of this moment: Xlib keeps the mapping it read first until it reads
        the server's notice of a new one (setxkbmap), which the count does. The earliest
        place in a key's list wins (unshifted before shifted)."""
        self.count()
        code = self.x.XKeysymToKeycode(self.display, self.x.XStringToKeysym(keysym.encode()))
        if not code:
            raise ValueError("no key for " + keysym)
        self.x.XTestFakeKeyEvent(self.display, code, 1 if down else 0, 0)
        self.x.XSync(self.display, 0)

    def close_window(self, window):
        """Sends the message a window manager sends for its close box (xdotool can only
        destroy a window or kill its client)."""
        atom = lambda name: self.x.XInternAtom(self.display, name, 0)  # noqa: E731
        event = _ClientMessage(type=CLIENT_MESSAGE, window=window, format=32,
                               message_type=atom(b"WM_PROTOCOLS"))
        event.data[0] = atom(b"WM_DELETE_WINDOW")
        self.x.XSendEvent(self.display, window, 0, 0, ctypes.byref(event))
        self.x.XSync(self.display, 0)

    def close(self):
        if self.display:
            self.x.XCloseDisplay(self.display)
            self.display = None
