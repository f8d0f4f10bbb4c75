"""A drag-and-drop source on an X display, through Xlib: it drops data on a window as a file
manager or an editor does (XDND: enter, position, drop, then the data handed over as the
XdndSelection and the target's "finished"). xdotool cannot drop anything.

    with XdndSource(":5") as source:
        source.drop(window, "text/plain", b"some text")
"""

import ctypes
import ctypes.util
import time

CLIENT_MESSAGE, SELECTION_REQUEST, SELECTION_NOTIFY = 33, 30, 31
XDND_VERSION = 5
PROP_MODE_REPLACE = 0


# The fields each X event starts with, then those of each kind this source meets.
HEADER = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
          ("display", ctypes.c_void_p)]
SELECTION_FIELDS = [(name, ctypes.c_ulong) for name in (
    "requestor", "selection", "target", "property", "time")]


class ClientMessage(ctypes.Structure):
    _fields_ = HEADER + [("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                         ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]


class SelectionRequest(ctypes.Structure):
    _fields_ = HEADER + [("owner", ctypes.c_ulong)] + SELECTION_FIELDS


class SelectionNotify(ctypes.Structure):
    _fields_ = HEADER + SELECTION_FIELDS


class XEvent(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("client", ClientMessage),
                ("request", SelectionRequest), ("pad", ctypes.c_long * 24)]


def load_xlib():
    x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))
    p, ul, i = ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int
    for name, restype, argtypes in [
            ("XOpenDisplay", p, [ctypes.c_char_p]),
            ("XDefaultRootWindow", ul, [p]),
            ("XCreateSimpleWindow", ul, [p, ul, i, i] + [ctypes.c_uint] * 3 + [ul, ul]),
            ("XInternAtom", ul, [p, ctypes.c_char_p, i]),
            ("XSetSelectionOwner", i, [p, ul, ul, ul]),
            ("XSendEvent", i, [p, ul, i, ctypes.c_long, p]),
            ("XChangeProperty", i, [p, ul, ul, ul, i, i, ctypes.c_char_p, i]),
            ("XPending", i, [p]), ("XFlush", i, [p]), ("XCloseDisplay", i, [p]),
            ("XNextEvent", i, [p, p]), ("XDestroyWindow", i, [p, ul])]:
        function = getattr(x11, name)
        function.restype, function.argtypes = restype, argtypes
    return x11


class XdndSource:
    def __init__(self, display_name):
        self.x11 = load_xlib()
        self.display = self.x11.XOpenDisplay(display_name.encode())
        if not self.display:
            raise RuntimeError("cannot open display " + display_name)
        root = self.x11.XDefaultRootWindow(self.display)
        self.window = self.x11.XCreateSimpleWindow(self.display, root, 0, 0, 1, 1, 0, 0, 0)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        self.x11.XDestroyWindow(self.display, self.window)
        self.x11.XCloseDisplay(self.display)

    def atom(self, name):
        return self.x11.XInternAtom(self.display, name.encode(), 0)

    def send(self, target, message, *data):
        event = ClientMessage(type=CLIENT_MESSAGE, window=target, format=32,
                              message_type=self.atom(message))
        event.data[:len(data)] = data
        self.x11.XSendEvent(self.display, target, 0, 0, ctypes.byref(event))
        self.x11.XFlush(self.display)

    def next_event(self, deadline):
        event = XEvent()
        while not self.x11.XPending(self.display):
            if time.monotonic() > deadline:
                raise AssertionError("the drop target stopped answering")
            time.sleep(0.001)
        self.x11.XNextEvent(self.display, ctypes.byref(event))
        return event

    def hand_over(self, request, data):
        """Answers the target's request for the dropped data."""
        self.x11.XChangeProperty(self.display, request.requestor, request.property,
                                 request.target, 8, PROP_MODE_REPLACE, data, len(data))
        notify = SelectionNotify(type=SELECTION_NOTIFY, requestor=request.requestor,
                                 selection=request.selection, target=request.target,
                                 property=request.property, time=request.time)
        self.x11.XSendEvent(self.display, request.requestor, 0, 0, ctypes.byref(notify))
        self.x11.XFlush(self.display)

    def drop(self, target, kind, data, timeout=30):
        """Drops data of the MIME type kind on the target window; returns once the target
        says it has finished with it."""
        deadline = time.monotonic() + timeout
        self.x11.XSetSelectionOwner(self.display, self.atom("XdndSelection"), self.window, 0)
        self.send(target, "XdndEnter", self.window, XDND_VERSION << 24, self.atom(kind))
        self.send(target, "XdndPosition", self.window, 0, (10 << 16) | 10, 0,
                  self.atom("XdndActionCopy"))
        self.send(target, "XdndDrop", self.window, 0, 0)
        finished = self.atom("XdndFinished")
        while True:
            event = self.next_event(deadline)
            if event.type == SELECTION_REQUEST:
                self.hand_over(event.request, data)
            elif event.type == CLIENT_MESSAGE and event.client.message_type == finished:
                return
