"""Oracle for the tag tests: writes ID3 tags with mutagen and dumps what
mutagen reads from a tag, one "ID<TAB>key<TAB>value" line per item.

Usage:
  mutagen_oracle.py check
  mutagen_oracle.py genres                 (index<TAB>name lines)
  mutagen_oracle.py v22ids                 (v22<TAB>v23 base frame, for our table)
  mutagen_oracle.py write PATH VERSION     (3 or 4)
  mutagen_oracle.py dump PATH
  mutagen_oracle.py set PATH FRAME TEXT    (one text frame replaced, the version kept)
"""
import sys


def cmd_check():
    import mutagen  # noqa: F401
    print("ok")


def cmd_genres():
    from mutagen.id3 import TCON
    for i, name in enumerate(TCON.GENRES):
        print("%d\t%s" % (i, name))


def cmd_v22ids():
    from mutagen.id3 import Frames, Frames_2_2
    for old, cls in sorted(Frames_2_2.items()):
        for base in cls.__mro__[1:]:
            if base.__name__ in Frames and len(base.__name__) == 4:
                print("%s\t%s" % (old, base.__name__))
                break


def cmd_write(path, version):
    from mutagen.id3 import (ID3, TIT2, TPE1, TXXX, COMM, APIC, POPM, PRIV, WOAR, WXXX,
                             TCON, TRCK, Encoding, PictureType)
    tags = ID3()
    tags.add(TIT2(encoding=Encoding.UTF16, text=["Caf\u00e9 title"]))
    tags.add(TPE1(encoding=Encoding.LATIN1, text=["Alpha", "Beta"]))
    tags.add(TXXX(encoding=Encoding.LATIN1, desc="Mood", text=["calm"]))
    tags.add(COMM(encoding=Encoding.UTF16, lang="eng", desc="", text=["A comment \u00e9"]))
    tags.add(APIC(encoding=Encoding.LATIN1, mime="image/png", type=PictureType.COVER_FRONT,
                  desc="front", data=b"\x89PNG\r\n\x1a\nfake picture"))
    tags.add(POPM(email="a@b.c", rating=196, count=3))
    tags.add(PRIV(owner="owner.example", data=b"\x00\x01\x02binary"))
    tags.add(WOAR(url="http://artist.example/"))
    tags.add(WXXX(encoding=Encoding.UTF16, desc="home", url="http://home.example/"))
    tags.add(TCON(encoding=Encoding.LATIN1, text=["(17)"]))
    tags.add(TRCK(encoding=Encoding.LATIN1, text=["3/12"]))
    tags.save(path, v2_version=int(version), padding=lambda info: 256)


def cmd_set(path, frame_id, text):
    from mutagen.id3 import ID3, Frames, Encoding
    tags = ID3(path)
    tags.add(Frames[frame_id](encoding=Encoding.UTF16, text=[text]))
    tags.save(path, v2_version=tags.version[1])


def esc(value):
    return str(value).replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n")


def cmd_dump(path):
    from mutagen.id3 import ID3
    tags = ID3(path)
    print("HEADER\tversion\t%d" % tags.version[1])
    for frame in tags.values():
        fid = frame.FrameID
        out = []
        if hasattr(frame, "encoding"):
            out.append(("encoding", int(frame.encoding)))
        for key in ("desc", "lang", "mime", "owner", "email", "url"):
            if hasattr(frame, key):
                out.append((key, getattr(frame, key)))
        if hasattr(frame, "type"):
            out.append(("type", int(frame.type)))
        if hasattr(frame, "rating"):
            out.append(("rating", frame.rating))
        if hasattr(frame, "data"):
            out.append(("data", frame.data.hex()))
        if hasattr(frame, "text"):
            out.append(("text", "|".join(str(t) for t in frame.text)))
        for key, value in out:
            print("%s\t%s\t%s" % (fid, key, esc(value)))


if __name__ == "__main__":
    command = sys.argv[1]
    globals()["cmd_" + command](*sys.argv[2:])
