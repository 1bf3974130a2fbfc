// The MP3 file-info object: what the host gets from GetFileInfo.
#ifndef TONEHALL_FILEINFO_MPEGFILEINFO_H
#define TONEHALL_FILEINFO_MPEGFILEINFO_H

#include "plugin/ZrAudioFileInfoBase.h"

class MpegFileInfo : public ZrAudioFileInfoBase {
public:
    explicit MpegFileInfo(IZrReaderProvider* provider);
    ~MpegFileInfo() override;
};

#endif
