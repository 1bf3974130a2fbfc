// The binary contract between Tonehall and an audio input plug-in.
//
// A host loads the plug-in with dlopen, resolves the four exports below and
// then talks to the objects they return only through the virtual slots
// declared here. The slot order of every interface is part of the contract:
// new operations are never inserted, and a slot keeps its meaning for good.
//
// Strings cross the boundary as NUL-terminated wchar_t text (32-bit code
// units on Linux). Text results come back through an IZrDllString sink that
// the caller owns. Numbers are answered as decimal text.
//
// Ownership: the host owns every object a factory returns and destroys it
// through its deleting destructor (slot 1). Readers created by the host's
// IZrReaderProvider are owned by whoever asked for them.
//
// Threads: each object is used by one thread at a time; separate objects may
// be used on separate threads at once. Attach and Detach are called from one
// thread at a time.
#ifndef TONEHALL_ZR_AUDIO_PLUGIN_H
#define TONEHALL_ZR_AUDIO_PLUGIN_H

#include <cstdint>

#include "ZrCoreLib/IZrReader.h"

// A text sink owned by the caller. There is no virtual destructor: the
// plug-in never deletes a sink it is handed.
class IZrDllString {
public:
    // Slot 0: the current text, NUL-terminated.
    virtual const wchar_t* Get() = 0;
    // Slot 1: replaces the text; a negative length means "up to the NUL".
    virtual void Set(const wchar_t* text, int length) = 0;
    // Slot 2: clears the text.
    virtual void Empty() = 0;
    // Slot 3: a writable buffer of at least `length` characters (plus NUL).
    virtual wchar_t* GetBuffer(int length, int flags) = 0;
    // Slot 4: ends direct writing; the text is `length` characters long
    // (negative: up to the first NUL).
    virtual void ReleaseBuffer(int length) = 0;

protected:
    ~IZrDllString() = default;
};

// Implemented by the host: hands out readers for paths and URLs.
class IZrReaderProvider {
public:
    // Slots 0 and 1.
    virtual ~IZrReaderProvider() = default;
    // Slot 2: a new reader for `path`, owned by the caller, or null.
    // mode: 0 when an audio input opens a stream, 1 when a file-info object
    // opens a file. flags: the value set through SetInfo id 33 (-1 default).
    virtual IZrReader* CreateReader(const wchar_t* path, int mode, int flags) = 0;
};

// Numeric ids of IZrAudioInput::GetInfo.
enum InputInfoId : int {
    INFO_BITRATE = 0,          // kbit/s
    INFO_DURATION_MS = 1,      // milliseconds
    INFO_PLUGIN_NAME = 2,      // human-readable plug-in name
    INFO_FILE_TYPES = 4,       // "EXT; Description (*.EXT);..." list
    INFO_ICY_ARTIST = 5,       // live stream artist
    INFO_ICY_ALBUM = 6,        // live stream album
    INFO_ICY_TITLE = 7,        // live stream title
    INFO_SAMPLE_RATE = 8,      // Hz
    INFO_CHANNELS = 9,         // interleaved channels of Read's data
    INFO_BITS_PER_SAMPLE = 10, // 64: Read delivers IEEE-754 doubles
    INFO_LAST_ERROR = 11,      // why Open failed, when known
    INFO_TOTAL_SAMPLES = 12,   // sample frames after gapless trimming
    INFO_TITLE_START_MS = 13,  // live streams: current title's start
    INFO_TITLE_END_MS = 14,    // live streams: current title's end
    INFO_TITLE_KNOWN = 16,     // "1" when the current title's start is known
    INFO_ENCODER_DELAY = 19,   // samples
    INFO_ENCODER_PADDING = 20, // samples, decoder delay already taken off
    INFO_24 = 24,
    INFO_ENCODER = 25,         // encoder identification
    INFO_SEEK_SPAN_BYTES = 26, // bytes from the first frame to the eighth-last indexed one
    INFO_27 = 27,
    INFO_28 = 28,
    INFO_29 = 29,
    INFO_FROM_MEMORY = 34, // "1" when the stream plays from memory
    INFO_HAS_SIZE = 38,    // "1" when the stream has a known size
};

// Ids of IZrAudioInput::SetInfo.
enum InputSetInfoId : int {
    SETINFO_SEEK_MS = 3,       // value: milliseconds, decimal with optional fraction
    SETINFO_READER_FLAGS = 33, // value: decimal flags for the next Open
};

