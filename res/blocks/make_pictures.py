#!/usr/bin/env python3
"""Draws the pictures of the diagram blocks as 24-bit BMP files (white background, which the
blocks draw transparent). Run once; the BMP files are kept in the repository."""
import math
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
WHITE, BLACK, BLUE, RED, GREY, GREEN = (255, 255, 255), (0, 0, 0), (0, 0, 255), (220, 0, 0), (128, 128, 128), (0, 128, 0)


class Pic:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[WHITE] * w for _ in range(h)]

    def dot(self, x, y, c):
        x, y = int(round(x)), int(round(y))
        if 0 <= x < self.w and 0 <= y < self.h and not (x == 0 and y == self.h - 1):
            self.px[y][x] = c

    def line(self, x0, y0, x1, y1, c, dash=0):
        n = int(max(abs(x1 - x0), abs(y1 - y0))) + 1
        for i in range(n + 1):
            if dash and (i // dash) % 2:
                continue
            t = i / n
            self.dot(x0 + (x1 - x0) * t, y0 + (y1 - y0) * t, c)

    def poly(self, pts, c, dash=0):
        for (a, b), (p, q) in zip(pts, pts[1:]):
            self.line(a, b, p, q, c, dash)

    def rect(self, x0, y0, x1, y1, c):
        self.poly([(x0, y0), (x1, y0), (x1, y1), (x0, y1), (x0, y0)], c)

    def circle(self, cx, cy, r, c, a0=0, a1=360):
        for i in range(int(a0 * 4), int(a1 * 4) + 1):
            a = math.radians(i / 4)
            self.dot(cx + r * math.cos(a), cy - r * math.sin(a), c)

    def curve(self, f, x0, x1, c):
        prev = None
        for x in range(x0, x1 + 1):
            p = (x, f(x))
            if prev:
                self.line(*prev, *p, c)
            prev = p

    def save(self, name):
        row = (self.w * 3 + 3) & ~3
        data = b"".join(bytes(b for px in r for b in (px[2], px[1], px[0])).ljust(row, b"\0")
                        for r in reversed(self.px))
        head = struct.pack("<2sIHHI", b"BM", 54 + len(data), 0, 0, 54)
        info = struct.pack("<IiiHHIIiiII", 40, self.w, self.h, 1, 24, 0, len(data), 2835, 2835, 0, 0)
        with open(os.path.join(HERE, name + ".bmp"), "wb") as f:
            f.write(head + info + data)


def axes(p):
    p.line(2, p.h - 3, p.w - 2, p.h - 3, BLACK)
    p.line(2, p.h - 3, 2, 1, BLACK)


def ramps():
    p = Pic(51, 25); axes(p)
    p.poly([(3, 21), (15, 5), (35, 5), (47, 21)], BLUE)
    p.poly([(3, 21), (18, 8), (32, 8), (47, 21)], RED)
    p.save("ramps")


def limit():
    p = Pic(51, 26)
    p.line(2, 5, 48, 5, RED, 3); p.line(2, 20, 48, 20, RED, 3)
    p.curve(lambda x: 12.5 + 6 * math.sin(x / 4), 3, 47, BLUE)
    for x in (10, 38):
        p.line(x, 1, x, 4, BLACK); p.line(x - 2, 3, x, 4, BLACK); p.line(x + 2, 3, x, 4, BLACK)
        p.line(x, 24, x, 21, BLACK); p.line(x - 2, 22, x, 21, BLACK); p.line(x + 2, 22, x, 21, BLACK)
    p.save("limit")


def notch():
    p = Pic(50, 27); axes(p)
    p.curve(lambda x: 5 + 17 * math.exp(-((x - 25) / 3.0) ** 2), 3, 47, BLUE)
    p.save("notch")


def iq_filter():
    p = Pic(47, 27); axes(p)
    p.line(3, 5, 45, 5, RED, 2)
    p.curve(lambda x: 23 - 18 * (1 - math.exp(-(x - 3) / 8.0)), 3, 45, BLUE)
    p.save("iq_filter")


def power():
    p = Pic(55, 53)
    p.line(22, 12, 22, 40, BLACK); p.line(18, 18, 18, 34, BLACK)   # gate
    p.line(8, 26, 18, 26, BLACK)
    p.line(22, 20, 32, 12, BLACK); p.line(22, 32, 32, 40, BLACK)   # collector, emitter
    p.line(32, 12, 32, 4, BLACK); p.line(32, 40, 32, 48, BLACK)
    p.line(29, 38, 32, 40, BLACK); p.line(30, 41, 32, 40, BLACK)
    p.line(32, 4, 46, 4, BLACK); p.line(32, 48, 46, 48, BLACK); p.line(46, 4, 46, 48, BLACK)
    p.poly([(41, 30), (51, 30), (46, 22), (41, 30)], BLACK); p.line(41, 22, 51, 22, BLACK)  # diode
    for x, y in ((34, 1), (2, 22), (34, 49)):  # terminals C, G, E
        p.rect(x, y, x + 3, y + 3, BLUE)
    p.save("power")


def motor():
    p = Pic(56, 28)
    p.rect(8, 3, 40, 24, BLACK); p.rect(4, 6, 8, 21, BLACK)
    for y in range(6, 22, 3):
        p.line(12, y, 36, y, GREY)
    p.rect(40, 11, 52, 15, BLACK)
    p.save("motor")


def speed_feedback():
    p = Pic(47, 30)
    p.circle(7, 15, 4, BLUE)                 # omega
    p.line(13, 13, 17, 13, BLACK); p.line(13, 17, 17, 17, BLACK)  # =
    p.line(20, 15, 44, 15, BLACK)            # fraction bar
    p.circle(26, 8, 3, BLACK); p.line(29, 3, 29, 11, BLACK)       # d
    p.circle(35, 8, 3, BLACK); p.line(32, 8, 38, 8, BLACK)        # theta
    p.circle(26, 22, 3, BLACK); p.line(29, 17, 29, 25, BLACK)     # d
    p.line(34, 18, 34, 25, BLACK); p.line(32, 20, 37, 20, BLACK)  # t
    p.save("speed_feedback")


def positioner():
    p = Pic(100, 64)
    p.rect(2, 2, 97, 61, BLACK); p.rect(6, 6, 58, 40, GREY)
    p.poly([(8, 36), (20, 36), (32, 12), (44, 12), (56, 36)], BLUE)
    for r in range(4):
        for c in range(3):
            p.rect(64 + c * 11, 6 + r * 13, 71 + c * 11, 14 + r * 13, BLACK)
    p.rect(6, 46, 58, 56, GREEN)
    p.save("positioner")


def gear_box():
    p = Pic(61, 39)
    p.rect(2, 16, 20, 22, BLACK); p.rect(40, 16, 58, 22, BLACK)
    p.rect(20, 6, 28, 32, BLACK); p.rect(32, 6, 40, 32, BLACK)
    for y in (10, 19, 28):
        p.line(28, y, 32, y, GREY)
    p.save("gear_box")


def cam():
    p = Pic(66, 94)
    for i in range(0, 360 * 4):
        a = math.radians(i / 4)
        r = 18 + 8 * max(0.0, math.cos(a))
        p.dot(33 + r * math.sin(a), 64 - r * math.cos(a), BLACK)
    p.circle(33, 64, 3, BLACK)
    p.rect(29, 4, 37, 34, BLACK); p.circle(33, 37, 3, BLUE)
    p.save("cam")


for draw in (ramps, limit, notch, iq_filter, power, motor, speed_feedback, positioner, gear_box, cam):
    draw()
