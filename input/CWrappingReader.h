// A reader that lends out another reader without owning it: the tools
// library keeps its in-memory copies of files for itself, so the input
// source must be able to hold one and still delete "its reader" at the end.
#ifndef TONEHALL_INPUT_CWRAPPINGREADER_H
#define TONEHALL_INPUT_CWRAPPINGREADER_H

#include "ZrCoreLib/VShellReader.h"

class CWrappingReader : public VShellReader {
public:
    // Rewinds `inner`: a kept copy may still stand where its last user left it.
    explicit CWrappingReader(IZrReader* inner);
    ~CWrappingReader() override;
};

#endif
