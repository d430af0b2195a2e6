# Lays out a working directory with all eleven settings files for the end-to-end tests.
# Usage: lib_settings.py DIR [LANGPRO [LANGHOR]]
import os
import struct
import sys

d = sys.argv[1]
langpro = int(sys.argv[2]) if len(sys.argv) > 2 else 0
langhor = int(sys.argv[3]) if len(sys.argv) > 3 else 0
os.makedirs(os.path.join(d, "settings"), exist_ok=True)
os.makedirs(os.path.join(d, "NAMES"), exist_ok=True)


def put(name, data):
    with open(os.path.join(d, "settings", name), "wb") as f:
        f.write(data)


put("lonlat", struct.pack("<6i", 23, 46, 0, 37, 58, 0))
for name, value in [("langpro", langpro), ("langhor", langhor), ("metaixmio", 3),
                    ("zodcyber", 0), ("borderinter", 0), ("chrul", 0)]:
    put(name, struct.pack("<i", value))
put("natasp", struct.pack("<18d", *([8.0] * 18)))
put("naaspset", struct.pack("<18i", *([1] * 18)))
put("natpl", struct.pack("<44d", *([1.0] * 44)))
put("naplch", struct.pack("<22i", *([1] * 22)))
