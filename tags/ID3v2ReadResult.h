#pragma once

// Outcome of reading an ID3v2 tag: why a header was refused, or, for a valid
// header, what ended the frame list.
enum class ID3v2ReadResult {
    None,           // nothing read since the last Reset
    TooShort,       // fewer than 10 bytes
    NotID3,         // no "ID3" at the start
    BadVersion,     // major version other than 2, 3, 4
    Experimental,   // flag 0x20
    Truncated,      // fewer bytes than the header's size announces
    EndOfData,      // frames ran to the end of the buffer
    Padding,        // zero bytes where the next frame ID would be
    InvalidId,      // a frame ID outside A-Z, 0-9, "?"
    OversizedFrame, // a frame size of 2^31 or more
    FramePastEnd,   // a frame running past the end of the buffer
};
