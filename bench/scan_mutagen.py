"""What `tonehall-host scan DIR --json` reads, read with mutagen: for every
.mp3 under each DIR given the stream properties and the main tag fields, one JSON object
a line. The reference side of bench/scan.sh."""
import json
import os
import sys

from mutagen.mp3 import MP3, BitrateMode

FIELDS = [("Name", "TIT2"), ("Artist", "TPE1"), ("Album", "TALB"), ("Album Artist", "TPE2"),
          ("Track #", "TRCK"), ("Disc #", "TPOS"), ("Year", "TDRC"), ("Genre", "TCON")]


def scan(path):
    f = MP3(path)
    i = f.info
    out = {"path": path, "Bitrate": str(i.bitrate // 1000), "Duration": str(i.length),
           "Channels": str(i.channels), "Sample Rate": str(i.sample_rate),
           "Compression": "%s (MPEG-%g Layer %d)" % (
               "VBR" if i.bitrate_mode == BitrateMode.VBR else "CBR", i.version, i.layer),
           "Encoder": i.encoder_info}
    tags = f.tags or {}
    for name, frame in FIELDS:
        if frame in tags:
            out[name] = str(tags[frame])
    return out


def main():
    for top in sys.argv[1:]:
        for folder, dirs, files in os.walk(top, followlinks=True):
            dirs.sort()
            for name in sorted(files):
                if name.lower().endswith(".mp3"):
                    path = os.path.join(folder, name)
                    try:
                        print(json.dumps(scan(path)))
                    except Exception as e:  # one bad file must not end the walk
                        print("%s: %s" % (path, e), file=sys.stderr)


main()
