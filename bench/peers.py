#!/usr/bin/env python3
"""The library side by side with the tool a user would pick instead.

Each row runs ours and the peer on the same generated tree, alternating,
several times, each run after a sync and from a warm page cache, and prints
the median and spread (lowest to highest) of both, the ratio of the medians
and the ratio of the peak memory (largest resident set of any run). Image
sizes are compared where a row makes images.

Usage: bench/peers.py [--build DIR] [--runs N] [--files N] [ROW ...]
Rows (default: all but the 200k ones): see ROWS below, e.g.
    bench/peers.py backup-xpress-small restore-small
The programs bench/image, bench/raw, bench/scan and tools/qxfm must be built
in DIR (cmake --build build). The peers: wimlib-imagex, find, cp.
"""
import argparse
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
TYPES = os.path.join(HERE, "..", "data", "types.txt")
CATEGORIES = ["DOCUMENTS", "PICTURES", "MUSIC", "VIDEO"]
COMPRESSION = {"none": 0, "xpress": 1, "lzx": 2}


def make_tree(root, count, max_kib, exts, seed=7):
    """Folders of 100 files, mixed extensions; half of each file compresses."""
    rnd = random.Random(seed)
    text = b"the quick brown fox jumps over the lazy dog\n" * (max_kib * 24 + 1)
    for i in range(count):
        folder = os.path.join(root, "user%d" % (i // 2000), "folder%d" % (i // 100 % 20))
        if i % 100 == 0:
            os.makedirs(folder, exist_ok=True)
        size = rnd.randint(1, max_kib * 1024) if max_kib else 0
        with open(os.path.join(folder, "file%d.%s" % (i, exts[i % len(exts)])), "wb") as f:
            f.write(text[: size // 2] + rnd.randbytes(size - size // 2))


def categories_type_list(path, count):
    """A type list of count categories with one extension each."""
    with open(path, "w") as f:
        for i in range(count):
            f.write("[CAT%d]\nE%d\n" % (i, i))


class Bench:
    def __init__(self, args):
        self.build = os.path.abspath(args.build)
        self.runs = args.runs
        self.files = args.files
        self.tmp = tempfile.mkdtemp(prefix="qxfm-bench-")
        self.trees = {}
        self.env = dict(os.environ, QXFM_NAMESPACE="bench-peers-%d" % os.getpid())

    def prog(self, *parts):
        return os.path.join(self.build, *parts)

    # --- trees ---------------------------------------------------------------
    def tree(self, shape):
        if shape in self.trees:
            return self.trees[shape]
        root = os.path.join(self.tmp, shape)
        src = os.path.join(root, "src")
        types = TYPES
        media = ["doc", "txt", "pdf", "jpg", "png", "mp3", "wav", "avi", "mp4"]
        if shape == "small":
            make_tree(src, self.files, 8, media)
        elif shape == "huge":
            make_tree(src, self.files * 10, 8, media)
        elif shape == "medium":
            make_tree(src, 3000, 256, media)
        elif shape == "categories":
            types = os.path.join(root, "types.txt")
            make_tree(src, 1000, 8, ["e%d" % i for i in range(1000)])
            categories_type_list(types, 1000)
        elif shape == "scan":
            make_tree(src, self.files, 0, ["doc", "docx", "txt", "xlsx", "pdf", "jpg", "jpeg", "png", "tiff",
                                           "mp3", "flac", "avi", "mp4", "dat", "exe", "dll", "tmp", "log", "cpp"])
        subprocess.run(["find", src, "-type", "f", "-exec", "cat", "{}", "+"], stdout=subprocess.DEVNULL, check=True)
        self.trees[shape] = (root, src, types)
        return self.trees[shape]

    # --- measuring -----------------------------------------------------------
    def run(self, argv, cwd=None, prepare=None):
        """Wall seconds and peak resident KiB of one run of argv (GNU time measures the
        memory: a child of this interpreter would start with its resident set)."""
        if prepare:
            prepare()
        subprocess.run(["sync"], check=True)
        peak = os.path.join(self.tmp, "peak")
        start = time.perf_counter()
        done = subprocess.run(["/usr/bin/time", "-f", "%M", "-o", peak] + argv, cwd=cwd, env=self.env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
        seconds = time.perf_counter() - start
        if done.returncode != 0:
            sys.exit("%s failed with %d:\n%s" % (" ".join(argv), done.returncode,
                                                 done.stderr.decode(errors="replace")))
        return seconds, int(open(peak).read().split()[-1])

    def pair(self, name, ours, peer, note=""):
        """ours and peer: (argv, cwd, prepare), or a function of the run's number giving them."""
        times = {"ours": [], "peer": []}
        peaks = {"ours": 0, "peer": 0}
        for number in range(self.runs):
            for side, job in (("peer", peer), ("ours", ours)):
                argv, cwd, prepare = job(number) if callable(job) else job
                seconds, kib = self.run(argv, cwd, prepare)
                times[side].append(seconds)
                peaks[side] = max(peaks[side], kib)
        med = {side: statistics.median(values) for side, values in times.items()}
        print("%-22s ours %6.2f s (%5.2f-%5.2f) %6.1f MiB | peer %6.2f s (%5.2f-%5.2f) %6.1f MiB | "
              "time %.2fx  memory %.2fx %s" % (
                  name, med["ours"], min(times["ours"]), max(times["ours"]), peaks["ours"] / 1024,
                  med["peer"], min(times["peer"]), max(times["peer"]), peaks["peer"] / 1024,
                  med["ours"] / med["peer"], peaks["ours"] / max(peaks["peer"], 1), note), flush=True)

    # --- rows ----------------------------------------------------------------
    def backup(self, shape, compression):
        root, src, types = self.tree(shape)
        work, peer_dir = os.path.join(root, "work"), os.path.join(root, "peer")
        os.makedirs(work, exist_ok=True)
        os.makedirs(peer_dir, exist_ok=True)
        peer_wim = os.path.join(peer_dir, "peer.wim")
        ours = ([self.prog("bench", "image"), "backup", src, work, str(COMPRESSION[compression]), types], work,
                lambda: shutil.rmtree(os.path.join(work, "backup"), ignore_errors=True))
        peer = (["wimlib-imagex", "capture", src, peer_wim, "--compress=" + compression, "--unix-data"], None,
                lambda: os.path.exists(peer_wim) and os.remove(peer_wim))
        self.pair("backup-%s-%s" % (compression, shape), ours, peer)
        ours_size = os.path.getsize(os.path.join(work, "backup", "Image.wim"))
        print("%-22s ours %d bytes, peer %d bytes: %.4fx" % (
            "size-%s-%s" % (compression, shape), ours_size, os.path.getsize(peer_wim),
            ours_size / os.path.getsize(peer_wim)), flush=True)

    def size_rebuilt(self, shape):
        """Ours against the same image written anew, in one pass."""
        root, src, types = self.tree(shape)
        work = os.path.join(root, "work")
        os.makedirs(work, exist_ok=True)
        shutil.rmtree(os.path.join(work, "backup"), ignore_errors=True)
        self.run([self.prog("bench", "image"), "backup", src, work, "1", types], work)
        image = os.path.join(work, "backup", "Image.wim")
        rebuilt = os.path.join(root, "rebuilt.wim")
        shutil.copy(image, rebuilt)
        subprocess.run(["wimlib-imagex", "optimize", rebuilt], stdout=subprocess.DEVNULL, check=True)
        print("%-22s ours %d bytes, rebuilt %d bytes: %.4fx" % (
            "size-rebuilt-" + shape, os.path.getsize(image), os.path.getsize(rebuilt),
            os.path.getsize(image) / os.path.getsize(rebuilt)), flush=True)

    def restore(self, shape):
        root, src, types = self.tree(shape)
        work, peer_dir = os.path.join(root, "work"), os.path.join(root, "peer")
        peer_wim = os.path.join(peer_dir, "peer.wim")
        if not os.path.exists(os.path.join(work, "backup", "Image.wim")) or not os.path.exists(peer_wim):
            self.backup(shape, "xpress")
        # As with raw copies, every run writes a tree of its own: each restore
        # makes a folder named after its second, one second after the last.
        ours_target = os.path.join(work, "restore")
        shutil.rmtree(ours_target, ignore_errors=True)
        ours = ([self.prog("bench", "image"), "restore", src, work] + CATEGORIES, work, lambda: time.sleep(1))
        peer = lambda n: (["wimlib-imagex", "apply", peer_wim, "1", os.path.join(peer_dir, "applied%d" % n),
                           "--unix-data"], None, None)
        self.pair("restore-" + shape, ours, peer)
        dated = os.path.join(ours_target, "System Recovery Files")
        for folder in os.listdir(dated):
            if subprocess.run(["diff", "-r", src, os.path.join(dated, folder, "C")],
                              stdout=subprocess.DEVNULL).returncode != 0:
                sys.exit("the restored tree differs from the source")
        shutil.rmtree(ours_target)
        for n in range(self.runs):
            shutil.rmtree(os.path.join(peer_dir, "applied%d" % n))

    def verify(self, shape):
        root, src, types = self.tree(shape)
        work, peer_wim = os.path.join(root, "work"), os.path.join(root, "peer", "peer.wim")
        if not os.path.exists(os.path.join(work, "backup", "Image.wim")) or not os.path.exists(peer_wim):
            self.backup(shape, "xpress")
        self.env["QXFM_DRIVES"] = "C=%s,fixed;D=%s,fixed" % (src, work)
        ours = ([self.prog("tools", "qxfm", "qxfm"), "verify", "D:\\backup", "--deep"], work, None)
        peer = (["wimlib-imagex", "verify", peer_wim], None, None)
        self.pair("verify-deep-" + shape, ours, peer)

    def raw(self, shape):
        """Each run copies into a folder of its own: files made where others were just
        deleted cost the file system more than files made anew (ext4's inode allocation)."""
        root, src, _ = self.tree(shape)
        listing = os.path.join(root, "files.list")
        with open(listing, "wb") as f:
            out = subprocess.run(["find", ".", "-type", "f", "-print0"], cwd=src, stdout=subprocess.PIPE, check=True)
            f.write(out.stdout)

        def folder(side, number):
            path = os.path.join(root, "%s%d" % (side, number))
            return lambda: os.makedirs(path)

        ours = lambda n: ([self.prog("bench", "raw"), src, os.path.join(root, "raw%d" % n)], root, folder("raw", n))
        peer = lambda n: (["xargs", "-0", "-a", listing, "cp", "-a", "--parents", "-t", os.path.join(root, "cp%d" % n)],
                          src, folder("cp", n))
        self.pair("raw-" + shape, ours, peer)
        for n in range(self.runs):
            shutil.rmtree(os.path.join(root, "raw%d" % n))
            shutil.rmtree(os.path.join(root, "cp%d" % n))

    def scan(self, shape):
        root, src, types = self.tree(shape)
        patterns = []
        for category in ("DOCUMENTS", "PICTURES"):
            for ext in extensions_of(types, category):
                patterns += (["-o"] if patterns else []) + ["-iname", "*." + ext]
        shutil.copy(types, os.path.join(root, "types.txt"))  # the scan takes a Windows path
        ours = ([self.prog("bench", "scan"), src, "types.txt", "DOCUMENTS", "PICTURES"], root, None)
        peer = (["find", src, "-type", "f", "("] + patterns + [")", "-print"], None, None)
        self.pair("scan-" + shape, ours, peer)


def extensions_of(types, category):
    current, found = None, []
    for line in open(types, encoding="utf-8"):
        line = line.strip().upper()
        if line.startswith("[") and line.endswith("]"):
            current = line.strip("[]")
        elif line and current == category:
            found += [p.strip() for p in line.split(",") if p.strip()]
    return found


ROWS = {
    "backup-xpress-small": lambda b: b.backup("small", "xpress"),
    "backup-lzx-small": lambda b: b.backup("small", "lzx"),
    "backup-xpress-medium": lambda b: b.backup("medium", "xpress"),
    "size-rebuilt-categories": lambda b: b.size_rebuilt("categories"),
    "raw-small": lambda b: b.raw("small"),
    "raw-medium": lambda b: b.raw("medium"),
    "verify-deep-small": lambda b: b.verify("small"),
    "restore-small": lambda b: b.restore("small"),
    "restore-medium": lambda b: b.restore("medium"),
    "scan-scan": lambda b: b.scan("scan"),
    "backup-xpress-huge": lambda b: b.backup("huge", "xpress"),
    "restore-huge": lambda b: b.restore("huge"),
}
DEFAULT = [row for row in ROWS if not row.endswith("huge")]


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--build", default=os.path.join(HERE, "..", "build"))
    parser.add_argument("--runs", type=int, default=5)
    parser.add_argument("--files", type=int, default=20000, help="files of the small trees (huge: ten times)")
    parser.add_argument("rows", nargs="*", help="rows to run: " + ", ".join(ROWS))
    args = parser.parse_args()
    unknown = [row for row in args.rows if row not in ROWS]
    if unknown:
        parser.error("unknown rows: " + ", ".join(unknown))
    bench = Bench(args)
    print("%d runs each, alternating; median (lowest-highest), peak resident set" % args.runs, flush=True)
    try:
        for row in args.rows or DEFAULT:
            ROWS[row](bench)
    finally:
        subprocess.run(["chmod", "-R", "u+w", bench.tmp])
        shutil.rmtree(bench.tmp, ignore_errors=True)


if __name__ == "__main__":
    main()
