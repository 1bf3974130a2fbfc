#include "fileinfo/MpegFileInfo.h"

MpegFileInfo::MpegFileInfo(IZrReaderProvider* provider) : ZrAudioFileInfoBase(provider) {}

MpegFileInfo::~MpegFileInfo() = default;
