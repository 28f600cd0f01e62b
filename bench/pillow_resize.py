#!/usr/bin/python3
# The reference for bench_resample: Pillow's Image.resize with its bicubic filter on the same sizes,
# RGBa (premultiplied, like our 32-bit bitmaps) and RGB (like our 24-bit ones). Prints one line per
# case in milliseconds: the median wall time and the median processor time of several runs (the
# benchmark reports both as well; on a busy machine compare processor times). Run with Debian's
# /usr/bin/python3 (python3-pil).
import random
import statistics
import sys
import time

from PIL import Image

CASES = [((1920, 1080), (480, 270)), ((1000, 1000), (2000, 2000)), ((4000, 3000), (256, 192))]


def picture(mode, size):
    random.seed(1)
    channels = 4 if mode == "RGBa" else 3
    data = bytes(random.getrandbits(8) for _ in range(size[0] * channels * 64))
    band = Image.frombytes("RGBA" if channels == 4 else "RGB", (size[0], 64), data)
    im = Image.new(band.mode, size)
    for y in range(0, size[1], 64):
        im.paste(band, (0, y))
    return im.convert(mode) if mode == "RGBa" else im


def main():
    repeats = int(sys.argv[1]) if len(sys.argv) > 1 else 7
    print("Pillow %s, Image.resize BICUBIC, median of %d runs" % (Image.__version__, repeats))
    for mode in ("RGBa", "RGB"):
        for src, dst in CASES:
            im = picture(mode, src)
            im.resize(dst, Image.BICUBIC)  # warm up
            wall, cpu = [], []
            for _ in range(repeats):
                t, c = time.perf_counter(), time.process_time()
                im.resize(dst, Image.BICUBIC)
                wall.append((time.perf_counter() - t) * 1000)
                cpu.append((time.process_time() - c) * 1000)
            bits = 32 if mode == "RGBa" else 24
            print("pillow/%d/%dx%d->%dx%d  wall %.2f ms  cpu %.2f ms" % (
                bits, src[0], src[1], dst[0], dst[1], statistics.median(wall), statistics.median(cpu)))


if __name__ == "__main__":
    main()
