#!/usr/bin/env python3
"""Builds the synthetic tree for find_bench.sh: about 1,000,000 files in about
50,000 folders, a few percent of them matching the benchmark's masks, with
mixed letter case, hidden files, non-ASCII names and symbolic links."""
import os
import random
import sys

root = sys.argv[1]
top, mid, leaf, per_leaf = 50, 40, 25, 20   # 50*40*25 = 50,000 leaf folders
rng = random.Random(20261207)
plain = ["c", "h", "txt", "dat", "jpg", "png", "py", "so", "html", "json", "tmp1", "bak2"]
matching = ["{}.tmp", "{}.TMP", "~{}.doc", "{}.bak", "{}.Log", ".{}.old",
            "Thumbs.db", "{}.$$$", "{}.chk", "файл{}.tmp"]
files = 0
for a in range(top):
    for b in range(mid):
        for c in range(leaf):
            d = os.path.join(root, "d%02d" % a, "m%03d" % b, "l%02d" % c)
            os.makedirs(d, exist_ok=True)
            for i in range(per_leaf):
                n = files
                r = rng.random()
                if r < 0.03:
                    name = rng.choice(matching).format("f%d" % n)
                elif r < 0.035:
                    name = "файл%d.txt" % n
                else:
                    name = "f%d.%s" % (n, rng.choice(plain))
                p = os.path.join(d, name)
                if r > 0.999:
                    os.symlink("f0.txt", p)
                else:
                    os.close(os.open(p, os.O_CREAT | os.O_WRONLY, 0o644))
                files += 1
print("files:", files, "folders:", top * mid * leaf + top * mid + top)
