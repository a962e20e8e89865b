#!/usr/bin/env python3
"""Asks the X window given by its id to close, as a window manager's close box does (the
WM_DELETE_WINDOW protocol): our test displays run no window manager, and xdotool cannot."""
import ctypes as c
import sys


class ClientMessage(c.Structure):
    _fields_ = [("type", c.c_int), ("serial", c.c_ulong), ("send_event", c.c_int),
                ("display", c.c_void_p), ("window", c.c_ulong), ("message_type", c.c_ulong),
                ("format", c.c_int), ("data", c.c_long * 5)]


class Event(c.Union):
    _fields_ = [("xclient", ClientMessage), ("pad", c.c_long * 24)]


x = c.cdll.LoadLibrary("libX11.so.6")
x.XOpenDisplay.restype = c.c_void_p
x.XInternAtom.restype = c.c_ulong
x.XInternAtom.argtypes = [c.c_void_p, c.c_char_p, c.c_int]
x.XSendEvent.argtypes = [c.c_void_p, c.c_ulong, c.c_int, c.c_long, c.POINTER(Event)]
x.XCloseDisplay.argtypes = [c.c_void_p]
display = x.XOpenDisplay(None) or sys.exit("close_window: no display")
event = Event()
event.xclient.type = 33  # ClientMessage
event.xclient.window = int(sys.argv[1], 0)
event.xclient.message_type = x.XInternAtom(display, b"WM_PROTOCOLS", 0)
event.xclient.format = 32
event.xclient.data[0] = x.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
x.XSendEvent(display, event.xclient.window, 0, 0, c.byref(event)) or sys.exit("close_window: not sent")
x.XCloseDisplay(display)
