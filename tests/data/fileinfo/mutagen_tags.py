"""Oracle for the file-info tests: mutagen tags a copy of an MP3 file, and
reads back what it finds in a file, one "key<TAB>value" line per field.

Usage:
  mutagen_tags.py write IN OUT VERSION GENRE PICTURE
  mutagen_tags.py read PATH
"""
import shutil
import sys


def cmd_write(src, dst, version, genre, picture):
    from mutagen.id3 import (ID3, TIT2, TPE1, TALB, TPE2, TRCK, TPOS, TDRC, TCON, COMM, USLT,
                             APIC, Encoding, PictureType)
    shutil.copyfile(src, dst)
    enc = Encoding.UTF16 if version == "3" else Encoding.UTF8
    tags = ID3()
    tags.add(TIT2(encoding=enc, text=["T\u00eftle"]))
    tags.add(TPE1(encoding=enc, text=["An Artist"]))
    tags.add(TALB(encoding=enc, text=["An Album"]))
    tags.add(TPE2(encoding=enc, text=["Various"]))
    tags.add(TRCK(encoding=enc, text=["3/12"]))
    tags.add(TPOS(encoding=enc, text=["1/2"]))
    tags.add(TDRC(encoding=enc, text=["2004"]))
    tags.add(TCON(encoding=enc, text=[genre]))
    tags.add(COMM(encoding=enc, lang="eng", desc="", text=["A comment"]))
    tags.add(USLT(encoding=enc, lang="eng", desc="", text="First line\nSecond line"))
    with open(picture, "rb") as f:
        tags.add(APIC(encoding=Encoding.LATIN1, mime="image/jpeg", type=PictureType.COVER_FRONT,
                      desc="cover", data=f.read()))
    if version == "3":
        tags.update_to_v23()  # TDRC becomes TYER
    tags.save(dst, v2_version=int(version))


def cmd_read(path):
    from mutagen.id3 import ID3
    tags = ID3(path)

    def first(fid):
        frames = tags.getall(fid)
        return str(frames[0]) if frames else ""

    fields = [
        ("Name", first("TIT2")), ("Artist", first("TPE1")), ("Album", first("TALB")),
        ("Album Artist", first("TPE2")), ("Track #", first("TRCK")), ("Disc #", first("TPOS")),
        ("Year", first("TDRC") or first("TYER")),
        ("Genre", ";".join(tags.getall("TCON")[0].genres)),
        ("Comment", first("COMM")), ("Lyrics", first("USLT")),
        ("Image File", tags.getall("APIC")[0].data.hex()),
    ]
    for key, value in fields:
        print("%s\t%s" % (key, value.replace("\n", "\\n")))


if __name__ == "__main__":
    globals()["cmd_" + sys.argv[1]](*sys.argv[2:])
