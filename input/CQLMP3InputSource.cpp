#include "input/CQLMP3InputSource.h"

CQLMP3InputSource::CQLMP3InputSource(IZrReaderProvider* provider) : ZrAudioInputBase(provider) {}

CQLMP3InputSource::~CQLMP3InputSource() = default;

int CQLMP3InputSource::GetInfo(int id, IZrDllString* out) {
    switch (id) {
    case INFO_PLUGIN_NAME:
        Answer(out, ZrString(L"MP3 input plug-in"));
        return 0;
    case INFO_FILE_TYPES:
        Answer(out, ZrString(L"MP3; MP3 Audio File (*.MP3);MPGA; MPEG Audio File (*.MPGA)"));
        return 0;
    default:
        return ZrAudioInputBase::GetInfo(id, out);
    }
}

int CQLMP3InputSource::DoCommand(int id) {
    if (id == INPUT_CMD_CAPABILITY) return 1;
    return ZrAudioInputBase::DoCommand(id);
}
