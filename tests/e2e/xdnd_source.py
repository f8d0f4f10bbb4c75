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


class ClientMessage(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("window", ctypes.c_ulong),
                ("message_type", ctypes.c_ulong), ("format", ctypes.c_int),
                ("data", ctypes.c_long * 5)]


class SelectionRequest(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("owner", ctypes.c_ulong),
                ("requestor", ctypes.c_ulong), ("selection", ctypes.c_ulong),
                ("target", ctypes.c_ulong), ("property", ctypes.c_ulong),
                ("time", ctypes.c_ulong)]


class SelectionNotify(ctypes.Structure):
    _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong), ("send_event", ctypes.c_int),
                ("display", ctypes.c_void_p), ("requestor", ctypes.c_ulong),
                ("selection", ctypes.c_ulong), ("target", ctypes.c_ulong),
                ("property", ctypes.c_ulong), ("time", ctypes.c_ulong)]


class XEvent(ctypes.Union):
    _fields_ = [("type", ctypes.c_int), ("client", ClientMessage),
                ("request", SelectionRequest), ("pad", ctypes.c_long * 24)]


def load_xlib():
    x11 = ctypes.cdll.LoadLibrary(ctypes.util.find_library("X11"))
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XDefaultRootWindow.restype = ctypes.c_ulong
    x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
    x11.XCreateSimpleWindow.restype = ctypes.c_ulong
    x11.XCreateSimpleWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong] + \
        [ctypes.c_int] * 2 + [ctypes.c_uint] * 3 + [ctypes.c_ulong] * 2
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]
    x11.XSetSelectionOwner.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong,
                                       ctypes.c_ulong]
    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.c_void_p]
    x11.XChangeProperty.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_ulong,
                                    ctypes.c_ulong, ctypes.c_int, ctypes.c_int, ctypes.c_char_p,
                                    ctypes.c_int]
    x11.XPending.argtypes = x11.XFlush.argtypes = x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    x11.XNextEvent.argtypes = [ctypes.c_void_p, ctypes.c_void_p]
    x11.XDestroyWindow.argtypes = [ctypes.c_void_p, ctypes.c_ulong]
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
        for i, value in enumerate(data):
            event.data[i] = value
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
