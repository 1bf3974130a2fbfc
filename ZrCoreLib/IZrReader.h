#pragma once

#include <cstdint>

#include "ZrCoreLib/ZrString.h"

class IZrReader;

// Told when a reader goes away. A reader calls slot 1 with itself from its
// destructor when an observer was set through IZrReader::SetOwner.
class IZrReaderObserver {
public:
    // Slot 0: reserved for other notifications; readers here never call it.
    virtual void OnReaderEvent(IZrReader* reader, int event) = 0;
    // Slot 1: `reader` is being destroyed; it must not be used any more.
    virtual void OnReaderDestroyed(IZrReader* reader) = 0;

protected:
    ~IZrReaderObserver() = default;
};

// The byte-stream reader: local files, memory blocks and network streams
// look alike behind it. Readers cross library boundaries (the host's, the
// reader library's and the plug-in's own), so the slot order below is a
// binary contract: a slot is never inserted, moved or removed. The slots
// named QueryN have no meaning to this system; wrappers forward them and
// VBaseReader answers 0.
//
// Positions and sizes are bytes. A reader is used by one thread at a time.
class IZrReader {
public:
    // Slots 0 and 1: the caller who received a reader from a factory deletes
    // it, except in-memory readers of the tools library, which it keeps.
    virtual ~IZrReader() = default;
    // Slot 2: kind code fixed at construction.
    virtual uint32_t GetReaderKind() = 0;
    // Slot 3: prepares a freshly created reader for writing (creates or
    // truncates its file); true on success.
    virtual bool OpenWrite() = 0;
    // Slot 4: prepares a freshly created reader for reading; true when it can
    // be read.
    virtual bool OpenRead() = 0;
    // Slot 5.
    virtual uint64_t Query5() = 0;
    // Slot 6: fewer bytes than asked means end of data or failure.
    virtual uint32_t Read(void* buffer, uint32_t count) = 0;
    // Slot 7: writes at the current position and advances it; bytes written.
    virtual int64_t Write(const void* buffer, uint32_t count) = 0;
    // Slot 8: total length; negative when unknown (live streams).
    virtual int64_t GetSize() = 0;
    // Slot 9: GetSize clamped to >= 0.
    virtual int64_t GetKnownSize() = 0;
    // Slot 10.
    virtual int64_t GetPosition() = 0;
    // Slot 11: origin 0 from start, 1 from current, 2 from end. The new
    // position, negative on failure.
    virtual int64_t Seek(int64_t offset, uint32_t origin) = 0;
    // Slot 12: makes the file end at the current position (files only).
    virtual uint64_t Truncate() = 0;
    // Slot 13.
    virtual uint64_t Query13(uint64_t value) = 0;
    // Slot 14: true for endless network streams.
    virtual bool IsLiveStream() = 0;
    // Slot 15: true for local files.
    virtual bool IsLocal() = 0;
    // Slot 16.
    virtual bool GetFlagB() = 0;
    // Slot 17.
    virtual uint64_t Query17() = 0;
    // Slot 18: named information about the stream (HTTP response headers as
    // "ResponseHeader:<name>", ICY fields); empty when unknown.
    virtual ZrString GetInfo(const wchar_t* name) = 0;
    // Slot 19.
    virtual void SetValueA(uint32_t value) = 0;
    // Slot 20.
    virtual void SetValuePair(uint64_t first, uint32_t second) = 0;
    // Slot 21: "name|value|name|value..."; a trailing name gets "".
    virtual void SetProperties(const ZrString& text) = 0;
    // Slot 22: property names ignore letter case.
    virtual void SetProperty(const wchar_t* name, const ZrString& value) = 0;
    // Slot 23: empty when absent.
    virtual ZrString GetProperty(const wchar_t* name) = 0;
    // Slot 24.
    virtual void SetFlagA(uint8_t flag) = 0;
    // Slots 25 to 27.
    virtual uint64_t Query25() = 0;
    virtual uint64_t Query26() = 0;
    virtual uint64_t Query27() = 0;
    // Slot 28: not owned; told of the reader's destruction.
    virtual void SetOwner(IZrReaderObserver* owner) = 0;
    // Slots 29 and 30.
    virtual uint64_t Query29() = 0;
    virtual uint64_t Query30() = 0;
    // Slot 31.
    virtual double Query31() = 0;
    // Slot 32.
    virtual uint64_t Query32(uint64_t value) = 0;
    // Slot 33: the absolute target of Seek(offset, origin) from `current`,
    // never below 0.
    virtual int64_t ResolveSeekTarget(int64_t current, int64_t offset, int32_t origin) = 0;
};

// Kind codes answered by GetReaderKind for the readers of this system.
enum ZrReaderKind : uint32_t {
    kZrReaderKindBase = 0,
    kZrReaderKindFile = 1,
    kZrReaderKindMemory = 3,
    kZrReaderKindHttp = 4,
    kZrReaderKindWrapping = 8,
    kZrReaderKindIcy = 9,
    kZrReaderKindBufferedHeader = 10,
};
