#include "tags/CID3v2PictureExport.h"

#include "ZrCoreLib/ZrTempFile.h"

ZrString CID3v2PictureExport::ExtensionForMime(const ZrString& mime) {
    // The first token that the MIME type contains decides.
    static const struct {
        const wchar_t* token;
        const wchar_t* ext;
    } kMap[] = {{L"bmp", L"bmp"}, {L"jpeg", L"jpg"}, {L"jpg", L"jpg"}, {L"gif", L"gif"},
                {L"png", L"png"}, {L"tiff", L"tif"}, {L"tif", L"tif"}};
    const ZrString lower = mime.ToLower();
    for (const auto& m : kMap)
        if (lower.Find(m.token) >= 0) return m.ext;
    return L"jpg";
}

bool CID3v2PictureExport::WriteTempFile(const CID3v2Frame& frame, ZrString& path) {
    path.Empty();
    const uint8_t* picture;
    size_t size;
    frame.GetBinaryValue(picture, size);
    return ZrTempFile::CreateWithData(L"MP3 Image", ExtensionForMime(frame.GetField(L"Mime Type")),
                                      picture, size, path);
}
