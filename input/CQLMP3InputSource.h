// The MP3 audio input: what the host gets from GetInputSource.
#ifndef TONEHALL_INPUT_CQLMP3INPUTSOURCE_H
#define TONEHALL_INPUT_CQLMP3INPUTSOURCE_H

#include "plugin/ZrAudioInputBase.h"

class CQLMP3InputSource : public ZrAudioInputBase {
public:
    explicit CQLMP3InputSource(IZrReaderProvider* provider);
    ~CQLMP3InputSource() override;

    int GetInfo(int id, IZrDllString* out) override;
    int DoCommand(int id) override;
};

#endif
