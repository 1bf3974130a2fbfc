"""Oracle for the field-mapping round trip, both directions in one run:
prints the ID3v2 frames of OURS (the plug-in saved it) as
"ID<TAB>description<TAB>text" lines, then, for each pair FRAMES THEIRS, tags
a copy of SRC as THEIRS with the frames listed in FRAMES (lines of the same
form).

Text is the frame's values joined with "|"; for POPM the rating byte, for
APIC the picture bytes in hex, for PRIV the data as UTF-8, for URL frames the
URL. The description of a PRIV frame is its owner.

Usage: mutagen_mapping.py VERSION OURS SRC [FRAMES THEIRS]...
"""
import shutil
import sys

from mutagen.id3 import ID3, APIC, COMM, POPM, PRIV, TXXX, USLT, Frames

version, ours, src = sys.argv[1:4]


def esc(value):
    return str(value).replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")


# translate=False: the frames as the plug-in wrote them, not as mutagen
# would convert them to ID3v2.4; load_v1=False: no frames made up from the
# ID3v1 record.
for frame in ID3(ours, translate=False, load_v1=False).values():
    fid = frame.FrameID
    desc = getattr(frame, "desc", getattr(frame, "owner", ""))
    if fid == "POPM":
        text = frame.rating
    elif fid == "APIC":
        text = frame.data.hex()
    elif fid == "PRIV":
        text = frame.data.decode("utf-8", "replace")
    elif hasattr(frame, "url"):
        text = frame.url
    elif isinstance(frame.text, str):  # USLT
        text = frame.text
    else:
        text = "|".join(str(t) for t in frame.text)
    print("%s\t%s\t%s" % (fid, esc(desc), esc(text)))

enc = 1 if version == "3" else 3  # UTF-16, UTF-8


def tag_copy(frames, theirs):
    shutil.copyfile(src, theirs)
    tags = ID3()
    with open(frames, encoding="utf-8") as lines:
        for line in lines:
            fid, desc, text = line.rstrip("\n").split("\t")
            if fid == "TXXX":
                tags.add(TXXX(encoding=enc, desc=desc, text=text.split("|")))
            elif fid == "COMM":
                tags.add(COMM(encoding=enc, lang="eng", desc=desc, text=text.split("|")))
            elif fid == "USLT":
                tags.add(USLT(encoding=enc, lang="eng", desc=desc, text=text))
            elif fid == "POPM":
                tags.add(POPM(email="", rating=int(text)))
            elif fid == "APIC":
                tags.add(APIC(encoding=0, mime="image/png", type=3, desc=desc,
                              data=bytes.fromhex(text)))
            elif fid == "PRIV":
                tags.add(PRIV(owner=desc, data=text.encode("utf-8")))
            elif fid.startswith("W"):
                tags.add(Frames[fid](url=text))
            else:
                tags.add(Frames[fid](encoding=enc, text=text.split("|")))
    # v23_sep=None keeps several values apart in ID3v2.3 too, as the plug-in does.
    tags.save(theirs, v2_version=int(version), v23_sep=None)


for pair in range(4, len(sys.argv), 2):
    tag_copy(sys.argv[pair], sys.argv[pair + 1])
