"""Oracle for the file-info tests: mutagen tags a copy of an MP3 file, then
prints what it reads back, one "field<TAB>value" line per host field.

Usage: mutagen_tags.py IN OUT VERSION GENRE PICTURE
"""
import shutil
import sys
from mutagen.id3 import ID3, APIC, COMM, TALB, TCON, TDRC, TIT2, TPE1, TPE2, TPOS, TRCK, USLT

src, dst, version, genre, picture = sys.argv[1:]
shutil.copyfile(src, dst)
enc = 1 if version == "3" else 3  # UTF-16, UTF-8
tags = ID3()
for frame in (TIT2(text=["T\u00eftle"]), TPE1(text=["An Artist"]), TALB(text=["An Album"]),
              TPE2(text=["Various"]), TRCK(text=["3/12"]), TPOS(text=["1/2"]),
              TDRC(text=["2004"]), TCON(text=[genre]), COMM(lang="eng", text=["A comment"]),
              USLT(lang="eng", text="First line\nSecond line")):
    frame.encoding = enc
    tags.add(frame)
with open(picture, "rb") as f:
    tags.add(APIC(encoding=0, mime="image/jpeg", type=3, desc="cover", data=f.read()))
if version == "3":
    tags.update_to_v23()  # TDRC becomes TYER
tags.save(dst, v2_version=int(version))

tags = ID3(dst, v2_version=int(version))
for field, fid in (("Name", "TIT2"), ("Artist", "TPE1"), ("Album", "TALB"),
                   ("Album Artist", "TPE2"), ("Track #", "TRCK"), ("Disc #", "TPOS"),
                   ("Year", "TYER" if version == "3" else "TDRC"), ("Comment", "COMM"),
                   ("Lyrics", "USLT")):
    print("%s\t%s" % (field, str(tags.getall(fid)[0]).replace("\n", "\\n")))
print("Genre\t%s" % ";".join(tags.getall("TCON")[0].genres))