// Ids of IZrAudioInput::DoCommand.
enum InputCommandId : int {
    INPUT_CMD_CONFIGURE = 1,  // shows the configuration window modally; 0
    INPUT_CMD_READER_OP = 2,  // forwards to a local reader; 0, or -1 without one
    INPUT_CMD_CAPABILITY = 4, // 1
};

// An audio decoder for one stream. Calling order: Open once, any number of
// GetInfo, then Read repeatedly with SetInfo(3) seeks in between, then delete.
class IZrAudioInput {
public:
    // Slots 0 and 1.
    virtual ~IZrAudioInput() = default;
    // Slot 2: opens the stream; 0 on success, -1 on failure (GetInfo id 11
    // may then say why).
    virtual int Open(const wchar_t* path) = 0;
    // Slot 3: 0 and the answer in `out`, or -1 (and `out` untouched) for an
    // id this input does not know.
    virtual int GetInfo(int id, IZrDllString* out) = 0;
    // Slot 4: 0 accepted, -1 unknown id.
    virtual int SetInfo(int id, const wchar_t* value) = 0;
    // Slot 5: result depends on the command.
    virtual int DoCommand(int id) = 0;
    // Slot 6: copies up to `count` bytes of interleaved native-endian doubles
    // into `dest`. Returns the bytes copied, 0 at the end of the stream, or -1
    // when nothing is available yet. May end inside a sample frame.
    virtual int Read(void* dest, int count) = 0;
    // Slot 7: decodes more into the internal buffer; 0 progress, -1 failure
    // or end. Called by the input itself.
    virtual int FillBuffer() = 0;
    // Slot 8: empties the internal buffer; 0. Called by the input itself.
    virtual int ResetBuffer() = 0;
};

// Ids of IZrAudioFileInfo::DoCommand.
enum FileInfoCommandId : int {
    FILEINFO_CMD_REMOVE_TAGS = 0,   // argument: 0 all, 1 ID3v1, 2 ID3v2
    FILEINFO_CMD_ID3V2_UNSAVED = 1, // 1 when ID3v2 changes would stay unwritten
    FILEINFO_CMD_REMOVE_DIALOG = 2, // asks the user; the chosen mode or -1
    FILEINFO_CMD_CAPABILITY = 3,    // 1
};

// Tag and property access for one file at a time.
class IZrAudioFileInfo {
public:
    // Slots 0 and 1: destruction closes the file, writing pending changes.
    virtual ~IZrAudioFileInfo() = default;
    // Slot 2: a property or tag field by name; false when there is none.
    virtual bool GetField(const wchar_t* name, IZrDllString* out) = 0;
    // Slot 3: changes a tag field in memory; written by Close.
    virtual bool SetField(const wchar_t* name, const wchar_t* value) = 0;
    // Slot 4: a plain-text report of the file.
    virtual int GetReport(IZrDllString* out) = 0;
    // Slot 5: 1 on success, 0 on failure.
    virtual int Open(const wchar_t* path) = 0;
    // Slot 6: writes changed tags; 1 when every due write succeeded.
    virtual int Close() = 0;
    // Slot 7: see FileInfoCommandId; -1 for unknown commands.
    virtual int DoCommand(int id, intptr_t argument) = 0;
};

// The four exports, as a host resolves them with dlsym.
extern "C" {
// 1 on success; 0 when start-up failed (the library must not be used then).
typedef int (*ZrAttachFn)(void* hostContext);
// Undoes one Attach; the last one shuts the library down. 1.
typedef int (*ZrDetachFn)();
// A new audio input bound to `provider`; never null.
typedef IZrAudioInput* (*ZrGetInputSourceFn)(IZrReaderProvider* provider);
// Stores a new file-info object bound to `provider` in *out; returns 1.
typedef int (*ZrGetFileInfoFn)(IZrReaderProvider* provider, IZrAudioFileInfo** out);
}

#define ZR_EXPORT_ATTACH "Attach"
#define ZR_EXPORT_DETACH "Detach"
#define ZR_EXPORT_GET_INPUT_SOURCE "GetInputSource"
#define ZR_EXPORT_GET_FILE_INFO "GetFileInfo"

#endif
